#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

// The program's five screens, made once at start-up as hidden child pages of the root window and
// kept until it quits, with what the root window asks of them besides showing and hiding.
namespace shell {

struct ProgramScreens {
    QPointer<QWidget> help;
    QPointer<QWidget> sensors;
    QPointer<QWidget> measurement;
    QPointer<QWidget> analysis;
    QPointer<QWidget> projects;

    // Each does nothing once its screen has gone.
    std::function<void()> stopMonitor;
    std::function<void()> stopMeasure;
    std::function<void()> activateAnalysis;
    // The working copy keeps what was recorded (the logger is lost, the program ends).
    std::function<void()> saveWorkingCopy;

    bool AllExist() const { return help && sensors && measurement && analysis && projects; }
};

// Makes the five screens in the order the program starts them: help viewer, sensor monitor,
// measurement screen, analysis screen, project manager, each with its window text, and joins the
// project manager to the options dialog.
ProgramScreens CreateProgramScreens(QWidget* rootWindow);

}  // namespace shell
