#include "addin/host/HostThread.h"

#include <QCoreApplication>
#include <QObject>
#include <QThread>

namespace addin::host {

HostThreadQueue::~HostThreadQueue() = default;

void HostThreadQueue::EnterFromHost()
{
    {
        std::lock_guard lock(mutex_);
        hostThread_ = std::this_thread::get_id();
        QCoreApplication* app = QCoreApplication::instance();
        if (!receiver_ && app && QThread::currentThread() == app->thread())
            receiver_ = std::make_unique<QObject>();
    }
    if (hasPending_.load(std::memory_order_acquire))
        Drain();
}

void HostThreadQueue::Post(std::function<void()> work)
{
    std::lock_guard lock(mutex_);
    pending_.push_back(std::move(work));
    hasPending_.store(true, std::memory_order_release);
    // Deleting the receiver at shutdown discards whatever invocation is still queued for it.
    if (receiver_)
        QMetaObject::invokeMethod(receiver_.get(), [this] { Drain(); }, Qt::QueuedConnection);
}

void HostThreadQueue::Drain()
{
    for (;;) {
        std::function<void()> work;
        {
            std::lock_guard lock(mutex_);
            if (pending_.empty()) {
                hasPending_.store(false, std::memory_order_release);
                return;
            }
            work = std::move(pending_.front());
            pending_.pop_front();
        }
        work();
    }
}

void HostThreadQueue::Shutdown()
{
    std::unique_ptr<QObject> receiver;
    {
        std::lock_guard lock(mutex_);
        pending_.clear();
        hasPending_.store(false, std::memory_order_release);
        receiver = std::move(receiver_);
    }
}

HostThreadQueue& HostQueue()
{
    static HostThreadQueue queue;
    return queue;
}

}  // namespace addin::host
