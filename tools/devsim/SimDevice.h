#pragma once

#include "tools/devsim/Acquisition.h"
#include "tools/devsim/I2cBus.h"
#include "tools/devsim/VirtualSensor.h"

#include "devicelink/protocol/MeasureSetupBlock.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The simulated logger itself: four channels, the status word, the firmware banks, and the
// answers to every host command. It knows nothing of sockets; the server feeds it frames and
// sends what it returns. Every public member is safe to call from any thread.
namespace devsim {

struct DeviceOptions {
    int32_t firmwareVersion = 20130913;
    int32_t bank = 0;          // bank the next upgrade goes to
    int32_t sequence = 0;      // sequence of the image in use
    Delivery delivery = Delivery::Block;
    bool wideReadReply = false;  // answer one-shot reads with 0x12110001 instead of 0x10000007
    bool fast = false;
    std::string firmwareOut;     // where an accepted image is written; empty: kept in memory only
};

// The outcome of the last upgrade check.
struct FirmwareVerdict {
    bool checked = false;
    bool accepted = false;
    std::string reason;             // empty when accepted
    std::vector<uint8_t> image;     // the rebuilt image, without the padding of its last block
};

class SimDevice {
public:
    static constexpr uint32_t kMaxFirmwareBlock = 2048;
    static constexpr size_t kMaxWriteRecords = 10000;

    explicit SimDevice(DeviceOptions options = {});
    ~SimDevice();

    // Log lines for the verbose mode (connections, commands, writes); null for silence.
    void SetLogger(std::function<void(const std::string&)> log);

    // Answers one host command received at `now` seconds of device time.
    void HandleCommand(uint32_t code, std::span<const uint32_t> payload, double now, std::vector<OutFrame>& out);
    // Data frames of the running measurement or stream due by `now`.
    void Advance(double now, std::vector<OutFrame>& out);
    // Device time at which Advance has something to send (infinity when idle).
    double NextDue() const;
    // A new connection: whatever was running stops, as when the logger is plugged in again.
    void ResetLink();

    bool Plug(int channel, const SensorSpec& spec, std::string& error);
    // The sensor pulled out is kept aside, memory and all, until Replug puts it back (false when
    // none was pulled) or another sensor is plugged.
    bool Pull(int channel);
    bool Replug(int channel);
    // The plugged sensor measures another signal from now on (false when the channel has none).
    bool SetSignal(int channel, const SignalSpec& signal);
    // Device-initiated frames.
    void SendHello(std::vector<OutFrame>& out);
    void RequestStop(std::vector<OutFrame>& out);

    void SetDelivery(Delivery delivery);
    void SetWideReadReply(bool wide);
    uint32_t StatusWord() const;
    std::string SensorModel(int channel) const;
    bool Measuring() const;
    bool Streaming() const;
    std::vector<WriteRecord> Writes() const;
    void ClearWrites();
    FirmwareVerdict Verdict() const;
    int32_t FirmwareSequence() const;
    int32_t FirmwareBank() const;
    std::vector<uint8_t> SearchTable() const;
    int HelloAnswers() const;
    int StopAnswers() const;
    uint64_t CommandCount(uint32_t code) const;
    // Runs f on channel c's sensor under the device lock (null sensor when the channel is empty).
    void WithSensor(int channel, const std::function<void(VirtualSensor*)>& f);

private:
    uint32_t StatusWordLocked() const;
    std::vector<uint32_t> ReadForSample(int c, double t, size_t maxWords);
    void Log(const std::string& line) const;
    void RecordWrite(const WriteRecord& record);
    void FirmwareBlock(std::span<const uint32_t> payload, std::vector<OutFrame>& out);
    void FirmwareFinish(std::span<const uint32_t> payload, std::vector<OutFrame>& out);
    // Why the received image does not match the finish's sum and size (empty when it does); cuts
    // the image to its size.
    std::string CheckReceivedImage(uint32_t sum, uint32_t size, std::vector<uint8_t>& image) const;
    static devicelink::MeasureSetupBlock BlockFrom(std::span<const uint32_t> payload);

    mutable std::mutex mutex_;
    DeviceOptions options_;
    std::function<void(const std::string&)> log_;
    std::unique_ptr<VirtualSensor> sensors_[devicelink::kChannelCount];
    std::unique_ptr<VirtualSensor> pulled_[devicelink::kChannelCount];
    std::optional<Measurement> measurement_;
    devicelink::MeasureSetupBlock measureBlock_{};
    double measureStart_ = 0.0;
    std::optional<StreamRun> stream_;
    double streamStart_ = 0.0;
    std::vector<WriteRecord> writes_;
    std::vector<uint8_t> searchTable_;
    std::map<uint32_t, uint64_t> commandCounts_;
    int helloAnswers_ = 0;
    int stopAnswers_ = 0;

    // Upgrade in progress: blocks must come with indexes 0, 1, 2, ...
    uint32_t nextBlock_ = 0;
    int32_t upgradeBank_ = 0;  // the bank named at the start: the image must carry its marker
    std::vector<uint8_t> upgradeImage_;
    std::string upgradeFault_;
    FirmwareVerdict verdict_;
};

}  // namespace devsim
