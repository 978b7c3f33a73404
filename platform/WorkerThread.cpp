#include "platform/WorkerThread.h"

#include <pthread.h>
#include <sched.h>

#include <system_error>

namespace platform {
namespace {

// Raising priority needs privileges an ordinary user rarely has: a refusal is not an error.
void TryRaisePriority(WorkerThread::Priority priority)
{
    if (priority == WorkerThread::Priority::Normal)
        return;
    const int policy = SCHED_RR;
    const int top = sched_get_priority_max(policy);
    const int bottom = sched_get_priority_min(policy);
    if (top < 0 || bottom < 0)
        return;
    sched_param param{};
    param.sched_priority = priority == WorkerThread::Priority::Highest ? top : (top + bottom) / 2;
    (void)pthread_setschedparam(pthread_self(), policy, &param);
}

}  // namespace

WorkerThread::~WorkerThread()
{
    Join();
}

bool WorkerThread::Start(Body body, Priority priority)
{
    if (thread_.joinable())
        return false;
    stop_.store(false, std::memory_order_release);
    running_.store(true, std::memory_order_release);
    try {
        thread_ = std::thread([this, body = std::move(body), priority] {
            TryRaisePriority(priority);
            body(stop_);
            running_.store(false, std::memory_order_release);
        });
    } catch (const std::system_error&) {
        running_.store(false, std::memory_order_release);
        return false;
    }
    return true;
}

void WorkerThread::Join()
{
    RequestStop();
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

}  // namespace platform
