#include "uikit/events/ScreenEvent.h"

#include "uikit/events/ScreenMessages.h"

#include <QCoreApplication>

#include <utility>

namespace uikit {

namespace {

bool ReserveCodes()
{
    for (int code : kScreenMessageCodes)
        QEvent::registerEventType(code);
    return true;
}

}  // namespace

QEvent::Type ScreenEventType(int code)
{
    static const bool reserved = ReserveCodes();
    (void)reserved;
    return QEvent::Type(code);
}

ScreenEvent::ScreenEvent(int code, qint64 wParam, qint64 lParam, QString text)
    : QEvent(ScreenEventType(code)), wParam_(wParam), lParam_(lParam), text_(std::move(text))
{
}

const ScreenEvent* AsScreenEvent(const QEvent* event)
{
    if (!event || event->type() < kFirstScreenMessage || event->type() > kLastScreenMessage)
        return nullptr;
    return dynamic_cast<const ScreenEvent*>(event);
}

bool PostScreenMessage(QObject* target, int code, qint64 wParam, qint64 lParam, QString text)
{
    if (!target || code < kFirstScreenMessage || code > kLastScreenMessage)
        return false;
    QCoreApplication::postEvent(target, new ScreenEvent(code, wParam, lParam, std::move(text)));
    return true;
}

}  // namespace uikit
