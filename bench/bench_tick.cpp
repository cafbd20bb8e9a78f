// The cost of one workbench tick (heartbeat read plus one machine slice) for
// a program that reads 100 FSUIPC-bound variables every tick, over the
// in-process transport (the built-in simulator) and over the POSIX
// transport against a real vorn-sim.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fsuipc/ipc_link.h"
#include "fsuipc/platform_transport.h"
#include "machine/machine.h"
#include "sim/inprocess_transport.h"
#include "sim/sim_process.h"
#include "sim/sim_server.h"
#include "workbench/controller.h"
#include "workbench/headless_view.h"

namespace {

constexpr int kVariables = 100;

// int v0 at 0x4000; ... and a key routine that sums them once per tick.
std::vector<std::string> Program() {
    std::vector<std::string> lines;
    std::string sum = "      sum = v0";
    for (int i = 0; i < kVariables; ++i) {
        lines.push_back("int v" + std::to_string(i) + " at " + std::to_string(0x4000 + 4 * i) + ";");
        if (i > 0) sum += " + v" + std::to_string(i);
    }
    lines.push_back("int sum;");
    lines.push_back("key(Control, 'B') {");
    lines.push_back("   while (1) {");
    lines.push_back(sum + ";");
    lines.push_back("      wait(0)");
    lines.push_back("   }");
    lines.push_back("}");
    return lines;
}

// The workbench over a given link, compiled, connected and with the
// reading routine started; `press` flags Ctrl+B on whichever server.
class Bench {
public:
    explicit Bench(vorn::IpcTransport& transport)
        : link_(transport), machine_(link_, debug_), view_(Program(), nullptr, nullptr),
          controller_(view_, link_, machine_, debug_) {}

    bool Start(const std::function<void()>& press, std::string& error) {
        controller_.StartUp();
        controller_.Compile();
        if (!controller_.Compiled()) {
            error = "compile failed: " + view_.CompilerText();
            return false;
        }
        controller_.ToggleConnection();
        if (!controller_.Connected()) {
            error = "connect failed";
            return false;
        }
        press();
        controller_.TimerTick();  // starts the routine; from now on every tick reads all 100
        return controller_.Connected();
    }
    vorn::WorkbenchController& Controller() { return controller_; }
    ~Bench() {
        if (controller_.Connected()) controller_.ToggleConnection();
    }

private:
    bool debug_ = false;
    vorn::IpcLink link_;
    vorn::Machine machine_;
    vorn::HeadlessView view_;
    vorn::WorkbenchController controller_;
};

void RunTicks(benchmark::State& state, vorn::WorkbenchController& controller) {
    for (auto _ : state) controller.TimerTick();
    if (!controller.Connected()) state.SkipWithError("the link was lost");
    state.counters["reads/tick"] = kVariables;
    state.SetItemsProcessed(state.iterations());
}

void BM_TickInProcess(benchmark::State& state) {
    vorn::SimServer sim;
    vorn::InProcessTransport transport(sim);
    Bench bench(transport);
    std::string error;
    if (!bench.Start([&] { sim.Press('B', 2); }, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const auto before = sim.BlocksProcessed();
    RunTicks(state, bench.Controller());
    state.counters["exchanges/tick"] =
        static_cast<double>(sim.BlocksProcessed() - before) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_TickInProcess)->Unit(benchmark::kMicrosecond);

void BM_TickPosix(benchmark::State& state) {
    std::string dir = std::filesystem::temp_directory_path().string() + "/vorn-bench-XXXXXX";
    if (::mkdtemp(dir.data()) == nullptr) {
        state.SkipWithError("cannot create a runtime folder");
        return;
    }
    ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    {
        vorn::SimProcess sim;
        std::string error;
        if (!sim.Start(VORN_SIM_PATH, {}, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        auto transport = vorn::MakePlatformTransport();
        Bench bench(*transport);
        if (!bench.Start([&] { sim.Command("press Ctrl+B"); }, error)) {
            state.SkipWithError(error.c_str());
        } else {
            RunTicks(state, bench.Controller());
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}
BENCHMARK(BM_TickPosix)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
