#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "logger/project/ExperimentRecords.h"
#include "logger/project/RunStore.h"

namespace project {

// The sensor object as the run model sees it.
class ChannelSetupSource {
public:
    virtual ~ChannelSetupSource() = default;
    // The live channel state of a channel; null when there is no sensor object.
    virtual const ChannelStateImage* ChannelState(int channel) const = 0;
    virtual bool IsChannelConnected(int channel) const = 0;
    // Default rate in Hz of the sampling entry the channel's state selects; 0 when not set.
    virtual int32_t DefaultChannelRate(int channel) const = 0;
};

// What the measurement screen does for the run model.
struct RunModelHooks {
    std::function<void()> clearChartSeries;
    // The rate plan, run on the current record after its default set-up.
    std::function<void(DataSetRecord&)> planRates;
};

// Results of NewRun, DeleteRun and SelectRun.
constexpr int kRunDone = 1;
constexpr int kRunRefused = 0;
// The working copy could not be written (nothing was given up) or read back (no set is current
// then; selecting one again retries).
constexpr int kRunStoreFailed = -1;

// The four data sets of the measurement screen: which one is current, making, deleting and
// switching them, and the set-up a new measurement starts from. The measurement screen
// delegates to it; the store keeps the samples of the sets it is not showing.
class RunModel {
public:
    RunModel(ExperimentBlock& block, RunStore& store, const ChannelSetupSource& sensor,
             RunModelHooks hooks, std::u16string runTitleText);

    ExperimentBlock& Block() { return block_; }
    // The current record; null while the current index is not 0..3.
    DataSetRecord* GetCurrentRun();
    int ClearAllRuns();
    // kRunDone and a new current set when sets remain; kRunRefused when k is not a created set
    // or none is left.
    int DeleteRun(int k);
    // kRunDone, or kRunRefused when four sets exist or the current one is still empty.
    int NewRun();
    // Makes created set k current, bringing its samples back from the store.
    int SelectRun(int k);
    // The default set-up of the current record, then the rate plan and the time scales.
    void InitRunSetup();
    // Takes the live channel states into the current record for a measurement.
    void CopyChannelSetup();

private:
    void CreateRecord(int index);
    // Brings the current set's samples back from the store; on failure no set is current.
    int LoadCurrent();

    ExperimentBlock& block_;
    RunStore& store_;
    const ChannelSetupSource& sensor_;
    RunModelHooks hooks_;
    std::u16string runTitleText_;
};

// The time scale of each channel copy (device stamps to seconds): the device stamps milliseconds
// at periods from 10 ms on and microseconds below, and only timed runs stamp time at all. Run
// after every rate plan, since the plan may change the period.
void ApplyTimeScales(DataSetRecord& record);

}  // namespace project
