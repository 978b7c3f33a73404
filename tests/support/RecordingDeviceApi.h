#pragma once

#include "devicelink/protocol/MeasureSetupBlock.h"
#include "devicelink/sensor/SensorDeviceApi.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <deque>
#include <functional>
#include <vector>

namespace corviktest {

// One request as the logger would have received it.
struct Submitted {
    bool write = false;
    devicelink::MeasureSetupBlock block{};
    // The first 8 words of each channel's value array: what a write carries.
    std::array<std::array<uint32_t, 8>, devicelink::kChannelCount> data{};

    int Channel() const
    {
        for (int c = 0; c < devicelink::kChannelCount; ++c) {
            if (block.enabled[c])
                return c;
        }
        return -1;
    }
    uint8_t Byte(int c, int i) const { return reinterpret_cast<const uint8_t*>(data[c].data())[i]; }
};

// A logger that records every request and answers from the test's script. Reads of kind 0
// deliver the next scripted reply (words of the enabled channel) and signal, unless `onRead`
// takes over; writes signal, unless `onWrite` takes over. Timed starts are recorded and not answered.
class RecordingDeviceApi : public devicelink::SensorDeviceApi {
public:
    int Open() override
    {
        ++opens;
        return openResult;
    }
    void Close() override { ++closes; }
    int Stop() override
    {
        ++stops;
        return 1;
    }
    int SubmitRead(devicelink::MeasureRequest& request) override
    {
        Record(request, false);
        eventWasSetAtSubmit = request.host.event && request.host.event->IsSet();
        lastEvent = request.host.event;
        if (onRead)
            return onRead(request);
        if (request.block.kind != devicelink::kind::kSingle || submitResult != 1)
            return submitResult;
        std::vector<uint32_t> words;
        if (!replies.empty()) {
            words = replies.front();
            replies.pop_front();
        }
        const int c = submitted.back().Channel();
        if (c >= 0 && request.host.ChannelBound(c)) {
            const size_t n = std::min<size_t>(words.size(), 8);
            for (size_t i = 0; i < n; ++i) {
                request.host.values[c][i] = words[i];
                request.host.times[c][i] = static_cast<int32_t>(1000 * (i + 1));
            }
            request.host.counts[c]->store(static_cast<int32_t>(n));
        }
        if (request.host.event)
            request.host.event->Set();
        return 1;
    }
    int SubmitWrite(devicelink::MeasureRequest& request) override
    {
        Record(request, true);
        if (onWrite)
            return onWrite(request);
        if (request.host.event)
            request.host.event->Set();
        return request.block.kind == devicelink::kind::kSingle ? 1 : 0;
    }
    int PollStatusWord() override
    {
        if (statusWords.empty())
            return 0;
        const int word = statusWords.front();
        statusWords.pop_front();
        return word;
    }
    uint32_t GetFirmwareVersion() override { return firmware; }
    int WriteBlock(const void*) override { return 0; }
    int DeviceReady() override { return ready; }

    std::vector<Submitted> Writes() const
    {
        std::vector<Submitted> out;
        std::copy_if(submitted.begin(), submitted.end(), std::back_inserter(out),
                     [](const Submitted& s) { return s.write; });
        return out;
    }
    const devicelink::MeasureSetupBlock& LastBlock() const { return submitted.back().block; }

    int openResult = 1;
    int submitResult = 1;
    int ready = 1;
    uint32_t firmware = 20121015;
    std::deque<std::vector<uint32_t>> replies;
    std::deque<int> statusWords;
    std::function<int(devicelink::MeasureRequest&)> onRead;
    std::function<int(devicelink::MeasureRequest&)> onWrite;
    std::vector<Submitted> submitted;
    int opens = 0, closes = 0, stops = 0;
    bool eventWasSetAtSubmit = false;
    const platform::Event* lastEvent = nullptr;

private:
    void Record(const devicelink::MeasureRequest& request, bool write)
    {
        Submitted s;
        s.write = write;
        s.block = request.block;
        for (int c = 0; c < devicelink::kChannelCount; ++c) {
            if (request.host.values[c])
                std::memcpy(s.data[c].data(), request.host.values[c], sizeof s.data[c]);
        }
        submitted.push_back(s);
    }
};

}  // namespace corviktest
