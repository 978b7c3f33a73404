#pragma once

#include "tests/support/WidgetApp.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

// Playing the user of the add-in's windows: they live in the loaded library, so they are found
// by their object names (each control's numeric id) and driven through Qt's own classes.
namespace addintest {

inline QString Id(int id)
{
    return QString::number(id);
}

template <typename T = QWidget>
T* Control(QWidget& window, int id)
{
    T* control = window.findChild<T*>(Id(id));
    EXPECT_NE(control, nullptr) << "control " << id;
    return control;
}

// A modeless top-level window of that id that is showing, or null.
inline QWidget* ShownWindow(int id)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == Id(id) && w->isVisible())
            return w;
    return nullptr;
}

// Runs `script` inside the modal loop of the dialog `id` once it is up. A dialog the script
// leaves open is cancelled afterwards, so that a failing test ends instead of hanging.
inline void WhenModal(int id, std::function<void(QDialog&)> script, int timeoutMs = 15000)
{
    auto* poll = new QTimer;
    auto waited = std::make_shared<QElapsedTimer>();
    waited->start();
    QObject::connect(poll, &QTimer::timeout, [=] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog->objectName() != Id(id)) {
            if (waited->elapsed() > timeoutMs) {
                poll->deleteLater();
                poll->stop();
                ADD_FAILURE() << "dialog " << id << " never came up";
            }
            return;
        }
        poll->stop();
        poll->deleteLater();
        const QPointer<QDialog> guard(dialog);
        script(*dialog);
        if (guard && guard->isVisible())
            guard->done(2);
    });
    poll->start(10);
}

inline void Click(QWidget& window, int id)
{
    if (auto* button = Control<QAbstractButton>(window, id))
        button->click();
}

inline void Type(QWidget& window, int id, const QString& text)
{
    if (auto* edit = Control<QLineEdit>(window, id))
        edit->setText(text);
}

inline void Choose(QWidget& window, int id, int index)
{
    if (auto* combo = Control<QComboBox>(window, id))
        combo->setCurrentIndex(index);
}

// What a measurement or snapshot window shows of a channel: its name and lines, one a line.
inline QString ChannelText(const QWidget& window, int channel)
{
    return window.property("channelTexts").toStringList().value(channel);
}

// Runs the event loop (deleted-later objects included) until `done` or the time is up.
inline bool SpinWithDeletes(const std::function<bool()>& done, int timeoutMs)
{
    return SpinUntil(
        [&] {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return done();
        },
        timeoutMs);
}

}  // namespace addintest
