#pragma once

// Keeps the region of every paint a widget gets, for tests of what a change repaints.

#include <QEvent>
#include <QObject>
#include <QPaintEvent>
#include <QRegion>

class PaintWatch : public QObject {
public:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(e)->region();
        return false;
    }
    QRegion painted;
};
