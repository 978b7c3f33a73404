#pragma once

// Widgets need a QApplication; the widget suites share one, on the offscreen platform.

#include <QApplication>
#include <QElapsedTimer>

#include <cstdlib>
#include <functional>

inline void EnsureWidgetApp()
{
    if (QApplication::instance())
        return;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "widget_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: at exit Qt's own globals (input devices, fonts) may already be gone.
    new QApplication(argc, argv);
}

// A picture of one colour, for state pictures whose pixels a test can tell apart.
inline QPixmap SolidPixmap(int width, int height, QColor colour)
{
    QPixmap pixmap(width, height);
    pixmap.fill(colour);
    return pixmap;
}

// Runs the event loop until `done` holds or the time is up; false on time-out.
inline bool SpinUntil(const std::function<bool()>& done, int timeoutMs = 3000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

inline void Spin(int ms)
{
    SpinUntil([] { return false; }, ms);
}
