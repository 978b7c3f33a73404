#include "devicelink/sensor/SensorDeviceApi.h"

#include "devicelink/link/DeviceApi.h"

namespace devicelink {
namespace {

class FlatApi final : public SensorDeviceApi {
public:
    int Open() override { return DevOpen(0); }
    void Close() override { DevClose(); }
    int Stop() override { return DevStop(); }
    int SubmitRead(MeasureRequest& request) override { return DevSubmitRead(&request); }
    int SubmitWrite(MeasureRequest& request) override { return DevSubmitWrite(&request); }
    int PollStatusWord() override { return DevPollStatusWord(); }
    uint32_t GetFirmwareVersion() override { return static_cast<uint32_t>(DevGetFirmwareVersion()); }
    int WriteBlock(const void* table) override { return DevWriteBlock(table); }
    int DeviceReady() override { return DevDeviceReady(); }
    int OpenFailure() override { return DevGetOpenFailure(); }
};

}  // namespace

SensorDeviceApi& FlatDeviceApi()
{
    static FlatApi api;
    return api;
}

}  // namespace devicelink
