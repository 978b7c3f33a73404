#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>
#include <string>

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
    // A recorded run the working copy could not take, saved nowhere else yet: quitting loses it.
    std::function<bool()> holdsUnsavedRun;
    // The project saved where the user chooses (the save dialog); true once it is saved.
    std::function<bool()> saveProjectElsewhere;
    // The project saved at a path without asking; true when it is saved.
    std::function<bool(const std::string& path)> saveProjectTo;

    bool AllExist() const { return help && sensors && measurement && analysis && projects; }
};

// Makes the five screens in the order the program starts them: help viewer, sensor monitor,
// measurement screen, analysis screen, project manager, each with its window text, and hands them
// one value of the program's services (ScreenServices.h): the note dialog for the measurement,
// analysis and project screens, the options dialog for the project manager.
ProgramScreens CreateProgramScreens(QWidget* rootWindow);

}  // namespace shell
