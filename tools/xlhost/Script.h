#pragma once

#include "tools/xlhost/Host.h"

#include <functional>
#include <iosfwd>
#include <string>

// A small script of host actions, so that a person (or a test) can drive the add-in through the
// stand-in host. One command a line, '#' starts a comment:
//
//   load PATH                 load the add-in (the default one is loaded at the first call)
//   call NAME [ARG ...]       call an export; prints its result
//   cell RnCm VALUE           put a value into a cell (rows and columns from 0)
//   menu BAR NAME             the host has this menu on that bar
//   toolbar NAME              the host has this toolbar
//   answer yes|no             the answer to the next OK/Cancel alert
//   dialog ok|cancel          the answer to the next dialog box
//   break                     the user asks to break off
//   wait MS                   let MS milliseconds pass, the host's events running
//   repeat N MS NAME [ARG ...]  call an export N times, MS milliseconds apart
//   print                     print the cells
//   unload                    unload the add-in
//
// Arguments: whole numbers, numbers with a point, "texts", TRUE/FALSE, missing, a cell RnCm or
// an area RnCm:RnCm. PVAnalyzeData takes its x and y columns as areas of the sheet;
// RvnFunctionTest takes its two doubles and four floats.
namespace xlhost {

class ScriptRunner {
public:
    ScriptRunner(Host& host, std::ostream& out, std::ostream& err);

    // The add-in loaded when a call comes before any load.
    void SetDefaultAddIn(std::string path) { defaultAddIn_ = std::move(path); }
    // How `wait` lets time pass; by default it sleeps.
    void SetWaiter(std::function<void(int ms)> waiter) { waiter_ = std::move(waiter); }

    // False at the first line that cannot run; the message names the line.
    bool RunFile(const std::string& path);
    bool RunText(const std::string& text);
    bool RunLine(const std::string& line, int number);
    // True after the script's xlAutoOpen until its xlAutoClose or fExit: a host that quits
    // then closes the add-in first.
    bool AddInOpen() const { return open_; }

private:
    bool EnsureAddIn(int number);
    bool Call(const std::vector<std::string>& words, size_t first, int number);
    bool Fail(int number, const std::string& message);

    Host& host_;
    std::ostream& out_;
    std::ostream& err_;
    std::string defaultAddIn_;
    std::function<void(int ms)> waiter_;
    bool open_ = false;
};

// Text the add-in hands over in its code page (CP949), as UTF-8.
std::string FromCodePage(const char* text);

// Splits a line into words; a "quoted text" is one word (kept with its quotes).
std::vector<std::string> SplitWords(const std::string& line);

}  // namespace xlhost
