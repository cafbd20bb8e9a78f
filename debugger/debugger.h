#pragma once
// A source-level debugger over a Machine and the ProgramMap of its program:
// breakpoints on source lines, stepping by line, pause, the processes, their
// call stacks and variables. Toolkit-free; `vornc debug` and `vornc dap`
// are its front ends.
//
// How a front end drives it (everything on one thread):
//  * It owns the link, the machine and the tick, as without a debugger: it
//    compiles (filling a ProgramMap), loads the image into the machine and
//    starts it (registers the hot keys), and calls Machine::Tick (through
//    WorkbenchController::TimerTick: heartbeat first) every 100 ms, or as
//    fast as it likes. It keeps ticking while the machine is stopped: a
//    held machine runs no process and polls no hot key, but the heartbeat
//    goes on, so a lost link is still noticed.
//  * After every Load it calls Attach(); breakpoints set before (or before a
//    recompile) are placed again by file and line.
//  * Stops happen inside Machine::Tick, through the machine's hooks. After
//    every tick, and after every command below, the front end calls
//    TakeEvents() and reports what it returns (stopped, continued,
//    processes started and ended), in order.
//  * Commands (Continue, Pause, Step*, SetVariable) are plain calls between
//    ticks. Step* start a step; it completes in later ticks and is reported
//    by TakeEvents() as a stop with reason step.
//  * Hot keys pressed while the machine is stopped stay flagged in FSUIPC's
//    table and start their routines at the first tick after Continue, as
//    after a slow tick.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compiler/program_map.h"
#include "machine/machine.h"

namespace vorn {

class IpcLink;

struct BreakpointRequest {
    std::string file;          // as the user names it: "demo.vrn", "lib/keys.inc", a full path
    int line = 0;              // in that file
    std::string condition;     // "" always; else an expression, "count > 3" (see Evaluate)
    // "" every time; "N" or "== N" the N-th time only; ">= N", "> N"; "% N"
    // every N-th time. Counted only when the condition holds.
    std::string hitCondition;
};

struct Breakpoint {
    int id = 0;                // 1, 2, ... for the session's life
    BreakpointRequest request;
    bool verified = false;     // placed on a statement
    // The line it stops at: the asked line, or the next line with a
    // statement when the asked one has no code. 0 while unverified.
    int line = 0;
    std::string file;          // the file as the program names it ("" while unverified)
    std::int32_t pc = -1;
    std::int64_t hits = 0;     // times reached with its condition true
    std::string message;       // why it is unverified, or a condition's error
};

enum class StopReason { breakpoint, step, pause, exception };
// "breakpoint", "step", "pause", "exception" (the DAP names).
const char* StopReasonName(StopReason reason);

struct DebugEvent {
    enum class Kind { stopped, continued, processStarted, processEnded };
    Kind kind = Kind::stopped;
    StopReason reason = StopReason::pause;  // stopped only
    int slot = -1;             // the process; -1: a pause with no process active
    int breakpointId = 0;      // reason breakpoint
    std::string text;          // reason exception: the fault ("division by zero")
};

struct ProcessInfo {
    int slot = 0;
    std::string name;          // "key Ctrl+G", "sequence Climb", "routine Tick" (a sequence slot without a map)
    std::string state;         // "stopped", "running", "waiting 10 ticks"
    std::int32_t waitTicks = 0;
    std::int32_t pc = -1;
};

struct FrameInfo {
    int index = 0;             // 0 the innermost
    std::string routine;       // "Add", "key Ctrl+G", "sequence Climb"
    SourcePlace place;         // file ("" when unknown) and line
    std::int32_t pc = -1;      // frame 0: where the process stands; outer: the return point
};

enum class Scope { locals, parameters, globals, fsuipc };
// "Locals", "Parameters", "Globals", "FSUIPC".
const char* ScopeName(Scope scope);

struct VariableValue {
    std::string name;
    std::string type;          // "int", "float", "byte[16]", "int*"
    std::string value;         // "42", "1.5", "\"hello\"" (byte arrays as text), "[1, 2, 3, ...]"
    std::string where;         // "data $1000004", "FSUIPC $0570", "frame slot 3"
};

class Debugger {
public:
    // The machine, link and map must outlive the debugger; the map is read
    // afresh at every Attach (a recompile refills it in place). `output`
    // gets the runtime-error line of a process ended after a fault stop.
    Debugger(Machine& machine, IpcLink& link, const ProgramMap& map, LineSink output);
    Debugger(const Debugger&) = delete;
    Debugger& operator=(const Debugger&) = delete;

