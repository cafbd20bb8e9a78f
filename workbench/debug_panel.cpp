#include "workbench/debug_panel.h"

#include <algorithm>

#include "fsuipc/hot_key_name.h"
#include "machine/machine.h"
#include "workbench/column_text.h"
#include "workbench/controller.h"

namespace vorn {

DebugPanel::DebugPanel(Machine& machine, IpcLink& link, WorkbenchController& controller)
    : machine_(machine),
      debugger_(machine, link, controller.Program(),
                [&controller](const std::string& line) { controller.ProgramOutputLine(line); }),
      map_(controller.Program()) {}

DebugPanel::~DebugPanel() {
    machine_.SetDebugHooks({}, {});
    machine_.SetBreakpoints({});
}

void DebugPanel::SetFileName(const std::string& name) {
    if (name == file_) return;
    debugger_.SetFileBreakpoints(file_, {});
    file_ = name;
    Apply();
}

void DebugPanel::Attach() {
    debugger_.Attach();
    // A runtime error ends its process as without the debugger; only breakpoints, steps and Pause stop.
    debugger_.SetStopOnFaults(false);
    selected_ = -1;
    stopText_.clear();
}

void DebugPanel::LinesReplaced(int first, int removed, int added) {
    if (lines_.empty() || removed == added) return;  // typing within lines moves none
    std::vector<int> moved;
    for (int line : lines_) {
        if (line >= first + removed) line += added - removed;
        else if (line >= first + added) continue;  // its line is gone
        if (std::find(moved.begin(), moved.end(), line) == moved.end()) moved.push_back(line);
    }
    lines_ = std::move(moved);
    edited_ = true;
}

void DebugPanel::ClearBreakpoints() {
    lines_.clear();
    edited_ = false;
    Apply();
}

void DebugPanel::Toggle(int line) {
    const auto at = std::find(lines_.begin(), lines_.end(), line);
    // A breakpoint shown on a later line (the asked one has no code) goes with a press on either.
    const auto shown = std::find_if(debugger_.Breakpoints().begin(), debugger_.Breakpoints().end(),
                                    [line](const Breakpoint& b) { return b.verified && b.line - 1 == line; });
    if (at != lines_.end()) {
        lines_.erase(at);
    } else if (!edited_ && shown != debugger_.Breakpoints().end()) {
        std::erase(lines_, shown->request.line - 1);
    } else {
        lines_.push_back(line);
    }
    Apply();
}

std::optional<DebugPanel::KeyStatement> DebugPanel::FirstKeyStatement() const {
    const auto keys = machine_.KeyRoutines();
    for (const RoutineInfo& r : map_.routines) {
        if (r.kind != RoutineInfo::Kind::key || r.keyIndex < 0 || static_cast<std::size_t>(r.keyIndex) >= keys.size())
            continue;
        // The routine's statements, its closing brace last: the first of its body, or the brace of an empty one.
        std::vector<std::int32_t> body;
        for (std::int32_t pc : map_.statements)
            if (pc >= r.firstWord && pc < r.endWord) body.push_back(pc);
        if (body.size() > 1) body.pop_back();
        if (body.empty()) continue;
        const std::optional<SourcePlace> place = map_.PlaceOfPc(body.front());
        if (!place || !place->mainFile) continue;
        const CodeImage::KeyRoutine& k = keys[static_cast<std::size_t>(r.keyIndex)];
        return KeyStatement{place->line - 1,
                            HotKeyName(static_cast<std::uint8_t>(k.keyCode), static_cast<std::uint8_t>(k.modifier))};
    }
    return std::nullopt;
}

void DebugPanel::Apply() {
    std::vector<BreakpointRequest> requests;
    for (int line : lines_) requests.push_back({file_, line + 1, "", ""});
    debugger_.SetFileBreakpoints(file_, requests);
}

std::optional<int> StoppedLine(const std::vector<SourceMark>& marks) {
    for (const SourceMark& m : marks)
        if (m.kind == SourceMark::Kind::kStopped) return m.line;
    return std::nullopt;
}

std::vector<SourceMark> DebugPanel::Marks(bool connected) const {
    std::vector<SourceMark> marks;
    if (edited_) {
        // Edited since the compile: where the lines are now, not yet placed.
        for (int line : lines_) marks.push_back({line, SourceMark::Kind::kNoCode});
    } else {
        // Placed where the compile put it; before a compile, or on a line with no code after it, hollow on the asked line.
        for (const Breakpoint& b : debugger_.Breakpoints())
            marks.push_back(b.verified ? SourceMark{b.line - 1, SourceMark::Kind::kBreakpoint}
                                       : SourceMark{b.request.line - 1, SourceMark::Kind::kNoCode});
    }
    if (connected && Stopped()) {
        const int slot = debugger_.StoppedSlot();
        const std::vector<FrameInfo> frames = debugger_.StackTrace(slot);
        if (!frames.empty() && frames[0].place.mainFile) marks.push_back({frames[0].place.line - 1, SourceMark::Kind::kStopped});
    }
    return marks;
}

bool DebugPanel::Update(bool connected) {
    bool changed = false;
    for (const DebugEvent& e : debugger_.TakeEvents()) {
        if (e.kind == DebugEvent::Kind::stopped) {
            selected_ = e.slot;
            std::string where, what;
            const std::vector<FrameInfo> frames = debugger_.StackTrace(e.slot);
            if (!frames.empty()) where = " at " + PlaceText(frames[0].place);
            for (const ProcessInfo& p : debugger_.Processes())
                if (p.slot == e.slot) what = " in " + p.name;
            stopText_ = "Stopped" + where + " (" + StopReasonName(e.reason) + ")" + what;
            changed = true;
        } else if (e.kind == DebugEvent::Kind::continued) {
            stopText_.clear();
            changed = true;
        }
    }
    if ((!connected || !Stopped()) && !stopText_.empty()) {
        stopText_.clear();
        changed = true;
    }
    return changed;
}

void DebugPanel::Continue() { debugger_.Continue(); }

void DebugPanel::Pause() { debugger_.Pause(); }

bool DebugPanel::CanStep() const {
    const int slot = Slot();
    return Stopped() && slot >= 0 && machine_.ProcessPc(slot) >= 0;
}

int DebugPanel::Slot() const { return selected_ >= 0 ? selected_ : debugger_.StoppedSlot(); }

bool DebugPanel::Step(Command command, std::string& error) {
    const int slot = Slot();
    switch (command) {
        case Command::kStepOver: return debugger_.StepOver(slot, error);
        case Command::kStepInto: return debugger_.StepInto(slot, error);
        case Command::kStepOut: return debugger_.StepOut(slot, error);
        default: return false;
    }
}

std::vector<std::string> DebugPanel::PageLines() {
    entries_.clear();
    auto add = [&](Entry::Kind kind, std::string text, int slot = -1, int line = -1, std::string name = {},
                   std::string value = {}) {
        Entry e;
        e.kind = kind, e.text = std::move(text), e.slot = slot, e.line = line;
        e.name = std::move(name), e.value = std::move(value);
        entries_.push_back(std::move(e));
    };
    auto heading = [&](std::string text) { add(Entry::Kind::kHeading, std::move(text)); };
    const std::vector<ProcessInfo> processes = debugger_.Processes();
    heading("Processes");
    std::vector<std::vector<std::string>> rows = {{"Slot", "Kind", "State", "Line"}};
    for (const ProcessInfo& p : processes) rows.push_back({std::to_string(p.slot), p.name, p.state, debugger_.PlaceText(p.pc)});
    std::vector<std::string> lines = ColumnLines(rows, "  ");
    add(Entry::Kind::kHeading, lines[0]);
    for (std::size_t i = 0; i < processes.size(); ++i)
        add(Entry::Kind::kProcess, lines[i + 1], processes[i].slot);

    const int slot = Slot();
    if (slot >= 0) {
        heading("");
        heading("Call stack of process " + std::to_string(slot));
        const std::vector<FrameInfo> frames = debugger_.StackTrace(slot);
        rows = {};
        for (const FrameInfo& f : frames) rows.push_back({"#" + std::to_string(f.index), f.routine, PlaceText(f.place)});
        lines = ColumnLines(rows, "  ");
        for (std::size_t i = 0; i < frames.size(); ++i) {
            const SourcePlace& place = frames[i].place;
            add(Entry::Kind::kFrame, lines[i], slot, place.mainFile ? place.line - 1 : -1);
        }
        if (Stopped()) {
            for (Scope scope : {Scope::parameters, Scope::locals, Scope::globals, Scope::fsuipc}) {
                const std::vector<VariableValue> values = debugger_.Variables(slot, 0, scope);
                if (values.empty()) continue;
                heading("");
                heading(ScopeName(scope));
                rows = {{"Name", "Type", "Where", "Value"}};
                for (const VariableValue& v : values) rows.push_back({v.name, v.type, v.where, v.value});
                lines = ColumnLines(rows, "  ");
                add(Entry::Kind::kHeading, lines[0]);
                for (std::size_t i = 0; i < values.size(); ++i)
                    add(Entry::Kind::kVariable, lines[i + 1], slot, -1, values[i].name, values[i].value);
            }
        }
    }
    std::vector<std::string> text;
    text.reserve(entries_.size());
    for (const Entry& e : entries_) text.push_back(e.text);
    return text;
}

std::optional<int> DebugPanel::PageLineClicked(const std::string& line) {
    for (const Entry& e : entries_) {
        if (e.text != line) continue;
        if (e.kind == Entry::Kind::kProcess) selected_ = e.slot;
        if (e.kind == Entry::Kind::kFrame && e.line >= 0) return e.line;
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<DebugPanel::Target> DebugPanel::VariableOfLine(const std::string& line) const {
    if (!Stopped()) return std::nullopt;
    for (const Entry& e : entries_)
        if (e.kind == Entry::Kind::kVariable && e.text == line) return Target{e.name, e.value};
    return std::nullopt;
}

bool DebugPanel::SetVariable(const std::string& name, const std::string& value, std::string& error) {
    return debugger_.SetVariable(Slot(), 0, name, value, error).has_value();
}

}  // namespace vorn
