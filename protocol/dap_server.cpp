#include "protocol/dap_server.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "debugger/debug_run.h"
#include "preprocessor/expand.h"
#include "sim/sim_commands.h"
#include "support/placed_diagnostics.h"
#include "workbench/source_text.h"

namespace vorn::protocol {

namespace {

// A fast run gives the adapter back after this many ticks without a stop,
// so requests are still answered while a program runs on and on.
constexpr int kFastStretchTicks = 200;
// Frames and scopes per process in the packed ids.
constexpr int kFramesPerSlot = 1000;
constexpr int kScopes = 4;
// The thread shown when no process is active (a pause between hot keys).
constexpr int kMachineThread = 1000;
// A scripted press later than this is a mistake (about 3 years of ticks).
constexpr std::int64_t kMaxPressTick = std::int64_t{1} << 30;

const Scope kScopeOrder[kScopes] = {Scope::locals, Scope::parameters, Scope::globals, Scope::fsuipc};

// Thread ids are process slots + 1; frame ids and variable references pack
// slot, frame and scope, and are checked on the way back.
int ThreadOf(int slot) { return slot < 0 ? kMachineThread : slot + 1; }

int FrameId(int slot, int frame) { return (slot + 1) * kFramesPerSlot + frame; }
bool UnpackFrame(std::int64_t id, int& slot, int& frame) {
    if (id < kFramesPerSlot || id >= static_cast<std::int64_t>(kProcessSlots + 1) * kFramesPerSlot) return false;
    slot = static_cast<int>(id / kFramesPerSlot) - 1;
    frame = static_cast<int>(id % kFramesPerSlot);
    return true;
}

bool GetInt(const Json& args, const char* name, std::int64_t& value) {
    const auto it = args.find(name);
    if (it == args.end() || !it->is_number_integer()) return false;
    value = it->get<std::int64_t>();
    return true;
}

std::string GetString(const Json& args, const char* name) {
    const auto it = args.find(name);
    return it != args.end() && it->is_string() ? it->get<std::string>() : std::string();
}

bool GetBool(const Json& args, const char* name) {
    const auto it = args.find(name);
    return it != args.end() && it->is_boolean() && it->get<bool>();
}

// A program file read whole; false with the reason. Only regular files
// (not a device that never ends), and not over `limit` bytes.
bool ReadProgram(const std::string& path, std::size_t limit, std::string& text, std::string& error) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        error = "cannot open the program '" + path + "'";
        return false;
    }
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (!ec && size > limit) {
        error = "the program '" + path + "' is larger than " + std::to_string(limit) + " bytes";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (ec || !in || text.size() > limit) {
        error = "cannot read the program '" + path + "'";
        return false;
    }
    return true;
}

}  // namespace

DapServer::DapServer(Send send, bool allowServer, const Settings* settings)
    : send_(std::move(send)), allowServer_(allowServer), settings_(settings) {}

Json DapServer::SourceOf(const std::string& file) const {
    if (file.empty()) return nullptr;
    std::filesystem::path path(file);
    if (path.is_relative() && !folder_.empty()) path = std::filesystem::path(folder_) / path;
    return {{"name", path.filename().string()}, {"path", path.lexically_normal().string()}};
}
DapServer::~DapServer() = default;

void DapServer::Respond(int seq, const std::string& command, Json body) {
    send_({{"seq", seq_++}, {"type", "response"}, {"request_seq", seq}, {"success", true}, {"command", command},
           {"body", std::move(body)}});
}

void DapServer::Fail(int seq, const std::string& command, const std::string& message) {
    send_({{"seq", seq_++}, {"type", "response"}, {"request_seq", seq}, {"success", false}, {"command", command},
           {"message", message}, {"body", {{"error", {{"id", 1}, {"format", message}, {"showUser", true}}}}}});
}

