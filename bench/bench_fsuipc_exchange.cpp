// One FSUIPC exchange (a 4-byte read) over the POSIX transport against a
// real vorn-sim, beside its floor: a bare Unix-socket ping-pong of the same
// request and answer sizes between two processes.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "fsuipc/ipc_link.h"
#include "fsuipc/posix_channel.h"
#include "fsuipc/posix_transport.h"
#include "sim/sim_process.h"

namespace {

// What one exchange puts on the socket: the request header plus the block's
// shared-memory name, and the 8-byte answer.
std::size_t RequestSize() {
    char name[64];
    std::snprintf(name, sizeof name, "/%s:%X:%X", vorn::IpcName().c_str(), unsigned(::getpid()), 1u);
    return vorn::kPosixRequestHeader + std::string(name).size();
}

void BM_FsuipcExchange(benchmark::State& state) {
    // Sockets of this run stay in a folder of their own.
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
        auto transport = vorn::MakePosixTransport();
        vorn::IpcLink link(*transport);
        vorn::IpcResult result = -1;
        if (!link.Open(0, result)) {
            state.SkipWithError(vorn::IpcResultText(result));
            return;
        }
        std::int32_t sum = 0;
        for (auto _ : state) sum += link.ReadLong(0x320C);
        benchmark::DoNotOptimize(sum);
        if (sum != std::int32_t(56 * state.iterations())) state.SkipWithError("wrong values read");
        link.Close();
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}
BENCHMARK(BM_FsuipcExchange)->UseRealTime();

bool ReadFull(int fd, char* buffer, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        const ssize_t got = ::read(fd, buffer + done, n - done);
        if (got <= 0) return false;
        done += std::size_t(got);
    }
    return true;
}

void BM_SocketPingPongBaseline(benchmark::State& state) {
    const std::size_t request = RequestSize();
    const std::size_t reply = vorn::kPosixReplySize;
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0) {
        state.SkipWithError("socketpair failed");
        return;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        char buffer[256] = {};
        while (ReadFull(fds[1], buffer, request))
            if (::write(fds[1], buffer, reply) != ssize_t(reply)) break;
        ::_exit(0);
    }
    ::close(fds[1]);
    char buffer[256] = {};
    for (auto _ : state) {
        if (::write(fds[0], buffer, request) != ssize_t(request) || !ReadFull(fds[0], buffer, reply)) {
            state.SkipWithError("ping-pong failed");
            break;
        }
    }
    ::close(fds[0]);
    ::waitpid(child, nullptr, 0);
}
BENCHMARK(BM_SocketPingPongBaseline)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
