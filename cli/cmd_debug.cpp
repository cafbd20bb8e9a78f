// vornc debug: `vornc run` with a debugger and a gdb-style prompt on
// standard input. Answers go to standard output in fixed forms (see
// docs/debugging.md); the program's own lines come as "output: TEXT".
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/diagnostics.h"
#include "cli/input_lines.h"
#include "cli/run_options.h"
#include "cli/settings_options.h"
#include "cli/text_io.h"
#include "debugger/debug_run.h"
#include "fsuipc/hot_key_name.h"
#include "sim/sim_commands.h"
#include "workbench/source_text.h"

namespace vorn::cli {

namespace {

// With --fast, one `continue` runs at most this many ticks before it gives
// the prompt back (a program that never stops nor idles).
constexpr int kFastStretchTicks = 10000;

void Complain(const std::string& message) { std::fprintf(stderr, "vornc debug: %s\n", message.c_str()); }

void Answer(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::string Trim(const std::string& text) {
    const std::size_t a = text.find_first_not_of(" \t");
    if (a == std::string::npos) return "";
    const std::size_t b = text.find_last_not_of(" \t");
    return text.substr(a, b - a + 1);
}

bool ParseCount(const std::string& text, int& value) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    value = std::stoi(text);
    return true;
}


class Session {
public:
    Session(const RunOptions& options, DebugRunOptions run, std::vector<std::string> lines)
        : options_(options),
          run_(std::move(run), std::move(lines), [](const std::string& line) { Answer("output: " + line); }, Complain),
          controller_(run_.Controller()),
          view_(run_.View()),
          debugger_(run_.Debug()),
          machine_(run_.MachineState()) {}

    int Execute() {
        for (const RunPoke& poke : options_.pokes) run_.Sim().Poke(poke.offset, poke.bytes, poke.size);
        if (options_.listing) controller_.ToggleCompilerOutput();
        controller_.Compile();
        if (ReportErrors()) return kExitCommandError;
        if (options_.listing) WritePlainLines(view_.CompilerText(), stderr);
        WriteDiagnostics(controller_.Program().lines, view_.CompilerText(), stderr);
        if (!controller_.Compiled()) {
            Complain("the program has errors");
            return kExitProgramErrors;
        }
        if (options_.debug) controller_.ToggleDebug();
        if (options_.reconnect) controller_.ToggleReconnect();
        if (options_.fast) {
            FastLoop();
        } else {
            TimedLoop();
        }
        run_.Stop();
        for (const std::string& line : view_.TakeLinkMessages()) Complain(line);
        if (ReportErrors()) return kExitCommandError;
        if (lost_) return kExitConnectFailed;
        return machine_.RuntimeErrors() > 0 ? kExitRuntimeError : kExitOk;
    }

private:
    bool ReportErrors() {
        const std::vector<std::string> errors = view_.TakeErrors();
        for (const std::string& e : errors) Complain(e);
        return !errors.empty();
    }

    bool Running() const { return controller_.Connected(); }

