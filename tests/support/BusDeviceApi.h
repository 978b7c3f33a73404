#pragma once

#include "devicelink/protocol/SensorSearchTable.h"
#include "tests/support/RecordingDeviceApi.h"
#include "tools/devsim/I2cBus.h"
#include "tools/devsim/SensorModels.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <memory>

namespace corviktest {

// The device layer as the simulated logger's bus answers it, in the test's own thread: every
// request runs at once against the plugged virtual sensors and signals its event, so detection
// can be driven step by step, and a test can make chosen transactions fail.
class BusDeviceApi : public RecordingDeviceApi {
public:
    // What a request comes back with: answered with data, answered without a sample, or refused.
    enum class Answer { Data, NoSample, Refused };
    using Rule = std::function<Answer(const devicelink::MeasureSetupBlock& block, int channel, bool write)>;

    bool Plug(int c, const std::string& spec)
    {
        devsim::SensorSpec parsed;
        std::string error;
        if (!devsim::ParseSensorSpec(spec, parsed, error))
            return false;
        sensors[size_t(c)] = devsim::MakeSensor(parsed, error);
        return sensors[size_t(c)] != nullptr;
    }
    void Pull(int c) { sensors[size_t(c)].reset(); }

    int SubmitRead(devicelink::MeasureRequest& r) override { return Run(r, false); }
    int SubmitWrite(devicelink::MeasureRequest& r) override { return Run(r, true); }
    int PollStatusWord() override
    {
        uint32_t word = 0;
        for (int c = 0; c < devicelink::kChannelCount; ++c)
            word |= devicelink::StatusBitsOf(c, {sensors[size_t(c)] != nullptr, sensors[size_t(c)] != nullptr});
        return int(word);
    }
    int WriteBlock(const void* table) override
    {
        std::memcpy(lastTable.data(), table, lastTable.size());
        return 1;
    }

    std::array<std::unique_ptr<devsim::VirtualSensor>, devicelink::kChannelCount> sensors;
    Rule rule;
    std::array<uint8_t, devicelink::kSensorSearchTableBytes> lastTable{};
    bool silent = false;  // takes requests and never answers
    int transactions = 0;

private:
    int Run(devicelink::MeasureRequest& r, bool write)
    {
        ++transactions;
        if (silent)
            return 1;
        devicelink::MeasureSetupBlock& b = r.block;
        int result = 1;
        for (int c = 0; c < devicelink::kChannelCount; ++c) {
            if (!b.enabled[c])
                continue;
            const Answer answer = rule ? rule(b, c, write) : Answer::Data;
            if (answer == Answer::Refused) {
                result = 0;
                continue;
            }
            devsim::VirtualSensor* s = sensors[size_t(c)].get();
            if (write) {
                for (int k = 0; k < devicelink::kRegisterEntries; ++k)
                    b.writeData[8 * c + k] = int32_t(r.host.values[c][k]);
                devsim::WriteChannel(s, b, c, nullptr);
                continue;
            }
            if (answer == Answer::NoSample)
                continue;
            devsim::RunSetupWrites(s, b, c, nullptr);
            const auto words = devsim::ReadChannel(s, b, c, 0.0, size_t(std::max(1, b.capacity[c])));
            for (size_t k = 0; k < words.size(); ++k) {
                r.host.values[c][k] = words[k];
                r.host.times[c][k] = 0;
            }
            r.host.counts[c]->store(int32_t(words.size()));
        }
        if (r.host.event)
            r.host.event->Set();
        return result;
    }
};

}  // namespace corviktest
