// vornc run: the workbench without a window. The same controller as the Qt
// workbench compiles the file, connects to the built-in simulator (or a
// running server with --server), ticks every 100 ms and disconnects.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <io.h>
#else
#include <pthread.h>
#include <signal.h>
#include <unistd.h>
#endif

#include "cli/command.h"
#include "cli/diagnostics.h"
#include "cli/file_watch.h"
#include "cli/input_lines.h"
#include "cli/text_io.h"
#include "cli/run_options.h"
#include "fsuipc/ipc_link.h"
#include "fsuipc/platform_transport.h"
#include "fsuipc/transport.h"
#include "machine/machine.h"
#include "sim/aircraft_model.h"
#include "sim/inprocess_transport.h"
#include "sim/request_log.h"
#include "sim/sim_commands.h"
#include "sim/sim_server.h"
#include "workbench/controller.h"
#include "workbench/headless_view.h"
#include "workbench/settings.h"
#include "workbench/source_text.h"
#include "workbench/watch_model.h"

namespace vorn::cli {

namespace {

using Clock = std::chrono::steady_clock;

void Complain(const std::string& message) { std::fprintf(stderr, "vornc run: %s\n", message.c_str()); }

struct ScheduledPress {
    std::string text;
    std::uint8_t key = 0;
    std::uint8_t modifier = 0;
    std::int64_t tick = 0;
};

// The listing's lines end in CR LF; stderr gets plain lines.
void PrintText(const std::string& text) {
    WritePlainLines(text, stderr);
    if (!text.empty() && text.back() != '\n') std::fputc('\n', stderr);
}

// Shows what the error box would have shown; true when there was anything.
bool ReportErrors(HeadlessView& view) {
    const std::vector<std::string> errors = view.TakeErrors();
    for (const std::string& e : errors) Complain(e);
    return !errors.empty();
}

// What the workbench says about the link on "Program Output" goes to
// standard error here, apart from the program's own lines.
void ReportLink(HeadlessView& view, const std::string& hint = "") {
    for (const std::string& line : view.TakeLinkMessages()) Complain(line + hint);
}

class Run {
public:
    // file: FILE as an absolute path, for looking at it again; origin: the
    // folder the user started in, where the places' names hold.
    Run(const RunOptions& options, const Settings& settings, std::vector<ScheduledPress> presses,
        std::string lines, std::filesystem::path file, std::filesystem::path origin)
        : options_(options),
          file_(std::move(file)),
          origin_(std::move(origin)),
          presses_(std::move(presses)),
          view_({}, stdout, stderr) {
        view_.SetEditorText(std::move(lines));
        if (options_.server) {
            transport_ = MakePlatformTransport();
        } else {
            transport_ = std::make_unique<InProcessTransport>(sim_);
        }
        link_ = std::make_unique<IpcLink>(*transport_);
        machine_ = std::make_unique<Machine>(*link_);
        controller_ = std::make_unique<WorkbenchController>(view_, *link_, *machine_);
        controller_->SetSourceName(options_.file);
        controller_->UseSettings(&settings);
        // The built-in simulator is no news; a server's version and simulator are.
        controller_->SetAnnounceConnect(options_.server);
        reconnect_ = options_.reconnect || settings.Switch(SettingId::kReconnect);
    }

