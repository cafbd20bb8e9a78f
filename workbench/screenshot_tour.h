#pragma once
// The documentation's screenshots, one script for both windows: with a file
// loaded it photographs the Source page, compiles with the listing on and
// photographs the Compiler page, connects (a simulator must be running),
// prints "connected" on stdout so that whoever drives the simulator can
// press hot keys, waits for the program's output to settle and photographs
// it (printing its lines as "output: ..."), then the Watch page; sets a
// breakpoint in a key routine, prints "press KEY" for the script to press it,
// steps and photographs the stop on the Source and Debugger pages; then the
// about box and the link dialog. The core
// carries the steps out; a window only waits and takes the pictures.
#include <span>
#include <string>

#include "workbench/component_table.h"
#include "workbench/view.h"

namespace vorn {

class WindowCore;

enum class TourAction {
    kShowPage,          // page
    kListingOn,         // "Display Compiler Output" checked
    kRun,               // command
    kPause,             // milliseconds
    kPhotograph,        // picture: the main window
    kPhotographDialog,  // picture: the modal dialog that command opens, closed again
    kRequireCompiled,   // else the tour fails with text
    kRequireConnected,
    kSay,               // text on stdout, for the script driving the simulator
    kWaitForOutput,     // until "Program Output" has lines and none came for a while
    kPrintOutput,       // its lines on stdout as "output: LINE", for the script to see what ran
    kBreakInKey,        // a breakpoint in the first key routine, and "press KEY" on stdout; else fails with text
    kWaitForStop,       // until the debugger has stopped, else the tour fails with text
};

struct TourStep {
    TourAction action;
    int value;           // kShowPage: PageIndex; kPause: milliseconds
    Command command;     // kRun, kPhotographDialog
    const char* text;    // kPhotograph*: the picture's name ("source"); kRequire*, kSay: the message
};

std::span<const TourStep> TourSteps();

// What only a window can do on the tour.
class TourCamera {
public:
    virtual ~TourCamera() = default;
    // Runs the window's event loop for `ms` milliseconds.
    virtual void Pause(int ms) = 0;
    // Saves a picture of the main window; false when it could not be written.
    virtual bool Photograph(const std::string& name) = 0;
    // Runs `command`, photographs the modal dialog it opens and closes it.
    virtual bool PhotographDialog(const std::string& name, Command command) = 0;
    // The text a page shows, lines ended by "\n".
    virtual std::string PageText(PageIndex page) = 0;
};

// 0 when every step went through and every picture was saved.
int RunTour(WindowCore& core, TourCamera& camera);

}  // namespace vorn
