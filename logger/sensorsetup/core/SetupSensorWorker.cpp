#include "logger/sensorsetup/core/SetupSensorWorker.h"

#include <chrono>

#include "logger/sensorsetup/core/SensorSetupRules.h"

namespace sensorsetup {

SetupSensorWorker::SetupSensorWorker(SetupSensor& sensor, Notify notify)
    : sensor_(sensor), notify_(std::move(notify))
{
}

SetupSensorWorker::~SetupSensorWorker()
{
    RequestStop();
    Join();
}

bool SetupSensorWorker::Start(int channel)
{
    if (thread_.joinable())
        return false;
    {
        std::lock_guard lock(mutex_);
        stop_ = false;
        channel_ = channel;
        readNow_ = channel >= 0;
    }
    ended_.store(false, std::memory_order_release);
    try {
        thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        ended_.store(true, std::memory_order_release);
        return false;
    }
    return true;
}

void SetupSensorWorker::SetChannel(int channel)
{
    {
        std::lock_guard lock(mutex_);
        if (channel_ < 0 || channel == channel_)
            return;
        channel_ = channel;
        readNow_ = true;
        sample_.reset();
    }
    wake_.notify_all();
}

bool SetupSensorWorker::Submit(Job job)
{
    {
        std::lock_guard lock(mutex_);
        if (stop_ || job_ || jobRunning_ || !job)
            return false;
        job_ = std::move(job);
    }
    wake_.notify_all();
    return true;
}

std::optional<LiveSample> SetupSensorWorker::TakeSample()
{
    std::lock_guard lock(mutex_);
    std::optional<LiveSample> sample = std::move(sample_);
    sample_.reset();
    return sample;
}

std::optional<JobOutcome> SetupSensorWorker::TakeOutcome()
{
    std::lock_guard lock(mutex_);
    std::optional<JobOutcome> outcome = std::move(outcome_);
    outcome_.reset();
    return outcome;
}

void SetupSensorWorker::RequestStop()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
}

void SetupSensorWorker::Join()
{
    if (thread_.joinable())
        thread_.join();
}

void SetupSensorWorker::Run()
{
    using Clock = std::chrono::steady_clock;
    Clock::time_point nextRead = Clock::now();
    std::unique_lock lock(mutex_);
    while (!stop_) {
        if (job_) {
            Job job = std::move(*job_);
            job_.reset();
            jobRunning_ = true;
            lock.unlock();
            JobOutcome outcome = job(sensor_);
            lock.lock();
            jobRunning_ = false;
            outcome_ = std::move(outcome);
            lock.unlock();
            notify_();
            lock.lock();
            continue;
        }
        if (channel_ >= 0 && (readNow_ || Clock::now() >= nextRead)) {
            const int channel = channel_;
            readNow_ = false;
            lock.unlock();
            LiveSample sample = Read(channel);
            lock.lock();
            nextRead = Clock::now() + std::chrono::milliseconds(kReadPeriodMs);
            // A reading of a channel the dialog has left is of no use to it.
            if (channel != channel_)
                continue;
            sample_ = sample;
            lock.unlock();
            notify_();
            lock.lock();
            continue;
        }
        if (channel_ >= 0)
            wake_.wait_until(lock, nextRead);
        else
            wake_.wait(lock);
    }
    lock.unlock();
    ended_.store(true, std::memory_order_release);
    notify_();
}

LiveSample SetupSensorWorker::Read(int channel)
{
    LiveSample sample;
    sample.channel = channel;
    SingleReading reading;
    const devicelink::SensorAccessRecord* record = sensor_.FindRecord(channel);
    if (!record || !sensor_.ReadSingle(channel, reading))
        return sample;
    const int32_t family = sensor_.State(channel).sensorFamily;
    sample.read = true;
    sample.reading.value = reading.values[0];
    sample.reading.secondValue = reading.secondValues[0];
    sample.reading.raw = sensorsetup::HostOrderRaw(reading.raws[0], *record, family);
    sample.reading.secondRaw = sensorsetup::HostOrderRaw(reading.secondRaws[0], *record, family);
    return sample;
}

}  // namespace sensorsetup
