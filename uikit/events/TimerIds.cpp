#include "uikit/events/TimerIds.h"

#include <QTimerEvent>

namespace uikit {

void TimerIds::SetTimer(int id, int periodMs)
{
    timers_[id].start(periodMs < 0 ? 0 : periodMs, owner_);
}

void TimerIds::KillTimer(int id)
{
    const auto it = timers_.find(id);
    if (it != timers_.end())
        it->second.stop();
}

void TimerIds::KillAll()
{
    for (auto& [id, timer] : timers_)
        timer.stop();
}

bool TimerIds::IsActive(int id) const
{
    const auto it = timers_.find(id);
    return it != timers_.end() && it->second.isActive();
}

int TimerIds::IdOf(const QTimerEvent* event) const
{
    if (!event)
        return 0;
    for (const auto& [id, timer] : timers_) {
        if (timer.isActive() && timer.timerId() == event->timerId())
            return id;
    }
    return 0;
}

}  // namespace uikit
