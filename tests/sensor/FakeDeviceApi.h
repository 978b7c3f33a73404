#pragma once

#include "devicelink/MeasureSetupBlock.h"
#include "devicelink/SensorDeviceApi.h"

#include <deque>
#include <functional>

namespace sensortest {

// A logger that answers from the test's script: open result, status words, firmware version and
// what a submitted read delivers.
class FakeDeviceApi : public devicelink::SensorDeviceApi {
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
        ++reads;
        lastBlock = request.block;
        eventWasSetAtSubmit = request.host.event && request.host.event->IsSet();
        lastEvent = request.host.event;
        return onRead ? onRead(request) : 0;
    }
    int SubmitWrite(devicelink::MeasureRequest&) override { return 0; }
    int PollStatusWord() override
    {
        if (statusWords.empty())
            return 0;
        const int word = statusWords.front();
        statusWords.pop_front();
        return word;
    }
    uint32_t GetFirmwareVersion() override { return firmware; }
    void Nop() override {}
    int WriteBlock(const void*) override { return 0; }

    // Delivers one sample of `words` on channel c and signals, as the driver does.
    static int Deliver(devicelink::MeasureRequest& request, int c, std::initializer_list<uint32_t> words)
    {
        int n = 0;
        for (uint32_t w : words) {
            request.host.values[c][n] = w;
            request.host.times[c][n] = 100 * (n + 1);
            ++n;
        }
        request.host.counts[c]->store(n);
        request.host.event->Set();
        return 1;
    }

    int openResult = 1;
    uint32_t firmware = 20121015;
    std::deque<int> statusWords;
    std::function<int(devicelink::MeasureRequest&)> onRead;
    int opens = 0, closes = 0, stops = 0, reads = 0;
    devicelink::MeasureSetupBlock lastBlock{};
    bool eventWasSetAtSubmit = false;
    const platform::Event* lastEvent = nullptr;
};

}  // namespace sensortest
