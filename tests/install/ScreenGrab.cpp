// corvik_screen_grab FILE: saves the whole screen of the X display in DISPLAY as a picture. The
// install test runs it under Xvfb beside the firmware tool, whose window it cannot reach from
// the offscreen platform of the tests.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: corvik_screen_grab FILE\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || !screen->grabWindow(0).save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "corvik_screen_grab: no picture\n");
        return 1;
    }
    return 0;
}
