#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace lesson {

// Every text `widget` and its visible children draw when painted, in painting order: what a
// pupil reads on it. Texts drawn into pictures (the charts) are pictures, not texts.
QStringList ShownTexts(QWidget* widget);

// All of them, one line each.
QString ShownText(QWidget* widget);

}  // namespace lesson
