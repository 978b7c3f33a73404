#pragma once

#include "devicelink/catalogue/SensorCatalogue.h"
#include "devicelink/conversion/ConversionParams.h"
#include "devicelink/protocol/MeasureSetupBlock.h"
#include "devicelink/sensor/ChannelState.h"
#include "devicelink/sensor/SensorDeviceApi.h"
#include "devicelink/sensor/SensorIdentification.h"
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

// What a recorded run asks of the logger. Channels take part when they are connected and both
// their selection and their flag are 1; per-channel runs give each channel its own interval.
struct AcquisitionPlan {
    int32_t triggerWord = 0;        // 0 timed, otherwise the trigger kind and level bits
    int32_t selection[4] = {};      // the channels the run records
    int32_t channelFlags[4] = {};   // the channels the screen enabled
    int32_t interval = 0;           // microseconds between samples of the common rate
    int32_t lengthSeconds = 0;      // the run's length as the user set it (informational)
    int32_t count = 0;              // samples to take, 0 for a run that goes on until stopped
    int32_t perChannel = 0;         // 1: every channel samples at channelIntervals[c]
    int32_t channelIntervals[4] = {};
    int32_t markFlag = 0;           // 1: the logger marks the run's start
};

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
    // Replaces the conversion ReadCurrentValue uses (ConvertChannelData when none is set).
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
    MeasureRequest& acquisitionRequest() { return acquisition_.request; }
    platform::Event& completionEvent() { return completionEvent_; }
    platform::Event& oneShotEvent() { return oneShotEvent_; }
    int32_t& generatorAmplitude() { return generatorAmplitude_; }
    float& generatorFrequency() { return generatorFrequency_; }
    int32_t& batterySuspendSeconds() { return batterySuspend_; }
    int32_t& mainsSuspendSeconds() { return mainsSuspend_; }