void DapServer::Event(const std::string& event, Json body) {
    send_({{"seq", seq_++}, {"type", "event"}, {"event", event}, {"body", std::move(body)}});
}

void DapServer::Handle(const Frame& frame) {
    if (frame.kind == Frame::kBad) {
        Fail(0, "", frame.error);
        return;
    }
    if (frame.kind != Frame::kMessage) {
        End();
        done_ = true;
        return;
    }
    const Json& message = frame.json;
    std::int64_t seq = 0;
    if (!GetInt(message, "seq", seq) || seq < 0 || seq > 0x7FFFFFFF) seq = 0;
    if (GetString(message, "type") != "request") {
        Fail(static_cast<int>(seq), GetString(message, "command"), "only requests are understood");
        return;
    }
    const std::string command = GetString(message, "command");
    const auto args = message.find("arguments");
    const Json arguments = args != message.end() && args->is_object() ? *args : Json::object();
    try {
        Request(static_cast<int>(seq), command, arguments);
    } catch (const Json::exception& e) {
        Fail(static_cast<int>(seq), command, std::string("invalid arguments: ") + e.what());
    }
    Report();
}

bool DapServer::SlotOf(const Json& arguments, int& slot, std::string& error) const {
    std::int64_t thread = 0;
    if (!GetInt(arguments, "threadId", thread)) {
        error = "threadId is missing";
        return false;
    }
    if (thread < 1 || thread > kProcessSlots) {
        error = "no thread " + std::to_string(thread);
        return false;
    }
    slot = static_cast<int>(thread) - 1;
    return true;
}

