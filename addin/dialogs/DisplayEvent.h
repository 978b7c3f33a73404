#pragma once

#include "addin/dialogs/core/DisplayWorker.h"

#include <QEvent>

#include <atomic>

class QObject;

// How a display thread's texts reach its window: each update is moved into an event posted to
// the window, so the window's thread reads only its own copy. Events carry the generation of the
// thread that sent them, so that a window can drop what a thread it has since replaced still had
// on the way.
namespace addin::dialogs {

class DisplayEvent : public QEvent {
public:
    DisplayEvent(DisplayUpdate update, int generation);

    static QEvent::Type Type();

    DisplayUpdate update;
    int generation;
};

// A sink that posts to `receiver` (from any thread), marked with the generation current at the
// time: the owner moves to a new generation only after it has joined the thread.
DisplaySink PostingSink(QObject* receiver, const std::atomic<int>* generation);

}  // namespace addin::dialogs
