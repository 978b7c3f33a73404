#include "logger/analysis/WaitCursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace analysis {

namespace {

WaitCursor* innermost = nullptr;

}  // namespace

WaitCursor::WaitCursor() : outer_(innermost)
{
    innermost = this;
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    shown_ = true;
}

WaitCursor::~WaitCursor()
{
    Restore();
    innermost = outer_;
}

void WaitCursor::Restore()
{
    if (!shown_)
        return;
    QGuiApplication::restoreOverrideCursor();
    shown_ = false;
}

// Innermost first: the override cursors form a stack.
void WaitCursor::RestoreAll()
{
    for (WaitCursor* cursor = innermost; cursor; cursor = cursor->outer_)
        cursor->Restore();
}

bool WaitCursor::Shown()
{
    for (const WaitCursor* cursor = innermost; cursor; cursor = cursor->outer_) {
        if (cursor->shown_)
            return true;
    }
    return false;
}

}  // namespace analysis
