#include "workbench/screenshot_tour.h"

#include <chrono>
#include <cstdio>

#include "workbench/controller.h"
#include "workbench/window_core.h"

namespace vorn {
namespace {

using A = TourAction;
using C = Command;

constexpr TourStep kSteps[] = {
    {A::kPause, 500, C::kNone, ""},
    {A::kShowPage, kPageSource, C::kNone, ""},
    {A::kPause, 300, C::kNone, ""},
    {A::kPhotograph, 0, C::kNone, "source"},
    // With the listing switched on the Compiler page has something to show.
    {A::kListingOn, 0, C::kNone, ""},
    {A::kRun, 0, C::kCompile, ""},
    {A::kShowPage, kPageCompiler, C::kNone, ""},
    {A::kPause, 300, C::kNone, ""},
    {A::kPhotograph, 0, C::kNone, "compiler"},
    {A::kRequireCompiled, 0, C::kNone, "the program did not compile"},
    {A::kRun, 0, C::kConnect, ""},
    {A::kRequireConnected, 0, C::kNone, "cannot connect to the simulator"},
    {A::kSay, 0, C::kNone, "connected"},
    {A::kWaitForOutput, 0, C::kNone, ""},
    {A::kPhotograph, 0, C::kNone, "output"},
    {A::kPrintOutput, 0, C::kNone, ""},
    // The globals of the running program, read every tick while on top.
    {A::kShowPage, kPageWatch, C::kNone, ""},
    {A::kPause, 1500, C::kNone, ""},
    {A::kPhotograph, 0, C::kNone, "watch"},
    // A stop in a key routine, one step into what it calls and one over.
    {A::kBreakInKey, 0, C::kNone, "the program has no key routine to stop in"},
    {A::kWaitForStop, 0, C::kNone, "the key routine did not stop at its breakpoint"},
    {A::kShowPage, kPageSource, C::kNone, ""},
    {A::kPause, 300, C::kNone, ""},
    {A::kPhotograph, 0, C::kNone, "debug-source"},
    {A::kRun, 0, C::kStepInto, ""},
    {A::kWaitForStop, 0, C::kNone, "Step Into did not stop"},
    {A::kRun, 0, C::kStepOver, ""},
    {A::kWaitForStop, 0, C::kNone, "Step Over did not stop"},
    {A::kShowPage, kPageDebugger, C::kNone, ""},
    {A::kPause, 500, C::kNone, ""},
    {A::kPhotograph, 0, C::kNone, "debugger"},
    {A::kRun, 0, C::kContinue, ""},
    {A::kPhotographDialog, 0, C::kAbout, "about"},
    {A::kPhotographDialog, 0, C::kSimulatorLink, "link"},
    {A::kRun, 0, C::kConnect, ""},  // disconnect
};

// The program's output has settled: lines came, then none for this long.
constexpr auto kQuiet = std::chrono::milliseconds(1500);
constexpr auto kOutputDeadline = std::chrono::seconds(20);
constexpr auto kStopDeadline = std::chrono::seconds(10);

void WaitForOutput(WindowCore& core, TourCamera& camera) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + kOutputDeadline;
    std::uint64_t last = core.PageLinesAppended(kPageProgramOutput);
    auto quietSince = Clock::now();
    while (Clock::now() < deadline) {
        camera.Pause(100);
        const std::uint64_t now = core.PageLinesAppended(kPageProgramOutput);
        if (now != last) {
            last = now;
            quietSince = Clock::now();
        } else if (now > 0 && Clock::now() - quietSince > kQuiet) {
            return;
        }
    }
}

bool WaitForStop(WindowCore& core, TourCamera& camera) {
    const auto deadline = std::chrono::steady_clock::now() + kStopDeadline;
    // A step resumes first: the stop looked for is the next one.
    camera.Pause(200);
    while (!core.Debugging().Stopped()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        camera.Pause(100);
    }
    return true;
}

// The tour's exit status when a step cannot go on.
int Fail(const TourStep& step) {
    std::fprintf(stderr, "vorn: %s\n", step.text);
    return 1;
}

}  // namespace

std::span<const TourStep> TourSteps() { return kSteps; }

int RunTour(WindowCore& core, TourCamera& camera) {
    bool ok = true;
    for (const TourStep& step : kSteps) {
        switch (step.action) {
            case A::kShowPage:
                core.SelectPage(step.value);
                break;
            case A::kListingOn:
                if (!core.Controller().ShowCompilerOutput()) core.Run(C::kCompilerOutput);
                break;
            case A::kRun:
                core.Run(step.command);
                break;
            case A::kPause:
                camera.Pause(step.value);
                break;
            case A::kPhotograph:
                ok &= camera.Photograph(step.text);
                break;
            case A::kPhotographDialog:
                ok &= camera.PhotographDialog(step.text, step.command);
                break;
            case A::kRequireCompiled:
            case A::kRequireConnected: {
                const bool met = step.action == A::kRequireCompiled ? core.Controller().Compiled()
                                                                    : core.Controller().Connected();
                if (!met) return Fail(step);
                break;
            }
            case A::kSay:
                std::printf("%s\n", step.text);
                std::fflush(stdout);
                break;
            case A::kBreakInKey: {
                const auto place = core.Debugging().FirstKeyStatement();
                if (!place) return Fail(step);
                core.GutterClicked(place->line);
                std::printf("press %s\n", place->key.c_str());
                std::fflush(stdout);
                break;
            }
            case A::kWaitForStop:
                if (!WaitForStop(core, camera)) return Fail(step);
                break;
            case A::kWaitForOutput:
                WaitForOutput(core, camera);
                break;
            case A::kPrintOutput: {
                const std::string text = camera.PageText(kPageProgramOutput);
                for (std::size_t at = 0; at < text.size();) {
                    std::size_t end = text.find('\n', at);
                    if (end == std::string::npos) end = text.size();
                    if (end > at) std::printf("output: %s\n", text.substr(at, end - at).c_str());
                    at = end + 1;
                }
                std::fflush(stdout);
                break;
            }
        }
    }
    return ok ? 0 : 1;
}

}  // namespace vorn