void DapServer::Request(int seq, const std::string& command, const Json& arguments) {
    if (command == "initialize") {
        Respond(seq, command,
                {{"supportsConfigurationDoneRequest", true},
                 {"supportsConditionalBreakpoints", true},
                 {"supportsHitConditionalBreakpoints", true},
                 {"supportsEvaluateForHovers", true},
                 {"supportsSetVariable", true},
                 {"supportsTerminateRequest", true},
                 {"exceptionBreakpointFilters",
                  {{{"filter", "runtime"}, {"label", "runtime errors"}, {"default", true}}}}});
        return;
    }
    if (command == "launch") {
        std::string error;
        if (run_) {
            Fail(seq, command, "a program is already launched");
        } else if (!Launch(arguments, error)) {
            Fail(seq, command, error);
        } else {
            Respond(seq, command);
            Event("initialized");
        }
        return;
    }
    if (command == "disconnect" || command == "terminate") {
        Respond(seq, command);
        End();
        // terminate asks the program to end; disconnect ends the session.
        if (command == "disconnect") done_ = true;
        return;
    }
    if (command == "threads") {
        Json threads = Json::array();
        if (run_) {
            for (const ProcessInfo& p : run_->Debug().Processes())
                threads.push_back({{"id", ThreadOf(p.slot)}, {"name", p.name}});
        }
        if (threads.empty()) threads.push_back({{"id", kMachineThread}, {"name", "machine"}});
        Respond(seq, command, {{"threads", threads}});
        return;
    }
    // The requests below need a launched program.
    static const char* const kRunRequests[] = {"setBreakpoints", "setExceptionBreakpoints", "configurationDone",
                                               "continue", "pause", "next", "stepIn", "stepOut", "stackTrace",
                                               "scopes", "variables", "setVariable", "evaluate"};
    if (std::find(std::begin(kRunRequests), std::end(kRunRequests), command) == std::end(kRunRequests)) {
        Fail(seq, command, command.empty() ? "a request without a command" : "unknown request " + command);
        return;
    }
    if (!run_ || ended_) {
        Fail(seq, command, ended_ ? "the program has ended" : "no program is launched");
        return;
    }
    Debugger& debug = run_->Debug();
    std::string error;
    if (command == "setBreakpoints") {
        const Json& source = arguments.at("source");
        std::string file = GetString(source, "path");
        if (file.empty()) file = GetString(source, "name");
        std::vector<BreakpointRequest> requests;
        const auto list = arguments.find("breakpoints");
        if (list != arguments.end() && list->is_array()) {
            for (const Json& b : *list) {
                std::int64_t line = 0;
                if (!GetInt(b, "line", line) || line < 1 || line > 0x7FFFFFFF) line = 0;
                requests.push_back({file, static_cast<int>(line), GetString(b, "condition"), GetString(b, "hitCondition")});
            }
        }
        Json answers = Json::array();
        for (const Breakpoint& bp : debug.SetFileBreakpoints(file, requests)) {
            Json a = {{"id", bp.id}, {"verified", bp.verified}, {"source", source}};
            if (bp.verified) a["line"] = bp.line;
            if (!bp.message.empty()) a["message"] = bp.message;
            answers.push_back(std::move(a));
        }
        Respond(seq, command, {{"breakpoints", answers}});
    } else if (command == "setExceptionBreakpoints") {
        bool runtime = false;
        const auto filters = arguments.find("filters");
        if (filters != arguments.end() && filters->is_array()) {
            for (const Json& f : *filters) runtime = runtime || (f.is_string() && f.get<std::string>() == "runtime");
        }
        debug.SetStopOnFaults(runtime);
        Respond(seq, command, {{"breakpoints", Json::array()}});
    } else if (command == "configurationDone") {
        if (started_) {
            Respond(seq, command);
            return;
        }
        std::vector<std::string> problems;
        const bool running = run_->Start(problems);
        for (const std::string& p : problems) Event("output", {{"category", "console"}, {"output", p + "\n"}});
        if (!running) {
            Fail(seq, command, problems.front());
            End();
            return;
        }
        started_ = true;
        Respond(seq, command);
        if (stopOnEntry_) debug.Pause();
        nextTick_ = Clock::now();
    } else if (command == "continue") {
        debug.Continue();
        Respond(seq, command, {{"allThreadsContinued", true}});
    } else if (command == "pause") {
        debug.Pause();
        Respond(seq, command);
    } else if (command == "next" || command == "stepIn" || command == "stepOut") {
        int slot = 0;
        if (!SlotOf(arguments, slot, error)) {
            Fail(seq, command, error);
            return;
        }
        const bool ok = command == "next"     ? debug.StepOver(slot, error)
                        : command == "stepIn" ? debug.StepInto(slot, error)
                                              : debug.StepOut(slot, error);
        if (ok) {
            Respond(seq, command);
        } else {
            Fail(seq, command, error);
        }
    } else if (command == "stackTrace") {
        int slot = 0;
        if (!SlotOf(arguments, slot, error)) {
            // The machine thread has no frames.
            Respond(seq, command, {{"stackFrames", Json::array()}, {"totalFrames", 0}});
            return;
        }
        // A client may ask for the stack in pages: startFrame, then up to
        // `levels` frames (none or 0: all the rest).
        std::int64_t start = 0, levels = 0;
        if (!GetInt(arguments, "startFrame", start) || start < 0) start = 0;
        if (!GetInt(arguments, "levels", levels) || levels < 0) levels = 0;
        Json frames = Json::array();
        std::int64_t total = 0;
        for (const FrameInfo& f : debug.StackTrace(slot)) {
            if (f.index >= kFramesPerSlot) break;
            const std::int64_t at = total++;
            if (at < start || (levels > 0 && at >= start + levels)) continue;
            Json frame = {{"id", FrameId(slot, f.index)}, {"name", f.routine}, {"line", f.place.line}, {"column", 1}};
            const Json source = SourceOf(f.place.file);
            if (!source.is_null()) frame["source"] = source;
            frames.push_back(std::move(frame));
        }
        Respond(seq, command, {{"stackFrames", frames}, {"totalFrames", total}});
    } else if (command == "scopes") {
        std::int64_t id = 0;
        int slot = 0;
        int frame = 0;
        if (!GetInt(arguments, "frameId", id) || !UnpackFrame(id, slot, frame)) {
            Fail(seq, command, "no such frame");
            return;
        }
        Json scopes = Json::array();
        for (int s = 0; s < kScopes; ++s) {
            scopes.push_back({{"name", ScopeName(kScopeOrder[s])},
                              {"variablesReference", id * kScopes + s},
                              {"expensive", kScopeOrder[s] == Scope::fsuipc}});
        }
        Respond(seq, command, {{"scopes", scopes}});
    } else if (command == "variables" || command == "setVariable") {
        std::int64_t ref = 0;
        int slot = 0;
        int frame = 0;
        if (!GetInt(arguments, "variablesReference", ref) || ref < 0 || !UnpackFrame(ref / kScopes, slot, frame)) {
            Fail(seq, command, "no such variables reference");
            return;
        }
        const Scope scope = kScopeOrder[ref % kScopes];
        if (command == "setVariable") {
            // A global set from its scope is the global even where a local shadows it.
            const int in = scope == Scope::locals || scope == Scope::parameters ? frame : -1;
            const auto v = debug.SetVariable(slot, in, GetString(arguments, "name"), GetString(arguments, "value"), error);
            if (!v) {
                Fail(seq, command, error);
            } else {
                Respond(seq, command, {{"value", v->value}, {"type", v->type}, {"variablesReference", 0}});
            }
            return;
        }
        Json variables = Json::array();
        for (const VariableValue& v : debug.Variables(slot, frame, scope)) {
            variables.push_back({{"name", v.name},
                                 {"value", v.value},
                                 {"type", v.where.empty() ? v.type : v.type + ", " + v.where},
                                 {"evaluateName", v.name},
                                 {"variablesReference", 0}});
        }
        Respond(seq, command, {{"variables", variables}});
    } else if (command == "evaluate") {
        std::int64_t id = 0;
        int slot = debug.StoppedSlot() < 0 ? 0 : debug.StoppedSlot();
        int frame = 0;
        if (GetInt(arguments, "frameId", id) && !UnpackFrame(id, slot, frame)) {
            Fail(seq, command, "no such frame");
            return;
        }
        const auto v = debug.Evaluate(slot, frame, GetString(arguments, "expression"), error);
        if (!v) {
            Fail(seq, command, error);
        } else {
            Respond(seq, command, {{"result", v->value}, {"type", v->type}, {"variablesReference", 0}});
        }
    }
}

