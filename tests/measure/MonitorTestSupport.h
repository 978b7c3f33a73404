#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "logger/monitor/core/SensorMonitor.h"
#include "platform/Text.h"
#include "WakeUpQueue.h"

namespace monitortest {

// A sensor whose channels, records, arrays and conversions the test writes. Unless a channel's
// converter says otherwise, a sample converts to one value: its first raw word.
class FakeMonitorSensor : public monitor::MonitorSensor {
public:
    static constexpr int32_t kCapacity = 4096;
    using Converter = std::function<int32_t(int32_t count, const int32_t* raw, float* values)>;

    struct Channel {
        bool connected = false;
        bool hasRecord = true;
        devicelink::ChannelState state{};
        devicelink::SensorAccessRecord record{};
        std::vector<uint32_t> values = std::vector<uint32_t>(kCapacity);
        std::vector<int32_t> times = std::vector<int32_t>(kCapacity);
        std::atomic<int32_t> count{0};
        Converter convert;
        // What the last conversion was given: its first entry's index and its sample count.
        int32_t convertedFrom = -1;
        int32_t convertedCount = 0;
        int converts = 0;
    };

    // A connected one-output sensor of the given kind whose unit 1 is `unit` with `digits`.
    Channel& Plug(int c, int32_t kind, const std::u16string& name, const std::u16string& unit = u"V",
                  int32_t digits = 2)
    {
        Channel& ch = channels[size_t(c)];
        ch.connected = true;
        ch.hasRecord = true;
        ch.state = devicelink::ChannelState{};
        ch.state.conversionKind = kind;
        platform::CopyToField(ch.state.name, name);
        platform::CopyToField(ch.state.fullName, name + u" sensor");
        ch.record = devicelink::SensorAccessRecord{};
        ch.record.registerCount = 1;
        ch.record.outputCount = 1;
        ch.record.outputUnits[0][0] = 1;
        SetUnit(ch.record, 0, unit, digits);
        return ch;
    }
    static void SetUnit(devicelink::SensorAccessRecord& record, int entry, const std::u16string& unit,
                        int32_t digits)
    {
        platform::CopyToField(record.units[entry].unit.display, unit);
        record.units[entry].significantDigits = digits;
    }
    // Appends one sample of `words` (the record's register count of them) to a channel.
    void Deliver(int c, std::initializer_list<uint32_t> words)
    {
        Channel& ch = channels[size_t(c)];
        int32_t n = ch.count.load();
        for (uint32_t w : words) {
            ch.times[size_t(n)] = n;
            ch.values[size_t(n++)] = w;
        }
        ch.count.store(n);
    }

    bool AnyConnected() const override
    {
        return std::any_of(channels.begin(), channels.end(), [](const Channel& ch) { return ch.connected; });
    }
    bool IsConnected(int c) const override { return channels[size_t(c)].connected; }
    devicelink::ChannelState& State(int c) override { return channels[size_t(c)].state; }
    const devicelink::SensorAccessRecord* FindRecord(int c) override
    {
        return channels[size_t(c)].hasRecord ? &channels[size_t(c)].record : nullptr;
    }
    measure::AcquisitionArrays Arrays(int c) override
    {
        Channel& ch = channels[size_t(c)];
        return {ch.values.data(), ch.times.data(), &ch.count, kCapacity};
    }
    int32_t Convert(int c, int32_t count, const int32_t* raw, const int32_t*, float* values, float*) override
    {
        Channel& ch = channels[size_t(c)];
        ++ch.converts;
        ch.convertedFrom = int32_t(raw - reinterpret_cast<const int32_t*>(ch.values.data()));
        ch.convertedCount = count;
        if (ch.convert)
            return ch.convert(count, raw, values);
        values[0] = float(raw[0]);
        return 1;
    }
    platform::Event* StartMonitor() override
    {
        calls.push_back("start");
        ++starts;
        for (Channel& ch : channels)
            ch.count.store(0);
        running = acceptStart;
        return acceptStart ? &event : nullptr;
    }
    void StopAcquisition() override
    {
        calls.push_back("stop");
        running = false;
    }
    bool IsRunning() const override { return running; }
    void Reconfigure(int c) override { reconfigured.push_back(c); }

    std::array<Channel, 4> channels;
    platform::Event event{platform::Event::Kind::AutoReset};
    bool acceptStart = true;
    bool running = false;
    int starts = 0;
    std::vector<int> reconfigured;
    std::vector<std::string> calls;
};

// The screen's side; wake-ups the wait thread posts are queued for the test to hand over.
class FakeMonitorHost : public monitor::MonitorHost {
public:
    explicit FakeMonitorHost(FakeMonitorSensor& sensor) : sensor_(sensor) {}

    void StartTimer(int id, int periodMs) override { timers[id] = periodMs; }
    void KillTimer(int id) override
    {
        timers.erase(id);
        sensor_.calls.push_back("kill " + std::to_string(id));
    }
    void PostWakeUp(uint32_t generation) override { wakeUps_.Post(generation); }
    void SetSetupButtonsEnabled(bool enabled) override { buttonsEnabled = enabled; }
    void PageChanged() override { ++pageChanges; }
    void PanelsChanged() override { ++panelChanges; }

    bool NextWakeUp(uint32_t& generation, int ms) { return wakeUps_.Next(generation, ms); }

    std::map<int, int> timers;
    bool buttonsEnabled = false;
    int pageChanges = 0;
    int panelChanges = 0;

private:
    FakeMonitorSensor& sensor_;
    measuretest::WakeUpQueue wakeUps_;
};

inline std::u16string U(const char* utf8)
{
    return platform::Utf8ToUtf16(utf8);
}

}  // namespace monitortest
