// Executor speed: instructions per second of a process on tight loops, in
// 500-instruction runs exactly as ticks give them.
#include <benchmark/benchmark.h>

#include <climits>

#include "bench/machine_loop_image.h"
#include "machine/machine.h"
#include "sim/instant_simulator.h"

namespace {

struct Rig {
    vorn::InstantSimulator sim;
    bool debug = false;
    vorn::Machine machine{sim.link, debug};
    Rig() {
        vorn::IpcResult r = 0;
        sim.Open(r);
    }
};

void RunLoop(benchmark::State& state, const std::vector<std::uint8_t>& image, bool debug) {
    Rig rig;
    rig.debug = debug;
    if (!rig.machine.Load(image, nullptr)) {
        state.SkipWithError("image refused");
        return;
    }
    std::int64_t instructions = 0;
    std::size_t traced = 0;
    const vorn::LineSink trace = [&traced](const std::string& line) { traced += line.size(); };
    const int perRun = debug ? 1 : vorn::kRunBudget;
    std::int32_t pc = 0;
    for (auto _ : state) {
        pc = rig.machine.Run(pc, 0, nullptr, debug ? trace : nullptr);
        if (pc < 0) {
            state.SkipWithError("the loop ended");
            break;
        }
        instructions += perRun;
    }
    benchmark::DoNotOptimize(traced);
    state.SetItemsProcessed(instructions);
}

// while (i < N) i = i + 1 over a global: the fused sequences.
void BM_GlobalCountingLoop(benchmark::State& state) {
    RunLoop(state, vorn::bench::HandLoopImage(INT_MAX), false);
}
BENCHMARK(BM_GlobalCountingLoop);

// The same loop on a frame variable: every instruction on its own.
void BM_FrameCountingLoop(benchmark::State& state) {
    using namespace vorn;
    CodeImage img;
    img.data.assign(4, 0);
    img.dataEnd = kDataBase + 8;
    img.code = {kOpPushV, kFrameBase, 4, kOpPushC, INT_MAX, kOpLT, kOpIFF, 1,
                kOpPushV, kFrameBase, 4, kOpPushC, 1, kOpADD, kOpWriteV, kFrameBase, 4, kOpGOTO, 0, kOpHLT};
    img.labels = {0, 19};
    RunLoop(state, WriteCodeImage(img), false);
}
BENCHMARK(BM_FrameCountingLoop);

// Debug mode: one instruction per run, each with its trace line.
void BM_DebugTracedLoop(benchmark::State& state) {
    RunLoop(state, vorn::bench::HandLoopImage(INT_MAX), true);
}
BENCHMARK(BM_DebugTracedLoop);

}  // namespace

BENCHMARK_MAIN();