    int Execute() {
        controller_->StartUp();
        if (options_.model) model_.emplace(sim_);
        if (!options_.log.empty()) {
            std::string error;
            if (!log_.Open(options_.log, error)) {
                Complain("--log " + options_.log + ": " + error);
                return kExitUsage;
            }
            sim_.SetLog(&log_);
        }
        for (const RunPoke& poke : options_.pokes) sim_.Poke(poke.offset, poke.bytes, poke.size);

        if (options_.listing) controller_->ToggleCompilerOutput();
        controller_->Compile();
        if (ReportErrors(view_)) return kExitCommandError;
        if (options_.listing) PrintText(view_.CompilerText());
        WriteDiagnostics(controller_->ListingLines(), view_.CompilerText(), stderr);
        if (!controller_->Compiled()) {
            Complain("the program has errors");
            return kExitProgramErrors;
        }
        std::vector<GlobalSymbol> watched;
        for (const std::string& name : options_.watch) {
            const GlobalSymbol* global = controller_->Program().FindGlobal(name);
            if (!global) {
                Complain("--watch " + name + ": the program has no global named " + name);
                return kExitUsage;
            }
            watched.push_back(*global);
        }
        watch_.SetGlobals(std::move(watched));

        if (options_.debug) controller_->ToggleDebug();
        if (reconnect_) controller_->ToggleReconnect();
        if (options_.wait) {
            controller_->ConnectOrWait();
        } else {
            controller_->ToggleConnection();
        }
        if (ReportErrors(view_)) return kExitCommandError;
        if (!controller_->Connected() && !controller_->Waiting()) {
            const bool noServer = controller_->LinkResult() == kIpcNoServer;
            ReportLink(view_, options_.server && noServer ? " - is vorn-sim running?" : "");
            return kExitConnectFailed;
        }
        ReportLink(view_);
        if (options_.reloadOnChange) WatchProgramFiles();

        int status = Ticks();
        // A run that ends while the link is down ends as a lost link.
        if (status == kExitOk && !controller_->Connected()) status = kExitConnectFailed;
        if (controller_->Connected()) controller_->ToggleConnection();
        ReportLink(view_);
        if (ReportErrors(view_)) return kExitCommandError;
        if (status == kExitOk && machine_->RuntimeErrors() > 0) return kExitRuntimeError;
        return status;
    }

private:
    int Ticks() {
        const bool counted = options_.ticks >= 0;
        std::shared_ptr<InputLines> input;
        if (!options_.fast || !counted) {
            input = InputLines::Start();
            if (StdinIsTerminal()) std::fprintf(stderr, "type help for commands, quit to stop\n");
        }
        if (!watch_.Globals().empty()) {
            watch_.Refresh(machine_->DataSegment(), link_.get());
            lastWatch_ = WatchValues();
        }
        const auto period = std::chrono::milliseconds(kTickMilliseconds);
        Clock::time_point next = Clock::now();
        std::size_t pressIndex = 0;
        for (std::int64_t tick = 1;; ++tick) {
            if (counted && tick > options_.ticks) break;
            if (options_.fast) {
                if (input) Serve(*input, Clock::now());
            } else {
                next += period;
                // A tick that ran long is not made up for; the timer would not either.
                if (Clock::now() > next + period) next = Clock::now() + period;
                while (!quit_ && !Interrupted() && !(inputEnded_ && !counted) && Clock::now() < next) {
                    if (inputEnded_) {
                        // Nothing more can arrive: just wait for the tick.
                        std::this_thread::sleep_until(next);
                        break;
                    }
                    Serve(*input, next);
                }
            }
            if (Interrupted()) break;
            // Output that cannot be written ends the run; the status says so.
            if (std::ferror(stdout)) break;

            for (; pressIndex < presses_.size() && presses_[pressIndex].tick == tick; ++pressIndex) {
                const ScheduledPress& press = presses_[pressIndex];
                if (sim_.Press(press.key, press.modifier) == 0) {
                    Complain("--press " + press.text + ": the program has no hot key " +
                             HotKeyName(press.key, press.modifier));
                }
            }
            if (model_) model_->Advance();
            if (options_.reloadOnChange) ReloadWhenChanged();
            controller_->TimerTick();
            ReportLink(view_);
            if (!controller_->Connected() && !controller_->Reconnecting()) return kExitConnectFailed;
            if (controller_->Connected() && !watch_.Globals().empty()) ReportWatch(tick);
            // The commands that came with "quit" or the end of input have had
            // this tick to take effect.
            if (quit_ || (inputEnded_ && !counted)) break;
        }
        return kExitOk;
    }

    // The program file and the includes of the last compile.
    void WatchProgramFiles() {
        std::vector<std::filesystem::path> files{file_};
        for (const std::string& name : controller_->Program().lines.IncludeNames()) {
            const std::filesystem::path path(name);
            files.push_back(path.is_absolute() ? path : origin_ / path);
        }
        files_.Watch(std::move(files));
        nextLook_ = Clock::now() + kLookPeriod;
    }

    // Between two ticks, four times a second: a changed file is read,
    // compiled and swapped in; one that does not compile leaves the program running.
    static constexpr auto kLookPeriod = std::chrono::milliseconds(250);
    void ReloadWhenChanged() {
        if (Clock::now() < nextLook_) return;
        nextLook_ = Clock::now() + kLookPeriod;
        if (!files_.Changed() || !controller_->Connected()) return;
        std::string text, error;
        if (!ReadWholeFile(file_.string(), text, error)) {
            Complain("reload: " + error + "; the running program is unchanged");
            return;
        }
        view_.SetEditorText(DecodedSourceLines(text));
        controller_->Reload();
        ReportErrors(view_);
        WriteDiagnostics(controller_->ListingLines(), view_.CompilerText(), stderr);
        WatchProgramFiles();  // an include may have come or gone
    }

