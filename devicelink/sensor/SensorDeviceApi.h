#pragma once

#include <cstdint>

// The device calls the sensor object makes, behind one interface: the program forwards them to
// the flat device API, headless tests put a fake logger behind them.
namespace devicelink {

struct MeasureRequest;

class SensorDeviceApi {
public:
    virtual ~SensorDeviceApi() = default;

    virtual int Open() = 0;  // 1 ready, 0 failed
    virtual void Close() = 0;
    virtual int Stop() = 0;
    virtual int SubmitRead(MeasureRequest& request) = 0;
    virtual int SubmitWrite(MeasureRequest& request) = 0;
    virtual int PollStatusWord() = 0;  // -1: link lost
    virtual uint32_t GetFirmwareVersion() = 0;
    virtual int WriteBlock(const void* table) = 0;  // the 524-byte recognition table
    // 1 while the last open reached the logger; a fake logger that never fails to connect keeps
    // the default.
    virtual int DeviceReady() { return 1; }
    // Why the last open failed, a LinkOpenFailure as int; 0 when it did not.
    virtual int OpenFailure() { return 0; }
};

// The process's device API (DevOpen, DevSubmitRead, ...).
SensorDeviceApi& FlatDeviceApi();

}  // namespace devicelink
