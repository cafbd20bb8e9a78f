#pragma once
// A view that records every call the controller makes, in order, and keeps
// the state a window would show; plus the controller wired to the built-in
// simulator over a real FSUIPC link, for the workbench tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "fsuipc/ipc_link.h"
#include "machine/machine.h"
#include "sim/inprocess_transport.h"
#include "sim/sim_server.h"
#include "tests/fakes/fault_transport.h"
#include "tests/fakes/test_clock.h"
#include "workbench/controller.h"
#include "workbench/view.h"

namespace vorn::test {

class RecordingView : public WorkbenchView {
public:
    void SetExpandedText(const std::string& text) override {
        Record("SetExpandedText");
        expanded = text;
    }
    void SetCompilerText(const std::string& text) override {
        Record("SetCompilerText");
        compiler = text;
    }
    void AppendOutputLine(const std::string& line) override {
        Record("AppendOutputLine(" + line + ")");
        output.push_back(line);
    }
    void AppendInterpreterLine(const std::string& line) override {
        Record("AppendInterpreterLine");
        interpreter.push_back(line);
    }
    void ClearOutput() override {
        Record("ClearOutput");
        output.clear();
    }
    void SelectPage(int index) override {
        Record("SelectPage(" + std::to_string(index) + ")");
        page = index;
    }
    void SetPageVisible(int index, bool visible) override {
        Record("SetPageVisible(" + std::to_string(index) + "," + (visible ? "true" : "false") + ")");
        visiblePages[index] = visible;
    }
    void SetCompilePicture(int index) override {
        Record("SetCompilePicture(" + std::to_string(index) + ")");
        compilePicture = index;
    }
    void SetConnectCaption(const std::string& caption) override {
        Record("SetConnectCaption(" + caption + ")");
        connectCaption = caption;
    }
    void SetRunHint(const std::string& hint) override {
        Record("SetRunHint(" + hint + ")");
        runHint = hint;
    }
    void SetRunPicture(int index) override {
        Record("SetRunPicture(" + std::to_string(index) + ")");
        runPicture = index;
    }
    void SetDebugCaption(const std::string& caption) override {
        Record("SetDebugCaption(" + caption + ")");
        debugCaption = caption;
    }
    void SetCompilerOutputChecked(bool checked) override {
        Record(std::string("SetCompilerOutputChecked(") + (checked ? "true" : "false") + ")");
        compilerOutputChecked = checked;
    }
    std::vector<std::string> EditorLines() const override { return editor; }
    void SetModified(bool on) override {
        Record(std::string("SetModified(") + (on ? "true" : "false") + ")");
        modified = on;
    }
    void EnableTimer() override { Record("EnableTimer"); }

    void ShowError(const std::string& message) override {
        Record("ShowError(" + message + ")");
        errors.push_back(message);
    }

    // Calls since the last Forget(), then forgets them.
    std::vector<std::string> Calls() {
        std::vector<std::string> c;
        c.swap(calls);
        return c;
    }
    void Forget() { calls.clear(); }
    bool Called(const std::string& call) const { return std::find(calls.begin(), calls.end(), call) != calls.end(); }

    std::vector<std::string> editor;
    std::vector<std::string> calls;
    std::string expanded, compiler;
    std::vector<std::string> output, interpreter, errors;
    int page = kPageSource;
    bool visiblePages[kPageCount] = {true, false, true, false, true, false};
    int compilePicture = kPicNotCompiled;
    int runPicture = kPicConnect;
    std::string connectCaption = "Connect", runHint = "Connect", debugCaption = "Debug";
    bool compilerOutputChecked = false;
    bool modified = false;

private:
    void Record(const std::string& call) {
        if (call != "AppendInterpreterLine" || recordTrace) calls.push_back(call);
    }

public:
    bool recordTrace = true;
};

// A program with one hot key (Ctrl+G) that prints a line per press.
inline const std::vector<std::string> kHotKeyProgram = {
    "int presses;",
    "char text[32];",
    "key(Control, 'G') {",
    "   presses = presses + 1;",
    "   sprintf(text, \"press %d\", presses)",
    "   printstr(text)",
    "}",
};

// The controller over the in-process simulator, with a fault layer between
// link and simulator so that a test can make the simulator stop answering.
class WorkbenchFixture : public ::testing::Test {
protected:
    WorkbenchFixture()
        : inner_(sim, "FS98MAIN", clock_),
          faults(inner_),
          link(faults, clock_),
          machine(link, debug),
          controller(view, link, machine, debug) {}

    // The window's creation: components reset, then the controller's share.
    void SetUp() override {
        controller.StartUp();
        view.Forget();
    }

    void CompileProgram(const std::vector<std::string>& lines) {
        view.editor = lines;
        controller.Compile();
    }

    // Compiles, connects and checks both worked.
    void Run(const std::vector<std::string>& lines) {
        CompileProgram(lines);
        ASSERT_TRUE(controller.Compiled()) << view.compiler;
        controller.ToggleConnection();
        ASSERT_TRUE(controller.Connected());
        view.Forget();
    }

    void Press(std::uint8_t key, std::uint8_t modifier) { ASSERT_GT(sim.Press(key, modifier), 0); }

    SimServer sim;
    bool debug = false;
    RecordingClock clock_;
    InProcessTransport inner_;
    FaultTransport faults;
    IpcLink link;
    Machine machine;
    RecordingView view;
    WorkbenchController controller;
};

}  // namespace vorn::test
