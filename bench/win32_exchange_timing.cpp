// One FSUIPC exchange (a 4-byte read) over the Win32 transport against a
// real vorn-sim.exe, beside its floor: a bare cross-process SendMessage of
// WM_NULL to the same window. Google Benchmark has no mingw build here, so
// this is a plain timing loop: 5 runs, the median reported.
//   win32_exchange_timing VORN-SIM.EXE [EXCHANGES-PER-RUN]
#include <windows.h>
#undef AddAtom  // keep the transport's method name

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fsuipc/ipc_link.h"
#include "fsuipc/win32_transport.h"
#include "sim/sim_process.h"

namespace {

using Clock = std::chrono::steady_clock;

template <typename F>
double MedianNanoseconds(int perRun, F&& once) {
    std::vector<double> runs;
    for (int r = 0; r < 5; ++r) {
        const auto start = Clock::now();
        for (int i = 0; i < perRun; ++i) once();
        runs.push_back(std::chrono::duration<double, std::nano>(Clock::now() - start).count() / perRun);
    }
    std::sort(runs.begin(), runs.end());
    return runs[2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: win32_exchange_timing VORN-SIM.EXE [EXCHANGES-PER-RUN]\n");
        return 2;
    }
    const int perRun = argc > 2 ? std::max(1, std::atoi(argv[2])) : 2000;
    vorn::SimProcess sim;
    std::string error;
    if (!sim.Start(argv[1], {}, error, 15000)) {
        std::fprintf(stderr, "win32_exchange_timing: %s\n", error.c_str());
        return 1;
    }
    auto transport = vorn::MakeWin32Transport();
    vorn::IpcLink link(*transport);
    vorn::IpcResult result = -1;
    if (!link.Open(0, result)) {
        std::fprintf(stderr, "win32_exchange_timing: %s\n", vorn::IpcResultText(result));
        return 1;
    }
    HWND window = FindWindowExA(nullptr, nullptr, "FS98MAIN", nullptr);
    long long wrong = 0;
    for (int i = 0; i < 100; ++i) link.ReadLong(0x320C);  // warm up
    const double exchange = MedianNanoseconds(perRun, [&] { wrong += link.ReadLong(0x320C) != 56; });
    const double bare = MedianNanoseconds(perRun, [&] {
        DWORD_PTR answer = 0;
        wrong += SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_BLOCK, 2000, &answer) == 0;
    });
    link.Close();
    if (wrong != 0) {
        std::fprintf(stderr, "win32_exchange_timing: %lld exchanges failed\n", wrong);
        return 1;
    }
    std::printf("win32 exchange %.0f ns, bare SendMessage %.0f ns, ratio %.2f\n", exchange, bare, exchange / bare);
    return 0;
}