    // "count=2 level=1"
    std::string WatchValues() const {
        std::string line;
        for (std::size_t i = 0; i < watch_.Globals().size(); ++i) {
            if (i > 0) line += ' ';
            line += watch_.Globals()[i].name + "=" + watch_.ShortValue(i);
        }
        return line;
    }

    // One line after every tick in which a watched value changed.
    void ReportWatch(std::int64_t tick) {
        watch_.Refresh(machine_->DataSegment(), link_.get());
        std::string values = WatchValues();
        if (values == lastWatch_) return;
        std::fprintf(stderr, "tick %lld: %s\n", static_cast<long long>(tick), values.c_str());
        lastWatch_ = std::move(values);
    }

    // Runs the commands that arrived on standard input until `deadline`.
    void Serve(InputLines& input, Clock::time_point deadline) {
        bool ended = false;
        for (const std::string& line : input.Take(deadline, ended)) {
            if (quit_) break;
            std::string answer;
            if (line == kLineTooLong) {
                answer = "error: line too long";
            } else if (options_.server) {
                if (line == "quit") {
                    quit_ = true;
                    answer = "bye";
                } else {
                    answer = "commands act on the built-in simulator; give them to the server";
                }
            } else {
                answer = ExecuteSimCommand(sim_, line, quit_);
            }
            if (!answer.empty()) std::fprintf(stderr, "%s\n", answer.c_str());
        }
        if (ended) inputEnded_ = true;
    }

    const RunOptions& options_;
    bool reconnect_ = false;
    const std::filesystem::path file_;
    const std::filesystem::path origin_;
    FileWatch files_;
    Clock::time_point nextLook_{};
    std::vector<ScheduledPress> presses_;
    HeadlessView view_;
    RequestLog log_;  // before the simulator that writes to it
    SimServer sim_;
    std::unique_ptr<IpcTransport> transport_;
    std::unique_ptr<IpcLink> link_;
    std::unique_ptr<Machine> machine_;
    std::unique_ptr<WorkbenchController> controller_;
    std::optional<AircraftModel> model_;
    bool quit_ = false;
    bool inputEnded_ = false;
    WatchModel watch_;
    std::string lastWatch_;
};

int RunCommand(const std::vector<std::string>& args) {
    RunOptions options;
    std::string error;
    if (!ParseRunOptions(args, options, error)) {
        Complain(error);
        std::fprintf(stderr, "usage: vornc %s\n", UsageOf("run").c_str());
        return kExitUsage;
    }
    std::vector<ScheduledPress> presses;
    for (const RunPress& p : options.presses) {
        ScheduledPress press;
        press.text = p.text;
        press.tick = p.tick;
        if (!ParseHotKey(p.key, press.key, press.modifier)) {
            Complain("--press " + p.text + ": KEY must look like Ctrl+G or 71,2");
            return kExitUsage;
        }
        presses.push_back(press);
    }
    std::stable_sort(presses.begin(), presses.end(),
                     [](const ScheduledPress& a, const ScheduledPress& b) { return a.tick < b.tick; });

    std::string text, readError;
    if (!ReadWholeFile(options.file, text, readError)) {
        Complain(readError);
        return kExitUsage;
    }
    // Read as the window reads a file: LF, CR LF and a lone CR end a line.
    std::string lines = DecodedSourceLines(text);
    text = std::string();  // only the lines are needed from here on
    Settings settings;
    std::unique_ptr<SettingsStore> store;
    if (!LoadSettingsTelling(options.settings, settings, store, Complain)) return kExitUsage;

    std::error_code here;
    const std::filesystem::path origin = std::filesystem::current_path(here);
    const std::filesystem::path file = std::filesystem::absolute(options.file, here);
    CatchStopSignals();
    Run run(options, settings, std::move(presses), std::move(lines), file, origin);
    return run.Execute();
}

const CommandRegistration kRegistration(
    {"run", "FILE", RunCommand,
     "compile FILE and run it headless against the built-in simulator (or vorn-sim with --server), one tick "
     "every 100 ms; commands for the simulator are read from stdin, program output goes to stdout",
     RunOptionTable(),
     {kExitOk, kExitProgramErrors, kExitUsage, kExitCommandError, kExitConnectFailed, kExitRuntimeError, kExitWriteFailed}});

}  // namespace

}  // namespace vorn::cli
