#pragma once

#include <QEvent>
#include <QString>
#include <QtGlobal>

class QObject;

// A posted screen message: the event type is the code itself, the payload is copied into the
// event (two integers and a text), never a pointer into the sender's memory. Posting goes through
// QCoreApplication::postEvent, so any thread may post, and events for a receiver that has been
// deleted are dropped.
namespace uikit {

class ScreenEvent : public QEvent {
public:
    explicit ScreenEvent(int code, qint64 wParam = 0, qint64 lParam = 0, QString text = {});

    int code() const { return int(type()); }
    qint64 wParam() const { return wParam_; }
    qint64 lParam() const { return lParam_; }
    const QString& text() const { return text_; }

private:
    qint64 wParam_;
    qint64 lParam_;
    QString text_;
};

// The event type of a code. The codes are reserved with Qt on first use, so no other part of
// the process is ever handed one of them as its own event type.
QEvent::Type ScreenEventType(int code);

// The screen message an event carries, or null when it is another event.
const ScreenEvent* AsScreenEvent(const QEvent* event);

// Posts the code to `target`; false (nothing posted) when there is no target or the code lies
// outside the screen messages.
bool PostScreenMessage(QObject* target, int code, qint64 wParam = 0, qint64 lParam = 0, QString text = {});

}  // namespace uikit