    // --fast: commands one after the other; ticks only inside a command
    // that lets the program run.
    void FastLoop() {
        std::string line;
        while (!quit_ && !lost_ && std::getline(std::cin, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            wantRun_ = false;
            Command(line);
            Report();
            if (wantRun_) Stretch();
        }
    }

    // Ticks until the machine stops, idles or the stretch is over.
    void Stretch() {
        switch (run_.RunStretch(kFastStretchTicks, [this] { Report(); })) {
        case DebugRun::Stretch::lost: lost_ = true; break;
        case DebugRun::Stretch::more:
            Answer("running: " + std::to_string(kFastStretchTicks) + " ticks without a stop");
            break;
        case DebugRun::Stretch::stopped:
        case DebugRun::Stretch::idle: break;
        }
    }

    // Without --fast: a tick every 100 ms whatever happens; commands as they come.
    void TimedLoop() {
        CatchStopSignals();
        std::shared_ptr<InputLines> input = InputLines::Start();
        if (StdinIsTerminal()) std::fprintf(stderr, "type help for commands, quit to stop\n");
        const auto period = std::chrono::milliseconds(kTickMilliseconds);
        Clock::time_point next = Clock::now();
        bool ended = false;
        while (!quit_ && !lost_ && !Interrupted() && !ended) {
            next += period;
            if (Clock::now() > next + period) next = Clock::now() + period;
            while (!quit_ && !ended && !Interrupted() && Clock::now() < next) {
                for (const std::string& line : input->Take(next, ended)) {
                    if (quit_) break;
                    Command(line);
                    Report();
                }
            }
            if (!quit_ && Running()) TickOnce();
        }
    }

    void TickOnce() {
        const bool alive = run_.Tick();
        Report();
        if (!alive) lost_ = true;
    }

    std::string Where(int slot) const {
        const std::string place = debugger_.PlaceText(machine_.ProcessPc(slot));
        return place.empty() ? "PC " + std::to_string(machine_.ProcessPc(slot)) : place;
    }

    void Report() {
        for (const DebugEvent& e : debugger_.TakeEvents()) {
            switch (e.kind) {
            case DebugEvent::Kind::processStarted: {
                std::string name;
                for (const ProcessInfo& p : debugger_.Processes()) {
                    if (p.slot == e.slot) name = p.name;
                }
                Answer("process " + std::to_string(e.slot) + " started: " + name);
                break;
            }
            case DebugEvent::Kind::processEnded: Answer("process " + std::to_string(e.slot) + " ended"); break;
            case DebugEvent::Kind::continued: Answer("running"); break;
            case DebugEvent::Kind::stopped: {
                current_ = e.slot;
                frame_ = 0;
                std::string line = "stopped: ";
                const std::string in = e.slot >= 0 ? " in process " + std::to_string(e.slot) + " at " + Where(e.slot) : "";
                switch (e.reason) {
                case StopReason::breakpoint: line += "breakpoint " + std::to_string(e.breakpointId) + in; break;
                case StopReason::step:
                    line += "step" + in;
                    if (e.slot >= 0 && machine_.WaitCount(e.slot) > 0)
                        line += ", waiting " + std::to_string(machine_.WaitCount(e.slot)) + " ticks";
                    break;
                case StopReason::pause: line += "pause" + in; break;
                case StopReason::exception: line += "runtime error" + in + ": " + e.text; break;
                }
                Answer(line);
                break;
            }
            }
        }
    }

    void Break(const std::string& args) {
        std::string place = args, condition;
        const std::size_t ifAt = args.find(" if ");
        if (ifAt != std::string::npos) {
            place = Trim(args.substr(0, ifAt));
            condition = Trim(args.substr(ifAt + 4));
        }
        BreakpointRequest request;
        const std::size_t colon = place.rfind(':');
        request.file = colon == std::string::npos ? controller_.Program().lines.MainName() : place.substr(0, colon);
        const std::string lineText = colon == std::string::npos ? place : place.substr(colon + 1);
        if (request.file.empty() || !ParseCount(lineText, request.line) || request.line < 1) {
            Answer("error: break FILE:LINE [if EXPR]");
            return;
        }
        request.condition = condition;
        const Breakpoint bp = debugger_.AddBreakpoint(request);
        std::string line = "breakpoint " + std::to_string(bp.id);
        if (!bp.verified) {
            line += " pending at " + request.file + ":" + std::to_string(request.line) + ": " + bp.message;
        } else {
            line += " at " + bp.file + ":" + std::to_string(bp.line);
            if (bp.line != request.line) line += " (line " + std::to_string(request.line) + " has no code)";
        }
        Answer(line);
    }

    void InfoBreak() {
        if (debugger_.Breakpoints().empty()) {
            Answer("no breakpoints");
            return;
        }
        for (const Breakpoint& bp : debugger_.Breakpoints()) {
            std::string line = "breakpoint " + std::to_string(bp.id);
            line += bp.verified ? " at " + bp.file + ":" + std::to_string(bp.line)
                                : " pending at " + bp.request.file + ":" + std::to_string(bp.request.line);
            if (!bp.request.condition.empty()) line += " if " + bp.request.condition;
            line += ", hit " + std::to_string(bp.hits) + (bp.hits == 1 ? " time" : " times");
            Answer(line);
        }
    }

    bool NeedStopped() {
        if (!Running()) {
            Answer("error: the program is not running");
            return false;
        }
        if (!debugger_.Stopped()) {
            Answer("error: the program is running; pause first");
            return false;
        }
        return true;
    }

    void Step(const std::string& verb) {
        if (!NeedStopped()) return;
        std::string error;
        const bool ok = verb == "next"   ? debugger_.StepOver(current_, error)
                        : verb == "step" ? debugger_.StepInto(current_, error)
                                         : debugger_.StepOut(current_, error);
        if (!ok) {
            Answer("error: " + error);
            return;
        }
        wantRun_ = true;
    }

    void Variables(Scope scope) {
        const std::vector<VariableValue> vars = debugger_.Variables(current_, frame_, scope);
        if (vars.empty()) Answer(std::string("no ") + ScopeName(scope));
        for (const VariableValue& v : vars) Answer(v.type + " " + v.name + " = " + v.value + " (" + v.where + ")");
    }

    void Command(const std::string& raw) {
        const std::string line = Trim(raw);
        if (line.empty() || line[0] == '#') return;
        const std::size_t space = line.find(' ');
        const std::string verb = line.substr(0, space);
        const std::string args = space == std::string::npos ? "" : Trim(line.substr(space + 1));
        if (verb == "break" || verb == "b") {
            Break(args);
        } else if (verb == "delete") {
            int id = 0;
            if (!ParseCount(args, id) || !debugger_.DeleteBreakpoint(id)) {
                Answer("error: no breakpoint " + args);
            } else {
                Answer("deleted breakpoint " + args);
            }
        } else if (verb == "info" && args == "break") {
            InfoBreak();
        } else if (verb == "info" && (args == "locals" || args == "args" || args == "globals" || args == "fsuipc")) {
            if (args == "globals" || args == "fsuipc" || NeedStopped())
                Variables(args == "locals" ? Scope::locals : args == "args" ? Scope::parameters
                                                           : args == "globals" ? Scope::globals : Scope::fsuipc);
        } else if (verb == "run" || verb == "r") {
            if (Running()) {
                Answer("error: the program is already running");
                return;
            }
            std::vector<std::string> problems;
            if (!run_.Start(problems)) {
                for (const std::string& p : problems) Answer("error: " + p);
                lost_ = true;
                return;
            }
            for (const std::string& p : problems) Complain(p);
            Answer("running");
            wantRun_ = true;
        } else if (verb == "continue" || verb == "c") {
            if (!NeedStopped()) return;
            debugger_.Continue();
            wantRun_ = true;
        } else if (verb == "step" || verb == "s" || verb == "next" || verb == "n" || verb == "finish") {
            Step(verb == "s" ? "step" : verb == "n" ? "next" : verb);
        } else if (verb == "pause") {
            if (!Running()) {
                Answer("error: the program is not running");
            } else if (debugger_.Stopped()) {
                Answer("error: the program is already stopped");
            } else {
                debugger_.Pause();
            }
        } else if (verb == "bt" || verb == "backtrace") {
            if (!NeedStopped()) return;
            const std::vector<FrameInfo> frames = debugger_.StackTrace(current_);
            if (frames.empty()) Answer("no process " + std::to_string(current_));
            for (const FrameInfo& f : frames) {
                Answer("#" + std::to_string(f.index) + " " + f.routine + " at " +
                       (f.place.file.empty() && f.place.line == 0 ? "PC " + std::to_string(f.pc) : PlaceText(f.place)));
            }
        } else if (verb == "frame" || verb == "process") {
            int n = 0;
            if (!NeedStopped()) return;
            if (!ParseCount(args, n)) {
                Answer("error: " + verb + " N");
            } else if (verb == "frame" && static_cast<std::size_t>(n) >= debugger_.StackTrace(current_).size()) {
                Answer("error: no frame " + args);
            } else if (verb == "process" && (n >= kProcessSlots || machine_.ProcessPc(n) < 0)) {
                Answer("error: no process " + args);
            } else {
                if (verb == "frame") {
                    frame_ = n;
                } else {
                    current_ = n;
                    frame_ = 0;
                }
                Answer(verb + " " + args);
            }
        } else if (verb == "ps") {
            if (!Running()) {
                Answer("error: the program is not running");
                return;
            }
            const std::vector<ProcessInfo> ps = debugger_.Processes();
            if (ps.empty()) Answer("no processes");
            for (const ProcessInfo& p : ps)
                Answer("process " + std::to_string(p.slot) + ": " + p.name + ", " + p.state + " at " + Where(p.slot));
        } else if (verb == "print" || verb == "p") {
            if (args.empty()) {
                Answer("error: print EXPR");
                return;
            }
            std::string error;
            const std::optional<VariableValue> v = debugger_.Evaluate(current_, frame_, args, error);
            Answer(v ? args + " = " + v->value : "error: " + error);
        } else if (verb == "set") {
            const std::size_t eq = args.find('=');
            if (eq == std::string::npos || !Running()) {
                Answer(!Running() ? "error: the program is not running" : "error: set NAME = VALUE");
                return;
            }
            if (!debugger_.Stopped()) {
                Answer("error: the program is running; pause first");
                return;
            }
            std::string error;
            const std::string target = Trim(args.substr(0, eq));
            const std::optional<VariableValue> v =
                debugger_.SetVariable(current_, frame_, target, Trim(args.substr(eq + 1)), error);
            Answer(v ? target + " = " + v->value : "error: " + error);
        } else if (verb == "press") {
            std::uint8_t key = 0, modifier = 0;
            if (!ParseHotKey(args, key, modifier)) {
                Answer("error: press KEY, KEY like Ctrl+G or 71,2");
            } else if (!Running()) {
                Answer("error: the program is not running");
            } else if (options_.server) {
                Answer("error: presses act on the built-in simulator; press the key in the simulator");
            } else if (!run_.Press(key, modifier)) {
                Answer("error: the program has no hot key " + HotKeyName(key, modifier));
            } else {
                Answer("pressed " + HotKeyName(key, modifier));
                wantRun_ = !debugger_.Stopped();
            }
        } else if (verb == "quit" || verb == "q") {
            quit_ = true;
            Answer("bye");
        } else if (verb == "help") {
            Answer("commands: break FILE:LINE [if EXPR], delete N, info break, run, continue, step, next, finish, "
                   "pause, bt, frame N, process N, ps, print EXPR, set NAME = VALUE, info locals|args|globals|fsuipc, "
                   "press KEY, quit");
        } else {
            Answer("error: unknown command " + verb + " (help lists them)");
        }
    }

    const RunOptions& options_;
    DebugRun run_;
    WorkbenchController& controller_;
    HeadlessView& view_;
    Debugger& debugger_;
    Machine& machine_;
    int current_ = -1;  // the process that print, bt and the steps are about
    int frame_ = 0;
    bool quit_ = false;
    bool lost_ = false;
    bool wantRun_ = false;
};

int DebugCommand(const std::vector<std::string>& args) {
    RunOptions options;
    std::string error;
    if (!ParseRunOptions(args, options, error)) {
        Complain(error);
        std::fprintf(stderr, "usage: vornc %s\n", UsageOf("debug").c_str());
        return kExitUsage;
    }
    if (!options.watch.empty() || options.ticks >= 0) {
        Complain("--watch and --ticks are not for debug: use print, and continue");
        return kExitUsage;
    }
    if (options.wait || options.reloadOnChange || !options.log.empty()) {
        Complain("--wait, --reload-on-change and --log are for run, not for debug");
        return kExitUsage;
    }
    // The link as the user set it up, in the settings file and on the command line.
    Settings settings;
    std::unique_ptr<SettingsStore> store;
    if (!LoadSettingsTelling(options.settings, settings, store, Complain)) return kExitUsage;
    options.reconnect = options.reconnect || settings.Switch(SettingId::kReconnect);
    DebugRunOptions run;
    run.file = options.file;
    run.server = options.server;
    run.model = options.model;
    run.settings = &settings;
    for (const RunPress& p : options.presses) {
        DebugPress press;
        press.text = "--press " + p.text;
        press.tick = p.tick;
        if (!ParseHotKey(p.key, press.key, press.modifier)) {
            Complain(press.text + ": KEY must look like Ctrl+G or 71,2");
            return kExitUsage;
        }
        run.presses.push_back(press);
    }
    std::string text, readError;
    if (!ReadWholeFile(options.file, text, readError)) {
        Complain(readError);
        return kExitUsage;
    }
    const std::filesystem::path folder = std::filesystem::path(options.file).parent_path();
    if (!folder.empty()) {
        std::error_code ec;
        std::filesystem::current_path(folder, ec);
        if (ec) {
            Complain("cannot change to " + folder.string() + ": " + ec.message());
            return kExitUsage;
        }
    }
    run.folder = folder.generic_string();
    Session session(options, std::move(run), DecodeSourceText(text).lines);
    return session.Execute();
}

const CommandRegistration kRegistration(
    {"debug", "FILE", DebugCommand,
     "compile FILE and debug it: breakpoints, steps, processes and variables, one gdb-style command per line on "
     "stdin, answers on stdout (--fast: ticks only while the program runs)",
     RunOptionTable(),
     {kExitOk, kExitProgramErrors, kExitUsage, kExitCommandError, kExitConnectFailed, kExitRuntimeError}});

}  // namespace

}  // namespace vorn::cli
