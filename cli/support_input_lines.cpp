#include "cli/input_lines.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <thread>

#ifdef _WIN32
#include <io.h>
#else
#include <pthread.h>
#include <signal.h>
#include <unistd.h>
#endif

#include "fsuipc/ipc_link.h"
#include "sim/sim_commands.h"

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

// Reads what standard input has, at most `size` bytes; 0 at its end.
long ReadInput(char* buffer, std::size_t size) {
#ifdef _WIN32
    return ::_read(0, buffer, static_cast<unsigned>(size));
#else
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, buffer, size);
        if (got >= 0 || errno != EINTR) return static_cast<long>(got);
    }
#endif
}

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


void InputLines::Push(std::string line) {
    std::unique_lock<std::mutex> lock(mutex_);
    room_.wait(lock, [this] { return queue_.size() < kMaxQueuedLines; });
    queue_.push_back(std::move(line));
    ready_.notify_one();
}

std::shared_ptr<InputLines> InputLines::Start() {
    auto lines = std::make_shared<InputLines>();
    // The stop signals go to the tick loop's thread, never to a read
    // that would take them for the end of input.
    const StopSignalsBlocked blocked;
    // Detached: a read blocked on a terminal must not hold up the exit.
    std::thread([lines] {
        CommandLineSplitter splitter;
        char chunk[4096];
        bool lineOpen = false;
        const auto push = [&](std::vector<CommandLineSplitter::Item> items) {
            for (CommandLineSplitter::Item& item : items) lines->Push(item.tooLong ? kLineTooLong : std::move(item.text));
        };
        for (long got; (got = ReadInput(chunk, sizeof chunk)) > 0;) {
            lineOpen = chunk[got - 1] != '\n';
            push(splitter.Feed({chunk, static_cast<std::size_t>(got)}));
        }
        if (lineOpen) push(splitter.Feed("\n"));  // a last line without its line end still counts
        std::lock_guard<std::mutex> lock(lines->mutex_);
        lines->ended_ = true;
        lines->ready_.notify_one();
    }).detach();
    return lines;
}

}  // namespace vorn::cli
