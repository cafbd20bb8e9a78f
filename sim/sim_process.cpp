#include "sim/sim_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace vorn {

namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : int(left);
}

}  // namespace

SimProcess::~SimProcess() {
    if (pid_ > 0 && status_ < 0) {
        // End of input stops it; one serving in the background needs SIGTERM.
        CloseInput();
        if (Wait(500) < 0) {
            Signal(SIGTERM);
            if (Wait(2000) < 0) {
                Signal(SIGKILL);
                Wait(2000);
            }
        }
    }
    if (input_ >= 0) ::close(input_);
    if (output_ >= 0) ::close(output_);
}

bool SimProcess::Start(const std::string& program, const std::vector<std::string>& arguments, std::string& error,
                       int timeoutMs) {
    int toChild[2], fromChild[2];
    if (::pipe2(toChild, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        return false;
    }
    if (::pipe2(fromChild, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        ::close(toChild[0]);
        ::close(toChild[1]);
        return false;
    }
    std::vector<std::string> args;
    args.push_back(program);
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    pid_ = ::fork();
    if (pid_ < 0) {
        error = std::strerror(errno);
        return false;
    }
    if (pid_ == 0) {
        ::dup2(toChild[0], 0);
        ::dup2(fromChild[1], 1);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(toChild[0]);
    ::close(fromChild[1]);
    input_ = toChild[1];
    output_ = fromChild[0];

    readyLine_ = ReadLine(timeoutMs);
    if (readyLine_.empty()) {
        error = "vorn-sim did not report ready";
        return false;
    }
    return true;
}

std::string SimProcess::ReadLine(int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const std::size_t newline = buffered_.find('\n');
        if (newline != std::string::npos) {
            std::string line = buffered_.substr(0, newline);
            buffered_.erase(0, newline + 1);
            return line;
        }
        if (output_ < 0) return {};
        pollfd p{output_, POLLIN, 0};
        const int ready = ::poll(&p, 1, MillisecondsLeft(deadline));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return {};
        char chunk[512];
        const ssize_t n = ::read(output_, chunk, sizeof chunk);
        if (n <= 0) return {};
        buffered_.append(chunk, std::size_t(n));
    }
}

std::string SimProcess::Command(const std::string& line, int timeoutMs) {
    if (input_ < 0) return {};
    const std::string text = line + "\n";
    // The child may have died: a write to its pipe must not kill us.
    struct sigaction ignore {}, previous {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, &previous);
    const bool written = ::write(input_, text.data(), text.size()) == ssize_t(text.size());
    ::sigaction(SIGPIPE, &previous, nullptr);
    return written ? ReadLine(timeoutMs) : std::string();
}

void SimProcess::CloseInput() {
    if (input_ >= 0) ::close(input_);
    input_ = -1;
}

void SimProcess::Signal(int signal) {
    if (pid_ > 0 && status_ < 0) ::kill(pid_, signal);
}

int SimProcess::Wait(int timeoutMs) {
    if (pid_ <= 0) return -1;
    if (status_ >= 0) return status_;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return status_;
        }
        if (done < 0 && errno != EINTR) return -1;
        if (MillisecondsLeft(deadline) == 0) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace vorn
