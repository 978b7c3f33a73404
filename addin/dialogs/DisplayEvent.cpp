#include "addin/dialogs/DisplayEvent.h"

#include <QCoreApplication>

namespace addin::dialogs {

DisplayEvent::DisplayEvent(DisplayUpdate u, int g) : QEvent(Type()), update(std::move(u)), generation(g) {}

QEvent::Type DisplayEvent::Type()
{
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}

DisplaySink PostingSink(QObject* receiver, const std::atomic<int>* generation)
{
    return [receiver, generation](DisplayUpdate&& update) {
        // The receiver joins the thread before it goes, so it is there for every post.
        QCoreApplication::postEvent(receiver,
                                    new DisplayEvent(std::move(update), generation->load(std::memory_order_acquire)));
    };
}

}  // namespace addin::dialogs