private:
    // A request with the sample arrays it delivers into.
    struct BoundRequest {
        explicit BoundRequest(int capacity, platform::Event& event);
        MeasureRequest request;
        std::unique_ptr<uint32_t[]> values[kChannelCount];
        std::unique_ptr<int32_t[]> times[kChannelCount];
        std::atomic<int32_t> counts[kChannelCount];
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
    int32_t lastPresence_[kChannelCount] = {};
    int32_t connected_[kChannelCount] = {};
    ChannelState channels_[kChannelCount] = {};
    int32_t running_ = 0;
    int32_t statusWord_ = 0;
    int32_t batterySuspend_ = 0;
    int32_t mainsSuspend_ = 0;
    uint32_t firmwareVersion_ = 0;
    float channelIntervals_[kChannelCount] = {};
    int32_t generatorAmplitude_ = 50;
    float generatorFrequency_ = 2.0f;
    int32_t adcOffsetFlags_[kChannelCount] = {1, 1, 1, 1};
    // ---- Register transactions, readings, acquisitions, per-model set-up, calibration, zero,
    // ---- function generator and power time-outs (CNI2CSensorAcquisition.cpp,
    // ---- CNI2CSensorModelSetup.cpp, CNI2CSensorCalibration.cpp, PowerTimeouts.cpp).
public:
    // Register transactions on the one-shot request; 1, or 0 when the device is not open or the
    // arguments do not fit the request (width 1..4 for reads, at most 32 bytes of data).
    int32_t ReadRegister(int channel, int32_t address, uint32_t* value, int32_t width);
    // A register value of `width` bytes (1..4), lowest byte first on the bus.
    int32_t WriteRegister(int channel, int32_t address, uint32_t value, int32_t width);
    // The same transaction carrying `width` bytes of `data` (up to 32: adapter command frames).
    int32_t WriteRegisterBytes(int channel, int32_t address, const void* data, int32_t width);
    int32_t WriteRegisterAt(int channel, int32_t address, int32_t reg, uint32_t value, int32_t width);
    int32_t ReadBlock(int channel, int32_t address, int32_t reg, void* destination, int32_t length);
    int32_t WriteBlock(int channel, int32_t address, int32_t reg, const void* data, int32_t width);
    // The 128 bytes of the sensor's memory chip into the channel's memory image; 1/0.
    int32_t ReadSensorMemory(int channel);

    // One-shot helpers: a single-channel transaction of `channel` on a cleared one-shot request
    // (kind 0, interval 0, count 1, one sample an event, capacity 8 everywhere, no set-up writes,
    // counters 0). The caller fills access, registers and data, then submits; a submit returns 1
    // when the device took the request and answered within `waitMs`.
    MeasureSetupBlock& BeginOneShot(int channel);
    int32_t SubmitOneShotRead(uint32_t waitMs) { return SubmitOneShot(false, waitMs); }
    uint32_t* oneShotValues(int channel) { return oneShot_.values[channel].get(); }
    int32_t oneShotCount(int channel) const { return oneShot_.counts[channel].load(std::memory_order_acquire); }

    // One sample of a channel as `n` output values (1..4), and, when the second outputs are
    // given, one more through the fast ADC path. 1, or 0 when no sample came.
    int32_t ReadSingleValue(int channel, float* values, float* adcValues, int32_t* raw, int32_t* adcRaw, int32_t n);
    // Starts the live monitor of every connected channel; the completion event is returned
    // whether or not the device took the request.
    platform::Event& StartMonitor();
    // Starts a recorded run as the plan says; the completion event is returned whether or not the
    // device took the request (IsRunning() tells).
    platform::Event& StartAcquisition(const AcquisitionPlan& plan);
    // Fills the conversion record for the channel and converts `count` samples; `mode` is the
    // caller's display mode and plays no part. The result of the conversion, or 0 (with
    // *outCount 0) when the channel state or the access record is missing.
    int32_t ConvertChannelData(int channel, int32_t mode, int32_t count, const int32_t* rawValues,
                               const int32_t* rawTimes, float* outValues, float* outTimes, int32_t timeOffset,
                               const SensorAccessRecord* record, ChannelState* state, int32_t* outCount);
    const ConversionParams& conversionParams() const { return conversionParams_; }

    // Per-model set-up.
    int32_t ApplySamplingSetup(const MeasureSetupBlock& block);
    int32_t SetSensorType(int channel, SensorAccessRecord& record, int32_t typeCode);
    int32_t SetAdapterMode(int32_t startFlag);
    // Zero.
    int32_t CanSetZero(int channel) const;
    int32_t SetZero(int channel, int32_t output, int32_t setFlag);
    // Calibration kept in the sensor's memory or its adapter. SetCalibration returns 1 when every
    // write was acknowledged, 0 when one was not (the writes stop there) or nothing could be
    // stored; ClearCalibration returns 0 also when the cleared points could not be stored.
    int32_t HasUserCalibration(int channel, int32_t* flag);
    int32_t SetCalibration(int channel, int32_t n, const float* values, const int32_t* raws, int32_t tableFlag);
    int32_t ClearCalibration(int channel);
    void ResetCalibrationDefaults(int channel);
    // The fast ADC path.
    int32_t GetAdcMode(int channel);
    int32_t MeasureAdcOffset(int channel);
    // The function generator of the adapter at 0x75.
    int32_t WriteAdapterTable(int channel, int32_t bank, float frequency, float second, float third,
                              int32_t amplitudeCode);
    int32_t ClearAdapterTable(int channel, int32_t bank);
    // The generator's amplitude code of an amplitude of 1..100.
    static int32_t GeneratorAmplitudeCode(int32_t amplitude);
    // Mode 1 saves the system's suspend time-outs and sets the given ones; any other mode puts
    // the saved ones back (only after a save).
    void SetPowerTimeouts(int32_t batterySeconds, int32_t mainsSeconds, int32_t mode);

private:
    int32_t SubmitOneShot(bool write, uint32_t waitMs);
    void PrepareTransaction(int channel, int32_t address, int32_t clock, int32_t readType, int32_t byteCount);
    int32_t ReadOneSample(int channel, const SensorAccessRecord& record, bool adcPath, int32_t* index);
    // Stops whatever runs and sets the adapter for single readings (when the logger is open).
    void BeginSingleReading();
    // One sample through one path: its first n raw words and converted values. False when none came.
    bool TakePathSample(int channel, const SensorAccessRecord& record, bool adcPath, int32_t n, int32_t* raw,
                        float* values, int32_t* time = nullptr);
    // A single reading of one path with the adapter set up around it, as ReadSingleValue does for
    // each of its two: the first value and the logger's time stamp, or false when no sample came.
    bool ReadPathValue(int channel, bool adcPath, float* value, int32_t* time);
    // Submits the filled one-shot reading and finds the newest sample of `entries` words.
    int32_t CollectOneShotReading(int channel, int32_t entries, int32_t* index);
    int32_t ConvertOneSample(int channel, const SensorAccessRecord& record, int32_t index, int32_t adcFlag,
                             float* values);
    // The channel's memory image back into its memory chip; 1 when every block was acknowledged.
    int32_t WriteSensorMemory(int channel);
    // WriteRegisterBytes that tells what became of the write: -1 not sent (arguments, device),
    // 0 sent but not acknowledged, 1 acknowledged.
    int32_t SendRegisterBytes(int channel, int32_t address, const void* data, int32_t width);

    ConversionParams conversionParams_{};
    bool powerTimeoutsSaved_ = false;
    // ---- end of the acquisition and set-up block.

    // ---- Channel detection and sensor identification (CNI2CSensorDetection.cpp).
public:
    // Examines the channels whose presence changed in the last poll, identifies and sets up what
    // was plugged, and sends the recognition table. 1 when the last channel examined was
    // identified, -1 when it failed, 0 when no channel changed; `text` lists the channels examined.
    int32_t DetectSensors(std::u16string& text);
    // 1 when the recipe's register read falls in one of its windows and the sensor was set up.
    int32_t IdentifyBySearchRecipe(SensorSearchRecipe& recipe, int channel);
    int32_t LoadFileInfo(std::u16string_view matchedId, int channel);
    int32_t ReadAdapterDescription(std::u16string_view matchedId, int channel);
    int32_t ReadAdapterCalibration(std::u16string_view matchedId, int channel);
    // The catalogue entries of the adapter models as their detection leaves them (read size,
    // first unit, scale and rate of some models): LoadCatalogue makes these changes at once, so
    // that a recorded run converts the same whether or not a sensor of its model has been
    // detected since the program started.
    void PrepareAdapterRecords();
    int32_t ConfigureSensor(const SensorSearchRecipe& recipe, int channel);
    // Mode 0 resets a channel, 1 repeats a register set-up, 0xFFFF forgets and detects again.
    int32_t UpdateChannel(int channel, int32_t mode);
    int32_t UploadSearchTable();
    const SensorSearchTable& searchTable() const { return searchTable_; }
    // A silent logger makes every read of detection wait its full time. Another thread may ask
    // a running DetectSensors to stop: it looks before every channel and every recipe and then
    // returns -1 at once, without sending the recognition table. The request holds until cleared.
    void RequestDetectionAbort() { detectionAbort_.store(true, std::memory_order_release); }
    void ClearDetectionAbort() { detectionAbort_.store(false, std::memory_order_release); }
    bool DetectionAbortRequested() const { return detectionAbort_.load(std::memory_order_acquire); }

private:
    // One addressed register read on the one-shot request, with a finite wait; false when no
    // answer came (the value is then 0).
    bool ReadIdentifyingValue(int channel, const SensorSearchRecipe& recipe, uint32_t* value);
    bool ReadAddressedRegister(int channel, int32_t address, int32_t reg, int32_t width, uint32_t* value);
    // n bytes (1, 2 or 4) at an adapter memory location, lowest address in the lowest byte.
    bool ReadAdapterMemory(int channel, int32_t location, int32_t bytes, uint32_t* value);
    bool ReadAdapterCode(int channel, uint32_t* word);
    std::u16string ReadAdapterText(int channel, int32_t first, int32_t end, bool* ok);
    // The identification word, then the unlock that opens the description and the tables.
    bool OpenAdapter(int channel, int32_t* identificationWord);
    bool ReadAdapterTables(int channel, AdapterTables& tables);

    SensorSearchTable searchTable_{};
    std::atomic<bool> detectionAbort_{false};
    // ---- end of the detection block.
};

}  // namespace devicelink
