#pragma once

// Widgets need a QApplication; the widget suites share one, on the offscreen platform.

#include <QApplication>

#include <cstdlib>

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
