#include "tools/devsim/SimDevice.h"

#include "tools/devsim/SensorModels.h"

#include "devicelink/protocol/CommandFrame.h"
#include "devicelink/protocol/FirmwareImage.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <numeric>

namespace devsim {

namespace code = devicelink::code;
using devicelink::kChannelCount;

namespace {

OutFrame Reply(uint32_t trigger, uint32_t code, std::vector<uint32_t> payload = {})
{
    return OutFrame{trigger, devicelink::MakeFrame(code, payload)};
}

std::string Hex(uint32_t v)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", v);
    return text;
}

bool ValidChannel(int c)
{
    return c >= 0 && c < kChannelCount;
}

}  // namespace

SimDevice::SimDevice(DeviceOptions options) : options_(std::move(options)) {}

SimDevice::~SimDevice() = default;

void SimDevice::SetLogger(std::function<void(const std::string&)> log)
{
    std::lock_guard lock(mutex_);
    log_ = std::move(log);
}

void SimDevice::Log(const std::string& line) const
{
    if (log_)
        log_(line);
}

void SimDevice::RecordWrite(const WriteRecord& record)
{
    Log("write " + record.ToText());
    if (writes_.size() < kMaxWriteRecords)
        writes_.push_back(record);
}

devicelink::MeasureSetupBlock SimDevice::BlockFrom(std::span<const uint32_t> payload)
{
    // A short block is read as far as it goes; the rest counts as zero.
    devicelink::MeasureSetupBlock block{};
    std::memcpy(&block, payload.data(), std::min(sizeof block, payload.size_bytes()));
    return block;
}

std::vector<uint32_t> SimDevice::ReadForSample(int c, double t, size_t maxWords)
{
    return ReadChannel(sensors_[c].get(), measureBlock_, c, t, maxWords);
}