bool DapServer::Launch(const Json& arguments, std::string& error) {
    const std::string program = GetString(arguments, "program");
    if (program.empty()) {
        error = "launch needs \"program\", the .vrn file to debug";
        return false;
    }
    DebugRunOptions options;
    std::error_code ec;
    const std::filesystem::path path = std::filesystem::absolute(program, ec).lexically_normal();
    options.file = ec ? program : path.string();
    folder_ = ec ? std::string() : path.parent_path().string();
    options.server = GetBool(arguments, "server");
    if (options.server && !allowServer_) {
        error = "\"server\" is not allowed here";
        return false;
    }
    options.model = GetBool(arguments, "model");
    options.settings = settings_;
    fast_ = GetBool(arguments, "fast");
    stopOnEntry_ = GetBool(arguments, "stopOnEntry");
    const auto presses = arguments.find("presses");
    if (presses != arguments.end()) {
        if (!presses->is_array()) {
            error = "\"presses\" must be a list of {\"key\": \"Ctrl+G\", \"tick\": 5}";
            return false;
        }
        for (const Json& p : *presses) {
            DebugPress press;
            const std::string key = p.is_object() ? GetString(p, "key") : std::string();
            std::int64_t tick = 0;
            if (!p.is_object() || !GetInt(p, "tick", tick) || tick < 1 || tick > kMaxPressTick ||
                !ParseHotKey(key, press.key, press.modifier)) {
                error = "a press must be {\"key\": \"Ctrl+G\", \"tick\": N} with N from 1 to " +
                        std::to_string(kMaxPressTick) + ": " + p.dump().substr(0, 80);
                return false;
            }
            press.text = "press " + key + " at tick " + std::to_string(tick);
            press.tick = tick;
            options.presses.push_back(press);
        }
    }
    std::string text;
    if (!ReadProgram(options.file, kMaxExpandedBytes, text, error)) return false;
    run_ = std::make_unique<DebugRun>(
        options, DecodeSourceText(text).lines,
        [this](const std::string& line) { Event("output", {{"category", "stdout"}, {"output", line + "\n"}}); },
        [this](const std::string& line) { Event("output", {{"category", "console"}, {"output", line + "\n"}}); });
    WorkbenchController& controller = run_->Controller();
    controller.Compile();
    std::vector<std::string> messages = run_->View().TakeErrors();
    for (const std::string& m : PlacedDiagnostics(controller.Program().lines, run_->View().CompilerText()))
        messages.push_back(m);
    for (const std::string& m : messages) Event("output", {{"category", "stderr"}, {"output", m + "\n"}});
    if (!controller.Compiled()) {
        error = "the program has errors" + (messages.empty() ? std::string() : ": " + messages.front());
        run_.reset();
        return false;
    }
    return true;
}

