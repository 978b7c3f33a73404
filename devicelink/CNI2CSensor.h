#pragma once

#include "devicelink/ChannelState.h"
#include "devicelink/MeasureSetupBlock.h"
#include "devicelink/SensorCatalogue.h"
#include "devicelink/SensorDeviceApi.h"
#include "platform/Event.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

// The one object through which the program talks about sensors: the catalogue, the state of the
// logger's four channels, the two requests handed to the device layer and the operations that
// poll, read and stop. One per process; every device call goes through its SensorDeviceApi.
namespace devicelink {

// Results of the status poll.
enum SensorPollResult : int32_t {
    kPollNoChange = 0,
    kPollPlugged = 1,
    kPollRemoved = 2,
    kPollNotReady = 3,  // also a plug and a removal at once
    kPollLinkLost = 128,
};

inline constexpr int kOneShotCapacity = 8;
inline constexpr int kAcquisitionCapacity = 0x100000;
inline constexpr uint32_t kSingleReadTimeoutMs = 3000;

class CNI2CSensor {
public:
    // Converts one raw sample of a channel (its register words and times) into one value per
    // output; returns the number of values written, 0 when nothing came out.
    using ChannelConverter =
        std::function<int(CNI2CSensor& sensor, int channel, const int32_t* raw, const int32_t* times, float* out)>;

    explicit CNI2CSensor(SensorDeviceApi& api = FlatDeviceApi());
    CNI2CSensor(const CNI2CSensor&) = delete;
    CNI2CSensor& operator=(const CNI2CSensor&) = delete;
    virtual ~CNI2CSensor();

    // Catalogue.
    int LoadSensorXml(const std::string& path);
    int32_t LoadCatalogue();
    int ReadXmlVersion() { return catalogue_.ReadXmlVersion() ? 1 : 0; }
    int LoadUnitList() { return catalogue_.LoadUnitList(); }
    int LoadSensorList() { return catalogue_.LoadSensorList(); }
    int LoadAccessList() { return catalogue_.LoadAccessList() ? 1 : 0; }
    int LoadSearchList() { return catalogue_.LoadSearchList() ? 1 : 0; }
    int CountSearchEntries() { return catalogue_.CountSearchEntries(); }
    static int32_t ParseKeyword(std::u16string_view text);

    // Channels and device.
    int32_t IsRunning() const { return running_; }
    int32_t AnyChannelConnected() const;
    int32_t PollSensorState();
    void StopDevice();
    int32_t StopAcquisition();
    // The access record that describes the sensor on a channel, or null.
    SensorAccessRecord* FindSensorRecord(const ChannelState* state);
    // The newest values of a channel, one per output of its sensor, into `values` (at least
    // kMaxOutputs floats). 1, or 0 with `values` untouched when no fresh sample arrived.
    int32_t ReadCurrentValue(int channel, float* values);
    void SetChannelConverter(ChannelConverter converter) { converter_ = std::move(converter); }
    // Restarts the change-event filter of the channel's conversion; 1, or 0 for a bad channel.
    int32_t ResetChannelFilter(int channel);

    // Fills channel c of a request from an access record: I2C access, register reads and set-up
    // writes.
    void FillChannelFromRecord(MeasureSetupBlock& block, int channel, const SensorAccessRecord& record) const;

    SensorCatalogue& catalogue() { return catalogue_; }
    const SensorCatalogue& catalogue() const { return catalogue_; }
    SensorDeviceApi& api() { return api_; }
    ChannelState& channel(int c) { return channels_[c]; }
    int32_t& lastPresence(int c) { return lastPresence_[c]; }
    int32_t& connected(int c) { return connected_[c]; }
    int32_t& adcOffsetFlag(int c) { return adcOffsetFlags_[c]; }
    float& channelInterval(int c) { return channelIntervals_[c]; }
    int32_t statusWord() const { return statusWord_; }
    void setRunning(int32_t running) { running_ = running; }
    uint32_t firmwareVersion() const { return firmwareVersion_; }
    int32_t xmlVersion() const { return catalogue_.xmlVersion(); }
    MeasureRequest& oneShotRequest() { return oneShot_.request; }
    MeasureRequest& acquisitionRequest() { return acquisition_.request; }
    platform::Event& completionEvent() { return completionEvent_; }
    platform::Event& oneShotEvent() { return oneShotEvent_; }
    StreamDescriptor& streamDescriptor() { return streamDescriptor_; }
    int32_t& generatorAmplitude() { return generatorAmplitude_; }
    float& generatorFrequency() { return generatorFrequency_; }
    int32_t& batterySuspendSeconds() { return batterySuspend_; }
    int32_t& mainsSuspendSeconds() { return mainsSuspend_; }

private:
    // A request with the sample arrays it delivers into.
    struct BoundRequest {
        explicit BoundRequest(int capacity, platform::Event& event);
        MeasureRequest request;
        std::unique_ptr<uint32_t[]> values[kChannelStateCount];
        std::unique_ptr<int32_t[]> times[kChannelStateCount];
        std::atomic<int32_t> counts[kChannelStateCount];
        int capacity;
    };

    SensorDeviceApi& api_;
    // One-shot reads get their own event, so that a late monitor signal never answers them.
    platform::Event completionEvent_{platform::Event::Kind::AutoReset};
    platform::Event oneShotEvent_{platform::Event::Kind::AutoReset};
    BoundRequest oneShot_;
    BoundRequest acquisition_;
    SensorCatalogue catalogue_;
    ChannelConverter converter_;
    int32_t lastPresence_[kChannelStateCount] = {};
    int32_t connected_[kChannelStateCount] = {};
    ChannelState channels_[kChannelStateCount] = {};
    int32_t running_ = 0;
    int32_t statusWord_ = 0;
    StreamDescriptor streamDescriptor_{};
    int32_t batterySuspend_ = 0;
    int32_t mainsSuspend_ = 0;
    uint32_t firmwareVersion_ = 0;
    float channelIntervals_[kChannelStateCount] = {};
    int32_t generatorAmplitude_ = 50;
    float generatorFrequency_ = 2.0f;
    int32_t adcOffsetFlags_[kChannelStateCount] = {1, 1, 1, 1};
};

}  // namespace devicelink
