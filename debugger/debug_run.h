#pragma once
// One program under the debugger, without a window: the simulator (the
// built-in one, or a running server), the link, the machine, the workbench
// controller that compiles and ticks, the debugger, and scripted hot-key
// presses. `vornc debug` and `vornc dap` are its two front ends; it knows
// neither the prompt nor the protocol.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "debugger/debugger.h"
#include "fsuipc/ipc_link.h"
#include "machine/machine.h"
#include "sim/aircraft_model.h"
#include "sim/sim_server.h"
#include "workbench/controller.h"
#include "workbench/headless_view.h"

namespace vorn {

class Settings;

struct DebugPress {
    std::string text;           // how the user wrote it, for messages: "--press Ctrl+G@5"
    std::uint8_t key = 0;
    std::uint8_t modifier = 0;
    std::int64_t tick = 0;      // 1 = the first tick
};

struct DebugRunOptions {
    std::string file;           // the program as the user named it
    std::string folder;         // where its includes are looked for first
    bool server = false;        // a running vorn-sim or the simulator
    bool model = false;         // the built-in simulator flies its aircraft
    // The link's settings (message name, time-out, attempts, one exchange per
    // tick), as the window and vornc run take them; nullptr: the environment's.
    // They must outlive the run.
    const Settings* settings = nullptr;
    std::vector<DebugPress> presses;  // any order
};

class DebugRun {
public:
    // `output` gets the program's lines, `link` the messages about the link
    // (and presses that found no hot key).
    DebugRun(DebugRunOptions options, std::vector<std::string> sourceLines, LineSink output, LineSink link);
    ~DebugRun();
    DebugRun(const DebugRun&) = delete;
    DebugRun& operator=(const DebugRun&) = delete;

    // Connects, loads and starts the compiled program, and attaches the
    // debugger. False when it is not running; `problems` gets the error
    // messages either way, one line each.
    bool Start(std::vector<std::string>& problems);
    // One tick: the presses due, the model, heartbeat and machine. False
    // once the link is gone for good.
    bool Tick();

    // How a stretch of ticks ended.
    enum class Stretch { stopped, idle, lost, more };
    // Ticks until the debugger stops the machine, nothing runs nor is still
    // to be pressed, the link is lost, or `ticks` ticks passed. `afterTick`
    // runs after every tick (to report the debugger's events).
    Stretch RunStretch(int ticks, const std::function<void()>& afterTick);

    // No process active and no scripted press still to come.
    bool Idle() const;
    bool Running() const { return controller_->Connected(); }
    // A press on the built-in simulator; false when no hot key is registered for it.
    bool Press(std::uint8_t key, std::uint8_t modifier) { return sim_.Press(key, modifier) != 0; }
    // Disconnects (hot keys released, link closed).
    void Stop();

    WorkbenchController& Controller() { return *controller_; }
    HeadlessView& View();
    SimServer& Sim() { return sim_; }
    Machine& MachineState() { return *machine_; }
    Debugger& Debug() { return *debugger_; }
    const DebugRunOptions& Options() const { return options_; }

private:
    class OutputView;
    void ReportLink();

    DebugRunOptions options_;
    LineSink link_;
    SimServer sim_;
    std::unique_ptr<IpcTransport> transport_;
    std::unique_ptr<IpcLink> ipc_;
    std::unique_ptr<Machine> machine_;
    std::unique_ptr<OutputView> view_;
    std::unique_ptr<WorkbenchController> controller_;
    std::unique_ptr<Debugger> debugger_;
    std::optional<AircraftModel> model_;
    std::int64_t tick_ = 0;
    std::size_t pressIndex_ = 0;
};

}  // namespace vorn