    // After every Machine::Load: places the breakpoints, sets the hooks.
    void Attach();

    // --- breakpoints ---
    Breakpoint AddBreakpoint(const BreakpointRequest& request);
    bool DeleteBreakpoint(int id);
    // Replaces every breakpoint of one file (the DAP's setBreakpoints); the
    // answers are in the order asked.
    std::vector<Breakpoint> SetFileBreakpoints(const std::string& file, const std::vector<BreakpointRequest>& requests);
    const std::vector<Breakpoint>& Breakpoints() const { return breakpoints_; }
    // Runtime errors stop the machine at the faulting instruction (on by
    // default); Continue then ends the process as without a debugger.
    void SetStopOnFaults(bool on);

    // --- running ---
    bool Stopped() const;
    // The process the last stop was for (-1 when none).
    int StoppedSlot() const { return stoppedSlot_; }
    void Continue();
    void Pause();
    // False with a reason in `error`: not stopped, or no such process.
    bool StepOver(int slot, std::string& error);
    bool StepInto(int slot, std::string& error);
    bool StepOut(int slot, std::string& error);
    std::vector<DebugEvent> TakeEvents();

    // --- inspection (any time; meant for while stopped) ---
    std::vector<ProcessInfo> Processes() const;
    std::vector<FrameInfo> StackTrace(int slot) const;
    // Frame `frame` of process `slot` for locals and parameters; globals and
    // FSUIPC ignore both. FSUIPC-bound globals (and arrays) are read fresh,
    // all in one exchange.
    std::vector<VariableValue> Variables(int slot, int frame, Scope scope);
    // An expression over the frame's parameters and locals and the globals:
    // names, numbers, 'c', name[index], ( ), unary - !, * / %, + -,
    // < <= > >=, == !=, &, |, &&, || with the program's meaning. A name
    // alone gives its whole value (arrays as text or a list).
    std::optional<VariableValue> Evaluate(int slot, int frame, const std::string& expression, std::string& error);
    // name or name[index] = value (a number, 'c', or for a byte array a
    // "text"). An FSUIPC-bound global writes the simulator. Answers the
    // new value.
    std::optional<VariableValue> SetVariable(int slot, int frame, const std::string& target, const std::string& value,
                                             std::string& error);
    // "demo.vrn:12" of a PC, "" when unknown.
    std::string PlaceText(std::int32_t pc) const;

private:
    enum class StepKind { none, over, into, out };
    // One frame of a process: where it stands and its frame base.
    struct Frame {
        std::int32_t pc;
        std::int32_t frameBase;
        const RoutineInfo* routine;
    };
    std::vector<Frame> Frames(int slot) const;
    std::string RoutineName(const RoutineInfo* routine, int slot) const;
    void Place(Breakpoint& bp) const;
    void ApplyBreakpoints();
    // A breakpoint at pc whose condition and hit count say stop, or 0.
    int BreakpointStops(int slot, std::int32_t pc);
    bool OnBreak(int slot, std::int32_t pc);
    bool OnStep(int slot, std::int32_t pc);
    void OnFault(int slot, std::int32_t pc, const std::string& what);
    bool StartStep(StepKind kind, int slot, std::string& error);
    void Stop(StopReason reason, int slot, int breakpointId = 0, std::string text = {});

    friend class FrameEnvironment;

    Machine& machine_;
    IpcLink& link_;
    const ProgramMap& map_;
    LineSink output_;
    std::vector<Breakpoint> breakpoints_;
    int nextId_ = 1;
    bool stopOnFaults_ = true;
    std::vector<DebugEvent> events_;
    int stoppedSlot_ = -1;
    std::vector<bool> active_ = std::vector<bool>(kProcessSlots, false);
    StepKind step_ = StepKind::none;
    int stepSlot_ = -1;
    std::int32_t stepDepth_ = 0;
    std::int32_t stepLine_ = 0;
    std::int32_t stepPc_ = -1;
    bool stepStopped_ = false;  // the step's own stop was reported
};

}  // namespace vorn
