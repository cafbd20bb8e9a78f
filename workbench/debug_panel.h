#pragma once
// The debugger as the window shows it, without a toolkit: breakpoints on
// the edited text's lines, the run controls, the stop in the status line,
// the marks of the Source page's gutter and the lines of the "Debugger"
// page (processes, the call stack of the selected one, its variables).
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "debugger/debugger.h"
#include "workbench/component_table.h"

namespace vorn {

class IpcLink;
class Machine;
class WorkbenchController;

// A mark in the Source page's gutter; lines from 0, as the editor counts them.
struct SourceMark {
    enum class Kind { kBreakpoint, kNoCode, kStopped };
    int line = 0;
    Kind kind = Kind::kBreakpoint;
    bool operator==(const SourceMark&) const = default;
};

// The gutter both windows draw the marks in, in pixels at 96 DPI.
inline constexpr int kSourceGutterWidth = 16;
inline constexpr int kSourceMarkSize = 10;

// The line of the stop's mark, if there is one.
std::optional<int> StoppedLine(const std::vector<SourceMark>& marks);

class DebugPanel {
public:
    // The machine, link and controller must outlive the panel.
    DebugPanel(Machine& machine, IpcLink& link, WorkbenchController& controller);
    // The machine outlives the panel: its hooks must not call back into it.
    ~DebugPanel();
    DebugPanel(const DebugPanel&) = delete;
    DebugPanel& operator=(const DebugPanel&) = delete;

    // The edited text's name in source places ("prog.vrn").
    void SetFileName(const std::string& name);
    // After every load (Connect, a reload, a reconnect): the breakpoints are placed again.
    void Attach();
    // F8 on an editor line (from 0).
    void Toggle(int line);
    // The first statement of the loaded program's first key routine in the
    // edited text (line from 0) and its key ("Ctrl+S"): a place a press reaches.
    struct KeyStatement {
        int line = 0;
        std::string key;
    };
    std::optional<KeyStatement> FirstKeyStatement() const;
    bool HasBreakpoints() const { return !lines_.empty(); }
    // An edit: the edited text's lines [first, first + removed) became
    // [first, first + added). Breakpoints go with their lines, and those on
    // lines that went are dropped; until the next compile they show hollow,
    // and the running program keeps its own.
    void LinesReplaced(int first, int removed, int added);
    // A file opened in the editor: the old text's breakpoints go with it.
    void ClearBreakpoints();
    // After a compile or a reload: the breakpoints move to the new program's statement lines.
    void Compiled() {
        edited_ = false;
        Apply();
    }

    // Reads the debugger's events after a tick or a command; true when the
    // stop (or the lack of one) changed. A program no longer connected has no stop.
    bool Update(bool connected);
    bool Stopped() const { return debugger_.Stopped(); }
    // "Stopped at prog.vrn:23 (breakpoint) in key Ctrl+G"; "" while running.
    const std::string& StopText() const { return stopText_; }
    // The gutter's marks; the stopped line only while the program is connected.
    std::vector<SourceMark> Marks(bool connected) const;

    // The run controls; false with a reason when they do not apply now.
    void Continue();
    void Pause();
    bool Step(Command command, std::string& error);
    // A step applies: stopped, with the selected process there to step.
    bool CanStep() const;

    // The "Debugger" page, lines without ends.
    std::vector<std::string> PageLines();
    // A double-clicked line of the page: a process line selects the
    // process; a stack line answers its line in the edited text (from 0).
    std::optional<int> PageLineClicked(const std::string& line);
    // The variable a line of the page shows (while stopped), for editing.
    struct Target {
        std::string name;
        std::string value;
    };
    std::optional<Target> VariableOfLine(const std::string& line) const;
    // Writes a variable of the selected process's innermost frame; false with the debugger's reason.
    bool SetVariable(const std::string& name, const std::string& value, std::string& error);

private:
    struct Entry {
        enum class Kind { kHeading, kProcess, kFrame, kVariable } kind = Kind::kHeading;
        std::string text;
        int slot = -1;
        int line = -1;      // kFrame in the edited text, from 0; -1 elsewhere
        std::string name;   // kVariable
        std::string value;  // kVariable
    };
    void Apply();
    int Slot() const;

    Machine& machine_;
    Debugger debugger_;
    const ProgramMap& map_;
    std::string file_;
    std::vector<int> lines_;  // asked breakpoint lines, from 0, in order
    bool edited_ = false;     // lines_ follow edits the program has not been compiled from
    int selected_ = -1;       // the process whose stack the page shows
    std::string stopText_;
    std::vector<Entry> entries_;
};

}  // namespace vorn
