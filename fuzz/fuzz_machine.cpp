// libFuzzer target: arbitrary bytes as a code image. Loads them into a
// machine over the in-process simulator, registers the hot keys, presses
// them now and then and runs a few ticks, part of them in debug mode.
// Most inputs get a short run with a small budget per tick, so the fuzzer
// tries many of them a second; one input in kLongEvery gets the full run
// (long waits, many presses, full budgets).
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "machine/machine.h"
#include "sim/instant_simulator.h"

namespace {

struct RunShape {
    int ticks;
    int pressEvery;  // ticks between hot-key presses
    int debugFrom;   // the first tick in debug mode
    int debugTicks;  // ticks in debug mode (one instruction each, traced)
    int budget;      // instructions per process per tick
};
constexpr RunShape kShort = {30, 8, 18, 4, 64};
constexpr RunShape kLong = {200, 25, 150, 10, vorn::kRunBudget};
// Chosen by the input's length, so the fuzzer can reach both with any content.
constexpr std::size_t kLongEvery = 16;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vorn::InstantSimulator sim;
    vorn::IpcLink& link = sim.link;
    vorn::IpcResult result = 0;
    if (!sim.Open(result)) __builtin_trap();

    const RunShape& run = size % kLongEvery == 0 ? kLong : kShort;
    bool debug = false;
    vorn::Machine machine(link, debug);
    machine.SetRunBudget(run.budget);
    std::size_t lines = 0;
    const vorn::LineSink sink = [&lines](const std::string& line) { lines += line.size() + 1; };
    if (!machine.Load(std::span<const std::uint8_t>(data, size), sink, sink)) return 0;
    machine.Start(sink);
    for (int tick = 0; tick < run.ticks; ++tick) {
        if (tick % run.pressEvery == 0) {
            for (const vorn::SimHotKey& key : sim.server.RegisteredKeys()) sim.server.Press(key.key, key.modifier);
        }
        debug = tick >= run.debugFrom && tick < run.debugFrom + run.debugTicks;
        machine.Tick(sink, sink);
    }
    machine.Stop();
    link.Close();
    return 0;
}
