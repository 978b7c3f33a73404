#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "devicelink/sensor/ChannelState.h"
#include "logger/sensorsetup/core/CalibrationStore.h"
#include "logger/sensorsetup/core/SetupSensor.h"

// The one user of the sensor object while a set-up dialog is open. Against a silent logger a
// reading or a write waits seconds; here it waits on this thread, and the dialog stays live. The
// thread reads the dialog's channel every 450 ms (the calibration dialog) and runs the dialog's
// jobs (zero, clear, store, the generator) one at a time, each after the reading in flight.
// Every result is left here and announced through `notify`; the dialog takes it on its thread.
namespace sensorsetup {

// A reading of one channel, or its failure.
struct LiveSample {
    int channel = -1;
    bool read = false;
    LiveReading reading;
};

// What a job hands back: its result and, when it changed a channel, that channel's state as
// it left it (the dialog reads channels only through these copies while the worker runs).
struct JobOutcome {
    int result = 0;
    int channel = -1;
    std::optional<devicelink::ChannelState> state;
};

class SetupSensorWorker {
public:
    static constexpr int kReadPeriodMs = 450;
    using Notify = std::function<void()>;  // called on the worker's thread
    using Job = std::function<JobOutcome(SetupSensor& sensor)>;

    SetupSensorWorker(SetupSensor& sensor, Notify notify);
    ~SetupSensorWorker();
    SetupSensorWorker(const SetupSensorWorker&) = delete;
    SetupSensorWorker& operator=(const SetupSensorWorker&) = delete;

    // Starts the thread; channel >= 0 reads that channel every kReadPeriodMs, -1 reads nothing.
    bool Start(int channel);
    // Readings of another channel from now on (a reading of the previous one still in flight is
    // dropped); the first comes at once.
    void SetChannel(int channel);
    // False while another job is waiting or running.
    bool Submit(Job job);

    std::optional<LiveSample> TakeSample();
    std::optional<JobOutcome> TakeOutcome();

    // Asks the thread to end after what it is doing; `notify` is called once more when it has.
    void RequestStop();
    // True until started and once the thread has ended.
    bool Ended() const { return ended_.load(std::memory_order_acquire); }
    // Waits for the thread; at once when Ended().
    void Join();

private:
    void Run();
    LiveSample Read(int channel);

    SetupSensor& sensor_;
    Notify notify_;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    int channel_ = -1;
    bool readNow_ = false;
    std::optional<Job> job_;
    bool jobRunning_ = false;
    std::optional<LiveSample> sample_;
    std::optional<JobOutcome> outcome_;
    std::atomic<bool> ended_{true};  // until started
};

}  // namespace sensorsetup
