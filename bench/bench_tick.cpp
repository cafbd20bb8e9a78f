// The cost of one workbench tick (heartbeat read plus one machine slice) for
// a program that reads 100 FSUIPC-bound variables every tick, over the
// in-process transport (the built-in simulator) and over the POSIX
// transport against a real vorn-sim; and per access against one exchange
// per tick for the demo and a program that reads 30 offsets.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
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
#include "workbench/settings.h"

namespace {

constexpr int kVariables = 100;
constexpr int kCockpitOffsets = 30;

// int v0 at 0x4000; ... (`stride` bytes apart) and a key routine Ctrl+B that
// sums them once per tick.
std::vector<std::string> Program(int variables = kVariables, int stride = 4) {
    std::vector<std::string> lines;
    std::string sum = "      sum = v0";
    for (int i = 0; i < variables; ++i) {
        lines.push_back("int v" + std::to_string(i) + " at " + std::to_string(0x4000 + stride * i) + ";");
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

std::vector<std::string> FileLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The workbench over a given link, compiled, connected and with the
// reading routine started; `press` flags Ctrl+B on whichever server.
class Bench {
public:
    explicit Bench(vorn::IpcTransport& transport, std::vector<std::string> lines = Program(), bool batched = false,
                   const std::string& sourceName = "bench.vrn")
        : link_(transport), machine_(link_, debug_), view_(std::move(lines), nullptr, nullptr),
          controller_(view_, link_, machine_, debug_) {
        std::string error;
        settings_.SetOption(vorn::SettingId::kOneExchangePerTick, batched ? "true" : "false", error);
        controller_.UseSettings(&settings_);
        controller_.SetSourceName(sourceName);
    }

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
    vorn::IpcLink& Link() { return link_; }
    ~Bench() {
        if (controller_.Connected()) controller_.ToggleConnection();
    }

private:
    bool debug_ = false;
    vorn::Settings settings_;
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

// Runs `body` against a vorn-sim of its own, in a runtime folder of its own.
void WithSimulator(benchmark::State& state, const std::vector<std::string>& arguments,
                   const std::function<void(vorn::SimProcess&)>& body) {
    std::string dir = std::filesystem::temp_directory_path().string() + "/vorn-bench-XXXXXX";
    if (::mkdtemp(dir.data()) == nullptr) {
        state.SkipWithError("cannot create a runtime folder");
        return;
    }
    ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    {
        vorn::SimProcess sim;
        std::string error;
        if (sim.Start(VORN_SIM_PATH, arguments, error)) {
            body(sim);
        } else {
            state.SkipWithError(error.c_str());
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

void BM_TickPosix(benchmark::State& state) {
    WithSimulator(state, {}, [&](vorn::SimProcess& sim) {
        auto transport = vorn::MakePlatformTransport();
        Bench bench(*transport);
        std::string error;
        if (!bench.Start([&] { sim.Command("press Ctrl+B"); }, error)) {
            state.SkipWithError(error.c_str());
        } else {
            RunTicks(state, bench.Controller());
        }
    });
}
BENCHMARK(BM_TickPosix)->Unit(benchmark::kMicrosecond);

// Per access against one exchange per tick, over the POSIX transport against
// vorn-sim: program 0 the demo as `make run` starts it (the aircraft flying,
// its three keys polled), program 1 a cockpit program that reads 30 offsets
// every tick. Counters: exchanges and wall microseconds per tick.
void BM_BatchedTick(benchmark::State& state) {
    const bool demo = state.range(0) == 0;
    const bool batched = state.range(1) != 0;
    const std::vector<std::string> arguments = demo ? std::vector<std::string>{"--model"} : std::vector<std::string>{};
    WithSimulator(state, arguments, [&](vorn::SimProcess& sim) {
        auto transport = vorn::MakePlatformTransport();
        const std::string demoFile = std::string(VORN_SOURCE_DIR) + "/examples/demo.vrn";
        Bench bench(*transport, demo ? FileLines(demoFile) : Program(kCockpitOffsets, 64), batched,
                    demo ? demoFile : "bench.vrn");
        std::string error;
        if (!bench.Start([&] { if (!demo) sim.Command("press Ctrl+B"); }, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        // The link's own count: every request the ticks sent.
        vorn::IpcLink& link = bench.Link();
        const auto before = link.Exchanges();
        const auto started = std::chrono::steady_clock::now();
        RunTicks(state, bench.Controller());
        const double us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - started).count();
        const double ticks = static_cast<double>(state.iterations());
        state.counters["exchanges/tick"] = static_cast<double>(link.Exchanges() - before) / ticks;
        state.counters["wall_us/tick"] = us / ticks;
        state.counters["reads/tick"] = demo ? 0 : kCockpitOffsets;
    });
}
BENCHMARK(BM_BatchedTick)
    ->ArgNames({"demo0_cockpit1", "batched"})
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
