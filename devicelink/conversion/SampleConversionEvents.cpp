// Event kinds: gate passages and changes of a counter word. Their counters live in the
// process-wide conversion state, so a live run converted batch by batch numbers its events
// continuously.
#include "devicelink/conversion/ConversionState.h"
#include "devicelink/conversion/SampleConversionRoutines.h"

namespace devicelink::conversion {
namespace {

constexpr double kGateLowBelow = 300.0;
constexpr double kGateHighAbove = 4000.0;
constexpr int32_t kFilterPassThroughModeA = 4;
constexpr int32_t kFilterPassThroughModeB = 5;

int32_t Next(int32_t counter)
{
    return int32_t(uint32_t(counter) + 1u);
}

// Each new word is one event, numbered by the counter; the event's value is the word's reading.
int32_t EmitChanges(const Batch& b, ChangeEventState& state)
{
    int32_t produced = 0;
    for (int32_t i = 0; i < b.count; ++i) {
        const int32_t word = b.Sample(i)[0];
        if (word == state.lastRaw)
            continue;
        b.values[produced] = float(double(uint32_t(word) & 0x7FFFFFFFu) / 1000000.0);
        b.times[produced] = float(state.counter);
        ++produced;
        state.counter = Next(state.counter);
        state.lastRaw = word;
    }
    return produced;
}

}  // namespace

int32_t ConvertGateEvents(const Batch& b)
{
    GateEventState& gate = ProcessConversionState().gate[b.channel];
    // The j-th event of this call goes to index j, so the caller appends exactly what is
    // returned; its time slot carries the event's number over the whole run.
    int32_t produced = 0;
    for (int32_t i = 0; i < b.count; ++i) {
        const double level = double(b.p.offsetZ) + double(b.p.multiplierM) * b.Sample(i)[0];
        int32_t high = gate.levelHigh;
        if (level < kGateLowBelow)
            high = 0;
        else if (level > kGateHighAbove)
            high = 1;
        if (high == gate.levelHigh)
            continue;
        gate.levelHigh = high;
        const float t = b.SampleTime(i);
        b.values[produced] = t;
        b.times[produced] = float(gate.eventCount);
        ++produced;
        gate.eventCount = Next(gate.eventCount);
        gate.lastEventTime = t;
    }
    return produced;
}

int32_t ConvertSharedChangeEvents(const Batch& b)
{
    return EmitChanges(b, ProcessConversionState().sharedChange);
}

int32_t ConvertChannelChangeEvents(const Batch& b)
{
    if (b.p.mode == kFilterPassThroughModeA || b.p.mode == kFilterPassThroughModeB) {
        return ConvertEachSample(b, TimesFor::EverySample, [](const int32_t* sample, double& value) {
            value = sample[0];
            return true;
        });
    }
    return EmitChanges(b, ProcessConversionState().channelFilter[b.channel]);
}

}  // namespace devicelink::conversion
