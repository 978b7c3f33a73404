#pragma once

#include <map>

#include <QBasicTimer>

class QObject;
class QTimerEvent;

// Window timers by their numeric ids (100 the device poll, 111 the message box, 444 the menu...):
// one helper per owner maps each id to a Qt timer, so the owner's timerEvent can tell its timers
// apart by the ids the rest of the program uses.
namespace uikit {

class TimerIds {
public:
    explicit TimerIds(QObject* owner) : owner_(owner) {}
    TimerIds(const TimerIds&) = delete;
    TimerIds& operator=(const TimerIds&) = delete;

    // Starts the timer, or restarts it with the new period when it runs already.
    void SetTimer(int id, int periodMs);
    void KillTimer(int id);
    void KillAll();
    bool IsActive(int id) const;
    // The id of the timer that fired, or 0 when the event is not one of these timers.
    int IdOf(const QTimerEvent* event) const;

private:
    QObject* owner_;
    std::map<int, QBasicTimer> timers_;
};

}  // namespace uikit