void DapServer::Report() {
    if (!run_) return;
    for (const DebugEvent& e : run_->Debug().TakeEvents()) {
        const int thread = ThreadOf(e.slot);
        switch (e.kind) {
            case DebugEvent::Kind::stopped: {
                Json body = {{"reason", stopOnEntry_ && e.reason == StopReason::pause ? "entry" : StopReasonName(e.reason)},
                             {"threadId", thread},
                             {"allThreadsStopped", true}};
                stopOnEntry_ = false;
                if (e.reason == StopReason::breakpoint) body["hitBreakpointIds"] = {e.breakpointId};
                if (!e.text.empty()) body["text"] = e.text;
                if (!e.text.empty()) body["description"] = e.text;
                Event("stopped", std::move(body));
                break;
            }
            case DebugEvent::Kind::continued:
                Event("continued", {{"threadId", thread}, {"allThreadsContinued", true}});
                break;
            case DebugEvent::Kind::processStarted: Event("thread", {{"reason", "started"}, {"threadId", thread}}); break;
            case DebugEvent::Kind::processEnded: Event("thread", {{"reason", "exited"}, {"threadId", thread}}); break;
        }
    }
}

void DapServer::End() {
    if (ended_) return;
    ended_ = true;
    if (!run_) return;  // nothing was launched, nothing terminates
    run_->Stop();
    Event("terminated");
}

std::optional<DapServer::Clock::time_point> DapServer::NextWake() const {
    if (ended_ || !run_ || !started_) return std::nullopt;
    if (fast_) {
        // Ticks only while the program runs; a stopped machine waits for a request.
        if (run_->Debug().Stopped()) return std::nullopt;
        return Clock::now();
    }
    return nextTick_;
}

void DapServer::RunDue(Clock::time_point now) {
    if (ended_ || !run_ || !started_) return;
    if (fast_) {
        switch (run_->RunStretch(kFastStretchTicks, [this] { Report(); })) {
        case DebugRun::Stretch::lost:
        case DebugRun::Stretch::idle: End(); break;  // nothing runs and nothing will: the program is over
        case DebugRun::Stretch::stopped:
        case DebugRun::Stretch::more: break;
        }
        return;
    }
    if (now < nextTick_) return;
    nextTick_ += std::chrono::milliseconds(kTickMilliseconds);
    if (nextTick_ < now) nextTick_ = now + std::chrono::milliseconds(kTickMilliseconds);
    const bool alive = run_->Tick();
    Report();
    if (!alive) End();
}

}  // namespace vorn::protocol