void SimDevice::HandleCommand(uint32_t cmd, std::span<const uint32_t> payload, double now,
                              std::vector<OutFrame>& out)
{
    std::lock_guard lock(mutex_);
    ++commandCounts_[cmd];
    Log("command " + Hex(cmd) + " (" + std::to_string(payload.size()) + " payload words)");
    const WriteObserver record = [this](const WriteRecord& r) { RecordWrite(r); };

    switch (cmd) {
    case code::kHello:
        out.push_back(Reply(cmd, code::kHelloAck));
        break;
    case code::kHelloAck:
        ++helloAnswers_;
        break;
    case code::kReadSamples: {
        const auto block = BlockFrom(payload);
        const bool wide = options_.wideReadReply;
        const size_t perChannel = wide ? 128 : 8;
        std::vector<uint32_t> reply(1 + kChannelCount * perChannel, 0);
        reply[0] = uint32_t(std::llround(now * 1000.0));
        for (int c = 0; c < kChannelCount; ++c) {
            if (block.enabled[c] != 1)
                continue;
            RunSetupWrites(sensors_[c].get(), block, c, record);
            const auto words = ReadChannel(sensors_[c].get(), block, c, now, perChannel);
            std::copy(words.begin(), words.end(), reply.begin() + std::ptrdiff_t(1 + perChannel * size_t(c)));
        }
        out.push_back(Reply(cmd, wide ? code::kWideReadReply : code::kReadReply, std::move(reply)));
        break;
    }
    case code::kWriteSetup: {
        const auto block = BlockFrom(payload);
        for (int c = 0; c < kChannelCount; ++c)
            if (block.enabled[c] == 1)
                WriteChannel(sensors_[c].get(), block, c, record);
        out.push_back(Reply(cmd, code::kWriteDone));
        break;
    }
    case code::kStartMeasure: {
        measureBlock_ = BlockFrom(payload);
        for (int c = 0; c < kChannelCount; ++c)
            if (measureBlock_.enabled[c] == 1)
                RunSetupWrites(sensors_[c].get(), measureBlock_, c, record);
        measurement_.emplace(measureBlock_, options_.delivery, options_.fast);
        measureStart_ = now;
        Log("measurement kind " + std::to_string(measureBlock_.kind) + ", interval "
            + std::to_string(measureBlock_.interval) + " us, count " + std::to_string(measureBlock_.count)
            + ", delivery " + DeliveryName(options_.delivery));
        out.push_back(Reply(cmd, code::kStarted));
        break;
    }
    case code::kStop:
        measurement_.reset();
        stream_.reset();
        out.push_back(Reply(cmd, code::kStopped));
        break;
    case code::kStopped:
        ++stopAnswers_;
        break;
    case code::kQueryStatus:
        out.push_back(Reply(cmd, code::kStatusReply, {StatusWordLocked()}));
        break;
    case code::kQueryValue: {
        const int c = payload.empty() ? 0 : int(payload[0] & 3);
        const uint32_t v = sensors_[c] ? sensors_[c]->StreamValue(now) : 0;
        out.push_back(Reply(cmd, code::kValueReply, {v}));
        break;
    }
    case code::kStartStream:
        stream_.emplace(payload.empty() ? 0u : payload[0] & 0xFu);
        streamStart_ = now;
        out.push_back(Reply(cmd, code::kStreamStarted));
        break;
    case code::kStopStream:
        stream_.reset();
        out.push_back(Reply(cmd, code::kStreamStopped));
        break;
    case code::kFirmwareBegin:
        nextBlock_ = 0;
        upgradeBank_ = options_.bank;
        upgradeImage_.clear();
        upgradeFault_.clear();
        out.push_back(Reply(cmd, code::kFirmwareBank, {uint32_t(options_.bank), uint32_t(options_.sequence)}));
        break;
    case code::kFirmwareBlock:
        FirmwareBlock(payload, out);
        break;
    case code::kFirmwareCheck:
        FirmwareFinish(payload, out);
        break;
    case code::kGetVersion:
        out.push_back(Reply(cmd, code::kVersionReply, {uint32_t(options_.firmwareVersion)}));
        break;
    case code::kWriteDeviceBlock:
        searchTable_.assign(reinterpret_cast<const uint8_t*>(payload.data()),
                            reinterpret_cast<const uint8_t*>(payload.data()) + payload.size_bytes());
        out.push_back(Reply(cmd, code::kDeviceBlockWritten));
        break;
    default:
        Log("ignored unknown command " + Hex(cmd));
        break;
    }
}

