#include "addin/dialogs/FlatDialogDevice.h"

#include "addin/device/CorvikApi.h"
#include "addin/host/HostCall.h"

namespace addin::dialogs {

static_assert(kErrorNotConnected == device::kApiNotConnected);

int FlatDialogDevice::IsLinked()
{
    return device::CorvikApiIsLinked();
}

int FlatDialogDevice::LastError()
{
    return device::CorvikApiGetLastError();
}

int FlatDialogDevice::DetectSensors(device::SensorTableEntry* table)
{
    return device::CorvikApiDetectSensors(table);
}

int FlatDialogDevice::ReadSnapshot(int channel, float* values, int quantities)
{
    return device::CorvikApiReadSnapshot(channel, values, quantities);
}

void FlatDialogDevice::AbortDetection()
{
    device::CorvikApiAbortDetection();
}

void FlatDialogDevice::ClearDetectionAbort()
{
    device::CorvikApiClearDetectionAbort();
}

int FlatDialogDevice::StartSampling(uint32_t mask, int64_t periodUs, int64_t durationMs, const int32_t* periodsUs)
{
    // The window's rows hold every quantity of a sample.
    device::CorvikApiReadAllQuantities(1);
    const int started = device::CorvikApiStartSampling(int32_t(mask), periodUs, durationMs, device::kSampleCommonPeriod, periodsUs, 0);
    if (started != 1)
        device::CorvikApiReadAllQuantities(0);
    return started;
}

int FlatDialogDevice::StopSampling()
{
    const int stopped = device::CorvikApiStopSampling();
    device::CorvikApiReadAllQuantities(0);
    return stopped;
}

int FlatDialogDevice::ReadBlock(int channel, float* values, float* times, int capacity)
{
    return device::CorvikApiReadBlock(channel, values, times, capacity);
}

bool FlatDialogDevice::Sampling()
{
    return device::CorvikApiSampling() == 1;
}

void HostSheetWriter::ClearMeasurementArea()
{
    host::ClearCells(0, kClearedLastRow, 0, kClearedLastColumn);
}

void HostSheetWriter::WriteText(int32_t row, int32_t column, const std::u16string& text)
{
    host::SetCellText(row, column, text);
}

void HostSheetWriter::WriteRows(const RowBlock& block)
{
    if (block.rows <= 0 || block.columns <= 0 || block.firstRow < 0 || block.firstRow + block.rows > HOST_MAX_ROWS)
        return;
    host::Operands ops;
    HostOperand* array = ops.Array(block.rows, block.columns);
    for (int32_t r = 0; r < block.rows; ++r) {
        for (int32_t c = 0; c < block.columns; ++c) {
            if (!block.Filled(r, c))
                continue;
            HostOperand& item = host::Operands::Item(*array, r, c);
            item.type = HOST_TYPE_NUMBER;
            item.value.number = block.At(r, c);
        }
    }
    host::Call(xlSet, nullptr,
               {ops.Reference(block.firstRow, block.firstRow + block.rows - 1, 0, block.columns - 1), array});
}

}  // namespace addin::dialogs
