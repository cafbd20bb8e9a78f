// Runs `i = 0; while (i < N) { i = i + 1; }` once on the machine, in
// 500-instruction runs as ticks give them, and prints
// "<iterations per CPU second> <origin of the image>".
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "bench/machine_loop_image.h"
#include "machine/machine.h"
#include "sim/instant_simulator.h"

int main(int argc, char** argv) {
    const long long n = argc > 1 ? std::atoll(argv[1]) : 100000000LL;
    if (n <= 0 || n > 2147483647LL) {
        std::fprintf(stderr, "usage: %s [N]   (1 <= N <= 2147483647)\n", argv[0]);
        return 2;
    }
    vorn::InstantSimulator sim;
    vorn::IpcLink& link = sim.link;
    vorn::IpcResult r = 0;
    if (!sim.Open(r)) {
        std::fprintf(stderr, "link did not open (%d)\n", r);
        return 1;
    }
    bool debug = false;
    vorn::Machine machine(link, debug);
    std::string origin;
    const auto image = vorn::bench::LoopImage(static_cast<std::int32_t>(n), origin);
    if (!machine.Load(image, nullptr) || machine.KeyRoutineCount() != 1) {
        std::fprintf(stderr, "loop image refused\n");
        return 1;
    }
    // The key routine's process, run tick after tick without the hot-key poll.
    std::int32_t pc = machine.KeyEntryPoint(0);
    const std::clock_t start = std::clock();
    while (pc >= 0) pc = machine.Run(pc, 0, nullptr, nullptr);
    const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    std::int32_t i = 0;
    std::memcpy(&i, machine.DataSegment().data(), 4);
    if (i != n) {
        std::fprintf(stderr, "the loop ended with i = %d\n", i);
        return 1;
    }
    std::printf("%.0f %s\n", static_cast<double>(n) / seconds, origin.c_str());
    return 0;
}
