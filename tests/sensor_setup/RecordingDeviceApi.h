#pragma once

#include "devicelink/MeasureSetupBlock.h"
#include "devicelink/SensorDeviceApi.h"

#include <array>
#include <cstring>
#include <deque>
#include <vector>

namespace setuptest {

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

// A logger that records every request. Reads of kind 0 deliver the next scripted reply (words of
// the enabled channel) and signal; writes signal. Timed starts are recorded and not answered.
class RecordingDeviceApi : public devicelink::SensorDeviceApi {
public:
    int Open() override { return openResult; }
    void Close() override {}
    int Stop() override
    {
        ++stops;
        return 1;
    }
    int SubmitRead(devicelink::MeasureRequest& request) override
    {
        Record(request, false);
        if (request.block.kind != devicelink::kind::kSingle)
            return submitResult;
        if (submitResult != 1)
            return submitResult;
        std::vector<uint32_t> words;
        if (!replies.empty()) {
            words = replies.front();
            replies.pop_front();
        }
        if (silent)
            return 1;
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
        if (request.host.event)
            request.host.event->Set();
        return request.block.kind == devicelink::kind::kSingle ? 1 : 0;
    }
    int PollStatusWord() override { return 0; }
    uint32_t GetFirmwareVersion() override { return 20121015; }
    void Nop() override {}
    int WriteBlock(const void*) override { return 0; }
    int DeviceReady() override { return ready; }

    std::vector<Submitted> Writes() const
    {
        std::vector<Submitted> out;
        for (const Submitted& s : submitted) {
            if (s.write)
                out.push_back(s);
        }
        return out;
    }

    int openResult = 1;
    int submitResult = 1;
    int ready = 1;
    bool silent = false;  // accept reads without ever answering
    int stops = 0;
    std::deque<std::vector<uint32_t>> replies;
    std::vector<Submitted> submitted;

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

}  // namespace setuptest
