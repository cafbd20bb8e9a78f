// The session: breakpoints placed on statement lines, the machine's hooks,
// stepping by line, and the events a front end reports.
#include "debugger/debugger.h"

#include <algorithm>
#include <charconv>
#include <climits>

#include "debugger/expression.h"
#include "machine/ins_set.h"

namespace vorn {

const char* StopReasonName(StopReason reason) {
    switch (reason) {
    case StopReason::breakpoint: return "breakpoint";
    case StopReason::step: return "step";
    case StopReason::pause: return "pause";
    default: return "exception";
    }
}

const char* ScopeName(Scope scope) {
    switch (scope) {
    case Scope::locals: return "Locals";
    case Scope::parameters: return "Parameters";
    case Scope::globals: return "Globals";
    default: return "FSUIPC";
    }
}

namespace {

// "demo.vrn" names "examples/demo.vrn" and the reverse; so does a full path.
bool SameFile(const std::string& asked, const std::string& known) {
    if (asked == known) return true;
    const auto endsWith = [](const std::string& whole, const std::string& tail) {
        return whole.size() > tail.size() && whole.compare(whole.size() - tail.size(), tail.size(), tail) == 0 &&
               (whole[whole.size() - tail.size() - 1] == '/' || whole[whole.size() - tail.size() - 1] == '\\');
    };
    return endsWith(asked, known) || endsWith(known, asked);
}

// "N", "== N", ">= N", "> N", "% N": whether the hits-th hit stops.
bool HitStops(const std::string& condition, std::int64_t hits) {
    std::string op;
    std::size_t p = 0;
    while (p < condition.size() && condition[p] == ' ') ++p;
    while (p < condition.size() && std::string_view("=<>%").find(condition[p]) != std::string_view::npos) op += condition[p++];
    while (p < condition.size() && condition[p] == ' ') ++p;
    std::int64_t n = 0;
    const auto r = std::from_chars(condition.data() + p, condition.data() + condition.size(), n);
    if (r.ec != std::errc() || n < 0) return true;  // unreadable: stop, as without one
    if (op.empty() || op == "==") return hits == n;
    if (op == ">=") return hits >= n;
    if (op == ">") return hits > n;
    if (op == "%") return n > 0 && hits % n == 0;
    return true;
}

}  // namespace

Debugger::Debugger(Machine& machine, IpcLink& link, const ProgramMap& map, LineSink output)
    : machine_(machine), link_(link), map_(map), output_(std::move(output)) {}

void Debugger::Attach() {
    events_.clear();
    stoppedSlot_ = -1;
    step_ = StepKind::none;
    std::fill(active_.begin(), active_.end(), false);
    for (Breakpoint& bp : breakpoints_) Place(bp);
    ApplyBreakpoints();
    SetStopOnFaults(stopOnFaults_);
}

void Debugger::SetStopOnFaults(bool on) {
    stopOnFaults_ = on;
    machine_.SetDebugHooks([this](int slot, std::int32_t pc) { return OnBreak(slot, pc); },
                           on ? FaultHook([this](int slot, std::int32_t pc, const std::string& what) {
                               OnFault(slot, pc, what);
                           })
                              : FaultHook());
}

void Debugger::Place(Breakpoint& bp) const {
    bp.verified = false;
    bp.line = 0;
    bp.file.clear();
    bp.pc = -1;
    bp.message.clear();
    bool fileKnown = false;
    for (const std::int32_t pc : map_.statements) {
        const std::optional<SourcePlace> place = map_.PlaceOfPc(pc);
        if (!place || !SameFile(bp.request.file, place->file)) continue;
        fileKnown = true;
        if (place->line < bp.request.line) continue;
        // The nearest line at or after the asked one; on it, the first statement.
        if (!bp.verified || place->line < bp.line || (place->line == bp.line && pc < bp.pc)) {
            bp.verified = true;
            bp.line = place->line;
            bp.file = place->file;
            bp.pc = pc;
        }
    }
    if (!bp.verified) {
        bp.message = fileKnown ? "no code at or after line " + std::to_string(bp.request.line)
                               : "the program has no code from " + bp.request.file;
    }
}

void Debugger::ApplyBreakpoints() {
    std::vector<std::int32_t> pcs;
    for (const Breakpoint& bp : breakpoints_) {
        if (bp.verified) pcs.push_back(bp.pc);
    }
    machine_.SetBreakpoints(pcs);
}

Breakpoint Debugger::AddBreakpoint(const BreakpointRequest& request) {
    Breakpoint bp;
    bp.id = nextId_++;
    bp.request = request;
    Place(bp);
    breakpoints_.push_back(bp);
    ApplyBreakpoints();
    return bp;
}

bool Debugger::DeleteBreakpoint(int id) {
    const auto it = std::find_if(breakpoints_.begin(), breakpoints_.end(), [id](const Breakpoint& b) { return b.id == id; });
    if (it == breakpoints_.end()) return false;
    breakpoints_.erase(it);
    ApplyBreakpoints();
    return true;
}

std::vector<Breakpoint> Debugger::SetFileBreakpoints(const std::string& file,
                                                     const std::vector<BreakpointRequest>& requests) {
    std::erase_if(breakpoints_, [&](const Breakpoint& b) { return b.request.file == file; });
    std::vector<Breakpoint> placed;
    for (BreakpointRequest request : requests) {
        request.file = file;
        Breakpoint bp;
        bp.id = nextId_++;
        bp.request = request;
        Place(bp);
        breakpoints_.push_back(bp);
        placed.push_back(bp);
    }
    ApplyBreakpoints();
    return placed;
}

bool Debugger::Stopped() const { return machine_.Held() && !machine_.Stepping(); }

void Debugger::Stop(StopReason reason, int slot, int breakpointId, std::string text) {
    stoppedSlot_ = slot;
    DebugEvent e;
    e.kind = DebugEvent::Kind::stopped;
    e.reason = reason;
    e.slot = slot;
    e.breakpointId = breakpointId;
    e.text = std::move(text);
    events_.push_back(std::move(e));
}

int Debugger::BreakpointStops(int slot, std::int32_t pc) {
    int stopAt = 0;
    for (Breakpoint& bp : breakpoints_) {
        if (!bp.verified || bp.pc != pc) continue;
        if (!bp.request.condition.empty()) {
            std::string error;
            const std::optional<VariableValue> v = Evaluate(slot, 0, bp.request.condition, error);
            if (!v) {
                // A condition that cannot be read stops, saying why.
                bp.message = "condition: " + error;
                if (stopAt == 0) stopAt = bp.id;
                continue;
            }
            if (v->value == "0" || v->value == "-0") continue;
        }
        ++bp.hits;
        if (!bp.request.hitCondition.empty() && !HitStops(bp.request.hitCondition, bp.hits)) continue;
        if (stopAt == 0) stopAt = bp.id;
    }
    return stopAt;
}

bool Debugger::OnBreak(int slot, std::int32_t pc) {
    const int id = BreakpointStops(slot, pc);
    if (id == 0) return false;
    Stop(StopReason::breakpoint, slot, id);
    return true;
}

void Debugger::OnFault(int slot, std::int32_t, const std::string& what) {
    step_ = StepKind::none;
    Stop(StopReason::exception, slot, 0, what);
}

bool Debugger::OnStep(int slot, std::int32_t pc) {
    const int id = BreakpointStops(slot, pc);
    if (id != 0) {
        step_ = StepKind::none;
        Stop(StopReason::breakpoint, slot, id);
        stepStopped_ = true;
        return true;
    }
    const std::int32_t depth = machine_.CallDepth(slot);
    bool stop = false;
    if (step_ == StepKind::out) {
        stop = depth < stepDepth_;
    } else if (map_.IsStatement(pc) && (step_ == StepKind::into || depth <= stepDepth_)) {
        // A new line, another frame, or a jump back to the same line (a loop).
        stop = depth != stepDepth_ || map_.ExpandedLineOfPc(pc) != stepLine_ || pc <= stepPc_;
    }
    if (!stop) return false;
    step_ = StepKind::none;
    Stop(StopReason::step, slot);
    stepStopped_ = true;
    return true;
}

bool Debugger::StartStep(StepKind kind, int slot, std::string& error) {
    if (!Stopped()) {
        error = "the program is not stopped";
        return false;
    }
    if (slot < 0 || slot >= kProcessSlots || machine_.ProcessPc(slot) < 0) {
        error = "no process " + std::to_string(slot);
        return false;
    }
    if (machine_.FaultSlot() == slot) {
        error = "process " + std::to_string(slot) + " stopped at a runtime error; continue ends it";
        return false;
    }
    const std::int32_t pc = machine_.ProcessPc(slot);
    step_ = kind;
    stepSlot_ = slot;
    stepDepth_ = machine_.CallDepth(slot);
    stepLine_ = map_.ExpandedLineOfPc(pc);
    stepPc_ = pc;
    stepStopped_ = false;
    stoppedSlot_ = -1;
    machine_.Step(slot, [this](int s, std::int32_t at) { return OnStep(s, at); });
    return true;
}

bool Debugger::StepOver(int slot, std::string& error) { return StartStep(StepKind::over, slot, error); }
bool Debugger::StepInto(int slot, std::string& error) { return StartStep(StepKind::into, slot, error); }
bool Debugger::StepOut(int slot, std::string& error) { return StartStep(StepKind::out, slot, error); }

void Debugger::Continue() {
    if (!machine_.Held()) return;
    step_ = StepKind::none;
    stoppedSlot_ = -1;
    machine_.Resume(output_);
    DebugEvent e;
    e.kind = DebugEvent::Kind::continued;
    events_.push_back(e);
}

void Debugger::Pause() {
    if (machine_.Held()) return;
    machine_.Hold();
    int first = -1;
    for (int slot = 0; slot < kProcessSlots && first < 0; ++slot) {
        if (machine_.ProcessPc(slot) >= 0) first = slot;
    }
    Stop(StopReason::pause, first);
}

std::vector<DebugEvent> Debugger::TakeEvents() {
    // A step that ended without its own stop: the process waits, or ended.
    if (step_ != StepKind::none && !machine_.Stepping() && !stepStopped_) {
        step_ = StepKind::none;
        if (machine_.ProcessPc(stepSlot_) >= 0) {
            Stop(StopReason::step, stepSlot_);
        } else {
            // Nothing is left to show: the machine runs on.
            machine_.Resume(output_);
            DebugEvent e;
            e.kind = DebugEvent::Kind::continued;
            events_.push_back(e);
        }
    }
    std::vector<DebugEvent> out;
    for (int slot = 0; slot < kProcessSlots; ++slot) {
        const bool now = machine_.ProcessPc(slot) >= 0;
        if (now == active_[static_cast<std::size_t>(slot)]) continue;
        active_[static_cast<std::size_t>(slot)] = now;
        DebugEvent e;
        e.kind = now ? DebugEvent::Kind::processStarted : DebugEvent::Kind::processEnded;
        e.slot = slot;
        out.push_back(e);
    }
    // Ended before a stop is reported, started before it.
    std::stable_partition(out.begin(), out.end(),
                          [](const DebugEvent& e) { return e.kind == DebugEvent::Kind::processEnded; });
    out.insert(out.end(), events_.begin(), events_.end());
    events_.clear();
    return out;
}

}  // namespace vorn
