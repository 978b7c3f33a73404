#pragma once

// Pixmaps and fonts need a GUI application; the tests share one, on the offscreen platform.

#include <QGuiApplication>

#include <cstdlib>

inline void EnsureGuiApp()
{
    if (QGuiApplication::instance())
        return;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "resources_tests";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

inline QString DataPath(const QString& name)
{
    return QStringLiteral(CORVIK_DATA_DIR "/") + name;
}

inline QString SourcePath(const QString& name)
{
    return QStringLiteral(CORVIK_SOURCE_ROOT "/") + name;
}