void SimDevice::FirmwareBlock(std::span<const uint32_t> payload, std::vector<OutFrame>& out)
{
    // A block that breaks the run is not acknowledged: the tool must not believe it was written.
    std::string fault;
    if (payload.size() < 2)
        fault = "block without header";
    else if (payload[1] > kMaxFirmwareBlock)
        fault = "block of " + std::to_string(payload[1]) + " bytes";
    else if (payload.size_bytes() < 8 + size_t(payload[1]))
        fault = "block shorter than its byte count";
    else if (payload[0] != nextBlock_)
        fault = "block " + std::to_string(payload[0]) + " where " + std::to_string(nextBlock_) + " was due";
    if (!fault.empty()) {
        if (upgradeFault_.empty())
            upgradeFault_ = fault;
        Log("firmware: " + fault);
        return;
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(payload.data() + 2);
    upgradeImage_.insert(upgradeImage_.end(), bytes, bytes + payload[1]);
    ++nextBlock_;
    out.push_back(Reply(code::kFirmwareBlock, code::kFirmwareBlockAck));
}

void SimDevice::FirmwareFinish(std::span<const uint32_t> payload, std::vector<OutFrame>& out)
{
    FirmwareVerdict v;
    v.checked = true;
    v.image = upgradeImage_;
    if (payload.size() < 3)
        v.reason = "check without sequence, sum and size";
    else if (!upgradeFault_.empty())
        v.reason = upgradeFault_;
    else if (payload[0] != uint32_t(options_.sequence) + 1)
        v.reason = "sequence " + std::to_string(payload[0]) + ", expected " + std::to_string(options_.sequence + 1);
    else
        v.reason = CheckReceivedImage(payload[1], payload[2], v.image);
    if (v.reason.empty() && !options_.firmwareOut.empty()) {
        std::ofstream file(options_.firmwareOut, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(v.image.data()), std::streamsize(v.image.size()));
        if (!file)
            v.reason = "cannot write " + options_.firmwareOut;
    }
    v.accepted = v.reason.empty();
    Log(v.accepted ? "firmware: image of " + std::to_string(v.image.size()) + " bytes accepted"
                   : "firmware: image refused: " + v.reason);
    if (v.accepted) {
        options_.sequence = int32_t(payload[0]);
        options_.bank = 1 - options_.bank;
        out.push_back(Reply(code::kFirmwareCheck, code::kFirmwareCheckAck));
    }
    nextBlock_ = 0;
    upgradeImage_.clear();
    upgradeFault_.clear();
    verdict_ = std::move(v);
}

std::string SimDevice::CheckReceivedImage(uint32_t sum, uint32_t size, std::vector<uint8_t>& image) const
{
    // The last block may come padded to its full size with 0xFF: the image is the first `size`
    // bytes, and the rest must be padding of less than one block.
    const size_t received = image.size();
    if (size > received || received - size >= kMaxFirmwareBlock)
        return "size " + std::to_string(size) + ", received " + std::to_string(received);
    if (!std::all_of(image.begin() + std::ptrdiff_t(size), image.end(), [](uint8_t b) { return b == 0xFF; }))
        return "bytes past the size " + std::to_string(size) + " are not padding";
    image.resize(size);
    const uint32_t receivedSum = std::accumulate(image.begin(), image.end(), 0u);
    if (sum != receivedSum)
        return "byte sum " + std::to_string(sum) + ", received " + std::to_string(receivedSum);
    if (!devicelink::FindBankMarker(image, upgradeBank_))
        return "no marker of bank " + std::to_string(upgradeBank_);
    return {};
}

void SimDevice::Advance(double now, std::vector<OutFrame>& out)
{
    std::lock_guard lock(mutex_);
    if (measurement_) {
        measurement_->Advance(now - measureStart_,
                              [this](int c, double t, size_t maxWords) { return ReadForSample(c, t, maxWords); }, out);
        if (measurement_->Finished()) {
            Log("measurement complete");
            measurement_.reset();
        }
    }
    if (stream_)
        stream_->Advance(now - streamStart_,
                         [this](int c, double t) { return sensors_[c] ? sensors_[c]->StreamValue(t) : uint16_t(0); },
                         out);
}

double SimDevice::NextDue() const
{
    std::lock_guard lock(mutex_);
    double due = std::numeric_limits<double>::infinity();
    if (measurement_)
        due = measureStart_ + measurement_->NextDue();
    if (stream_)
        due = std::min(due, streamStart_ + stream_->NextDue());
    return due;
}

void SimDevice::ResetLink()
{
    std::lock_guard lock(mutex_);
    measurement_.reset();
    stream_.reset();
}

bool SimDevice::Plug(int channel, const SensorSpec& spec, std::string& error)
{
    if (!ValidChannel(channel)) {
        error = "channel must be 0..3";
        return false;
    }
    auto sensor = MakeSensor(spec, error);
    if (!sensor)
        return false;
    std::lock_guard lock(mutex_);
    sensors_[channel] = std::move(sensor);
    pulled_[channel].reset();
    Log("plugged " + spec.model + " into channel " + std::to_string(channel));
    return true;
}

bool SimDevice::Pull(int channel)
{
    if (!ValidChannel(channel))
        return false;
    std::lock_guard lock(mutex_);
    if (sensors_[channel])
        pulled_[channel] = std::move(sensors_[channel]);
    Log("pulled channel " + std::to_string(channel));
    return true;
}

bool SimDevice::Replug(int channel)
{
    if (!ValidChannel(channel))
        return false;
    std::lock_guard lock(mutex_);
    if (!pulled_[channel])
        return false;
    sensors_[channel] = std::move(pulled_[channel]);
    Log("plugged channel " + std::to_string(channel) + " again");
    return true;
}

bool SimDevice::SetSignal(int channel, const SignalSpec& signal)
{
    if (!ValidChannel(channel))
        return false;
    std::lock_guard lock(mutex_);
    if (!sensors_[channel])
        return false;
    sensors_[channel]->SetSignal(signal);
    Log("new signal on channel " + std::to_string(channel));
    return true;
}

void SimDevice::SendHello(std::vector<OutFrame>& out)
{
    out.push_back(Reply(code::kHello, code::kHello));
}

void SimDevice::RequestStop(std::vector<OutFrame>& out)
{
    std::lock_guard lock(mutex_);
    measurement_.reset();
    stream_.reset();
    out.push_back(Reply(code::kStop, code::kStop));
}

void SimDevice::SetDelivery(Delivery delivery)
{
    std::lock_guard lock(mutex_);
    options_.delivery = delivery;
}

void SimDevice::SetWideReadReply(bool wide)
{
    std::lock_guard lock(mutex_);
    options_.wideReadReply = wide;
}

uint32_t SimDevice::StatusWord() const
{
    std::lock_guard lock(mutex_);
    return StatusWordLocked();
}

uint32_t SimDevice::StatusWordLocked() const
{
    // A plugged sensor is present (bit c) and ready (bit 16 + c) at once.
    uint32_t s = 0;
    for (int c = 0; c < kChannelCount; ++c)
        s |= devicelink::StatusBitsOf(c, {sensors_[c] != nullptr, sensors_[c] != nullptr});
    return s;
}

std::string SimDevice::SensorModel(int channel) const
{
    std::lock_guard lock(mutex_);
    return ValidChannel(channel) && sensors_[channel] ? sensors_[channel]->Model() : std::string();
}

bool SimDevice::Measuring() const
{
    std::lock_guard lock(mutex_);
    return measurement_.has_value();
}

bool SimDevice::Streaming() const
{
    std::lock_guard lock(mutex_);
    return stream_.has_value();
}

std::vector<WriteRecord> SimDevice::Writes() const
{
    std::lock_guard lock(mutex_);
    return writes_;
}

void SimDevice::ClearWrites()
{
    std::lock_guard lock(mutex_);
    writes_.clear();
}

FirmwareVerdict SimDevice::Verdict() const
{
    std::lock_guard lock(mutex_);
    return verdict_;
}

int32_t SimDevice::FirmwareSequence() const
{
    std::lock_guard lock(mutex_);
    return options_.sequence;
}

int32_t SimDevice::FirmwareBank() const
{
    std::lock_guard lock(mutex_);
    return options_.bank;
}

std::vector<uint8_t> SimDevice::SearchTable() const
{
    std::lock_guard lock(mutex_);
    return searchTable_;
}

int SimDevice::HelloAnswers() const
{
    std::lock_guard lock(mutex_);
    return helloAnswers_;
}

int SimDevice::StopAnswers() const
{
    std::lock_guard lock(mutex_);
    return stopAnswers_;
}

uint64_t SimDevice::CommandCount(uint32_t cmd) const
{
    std::lock_guard lock(mutex_);
    const auto it = commandCounts_.find(cmd);
    return it == commandCounts_.end() ? 0 : it->second;
}

void SimDevice::WithSensor(int channel, const std::function<void(VirtualSensor*)>& f)
{
    std::lock_guard lock(mutex_);
    f(ValidChannel(channel) ? sensors_[channel].get() : nullptr);
}

}  // namespace devsim
