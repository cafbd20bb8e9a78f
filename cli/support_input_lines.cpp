#include "cli/input_lines.h"

#include <atomic>
#include <csignal>
#include <iostream>
#include <thread>

#ifdef _WIN32
#include <io.h>
#else
#include <pthread.h>
#include <signal.h>
#include <unistd.h>
#endif

#include "fsuipc/ipc_link.h"

namespace vorn::cli {

namespace {

std::atomic<bool> gInterrupted{false};

extern "C" void OnInterrupt(int) {
    gInterrupted = true;
    IpcInterrupt();  // an exchange stuck on a stalled server gives up
}

#ifdef _WIN32
constexpr int kStopSignals[] = {SIGINT, SIGTERM};

void CatchSignals() {
    for (int signal : kStopSignals) std::signal(signal, OnInterrupt);
}

struct StopSignalsBlocked {
    StopSignalsBlocked() {}  // Windows delivers them on a thread of its own anyway
};
#else
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

void CatchSignals() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // A write to a slow reader is carried on, not lost; the waits that must
    // see the signal (poll, sleeps) end early whatever this says.
    action.sa_flags = SA_RESTART;
    for (int signal : kStopSignals) ::sigaction(signal, &action, nullptr);
}

// While it lives, threads started by this one do not take the stop signals.
class StopSignalsBlocked {
public:
    StopSignalsBlocked() {
        sigset_t stop;
        sigemptyset(&stop);
        for (int signal : kStopSignals) sigaddset(&stop, signal);
        ::pthread_sigmask(SIG_BLOCK, &stop, &old_);
    }
    ~StopSignalsBlocked() { ::pthread_sigmask(SIG_SETMASK, &old_, nullptr); }
    StopSignalsBlocked(const StopSignalsBlocked&) = delete;
    StopSignalsBlocked& operator=(const StopSignalsBlocked&) = delete;

private:
    sigset_t old_;
};
#endif

}  // namespace

void CatchStopSignals() { CatchSignals(); }
bool Interrupted() { return gInterrupted; }

bool StdinIsTerminal() {
#ifdef _WIN32
    return ::_isatty(0) != 0;
#else
    return ::isatty(STDIN_FILENO) != 0;
#endif
}


std::shared_ptr<InputLines> InputLines::Start() {
    auto lines = std::make_shared<InputLines>();
    // The stop signals go to the tick loop's thread, never to a read
    // that would take them for the end of input.
    const StopSignalsBlocked blocked;
    // Detached: a read blocked on a terminal must not hold up the exit.
    std::thread([lines] {
        std::string line;
        while (std::getline(std::cin, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            std::lock_guard<std::mutex> lock(lines->mutex_);
            lines->queue_.push_back(line);
            lines->ready_.notify_one();
        }
        std::lock_guard<std::mutex> lock(lines->mutex_);
        lines->ended_ = true;
        lines->ready_.notify_one();
    }).detach();
    return lines;
}

}  // namespace vorn::cli
