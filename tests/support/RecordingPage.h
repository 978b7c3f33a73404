#pragma once

// A screen page (or root window) that keeps the codes and texts of the screen messages it receives.

#include "uikit/events/ScreenEvent.h"

#include <QString>
#include <QWidget>

#include <algorithm>
#include <vector>

class RecordingPage : public QWidget {
public:
    using QWidget::QWidget;
    bool event(QEvent* e) override
    {
        if (const uikit::ScreenEvent* m = uikit::AsScreenEvent(e)) {
            codes.push_back(m->code());
            texts.push_back(m->text());
            return true;
        }
        return QWidget::event(e);
    }
    int CodeCount(int code) const { return int(std::count(codes.begin(), codes.end(), code)); }

    std::vector<int> codes;
    std::vector<QString> texts;
};
