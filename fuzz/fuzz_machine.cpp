// libFuzzer target: arbitrary bytes as a code image. Loads them into a
// machine over the in-process simulator, registers the hot keys, presses
// them now and then and runs up to 200 ticks, part of them in debug mode.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "machine/machine.h"
#include "sim/instant_simulator.h"

namespace {

constexpr int kTicks = 200;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vorn::InstantSimulator sim;
    vorn::IpcLink& link = sim.link;
    vorn::IpcResult result = 0;
    if (!sim.Open(result)) __builtin_trap();

    bool debug = false;
    vorn::Machine machine(link, debug);
    std::size_t lines = 0;
    const vorn::LineSink sink = [&lines](const std::string& line) { lines += line.size() + 1; };
    if (!machine.Load(std::span<const std::uint8_t>(data, size), sink, sink)) return 0;
    machine.Start(sink);
    for (int tick = 0; tick < kTicks; ++tick) {
        if (tick % 25 == 0) {
            for (const vorn::SimHotKey& key : sim.server.RegisteredKeys()) sim.server.Press(key.key, key.modifier);
        }
        debug = tick >= 150 && tick < 160;
        machine.Tick(sink, sink);
    }
    machine.Stop();
    link.Close();
    return 0;
}
