#pragma once
// The POSIX serving loop of vorn-sim: one Unix-domain socket per server
// class, a shared-memory block per client request, and command lines from an
// input descriptor. Single-threaded; every client connection is served in
// turn, each with its own block.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <sys/types.h>
#include <string_view>
#include <vector>

#include "sim/sim_server.h"

namespace vorn {

class PosixServer {
public:
    // Answers one command line; sets quit to stop serving.
    using CommandHandler = std::function<std::string(std::string_view line, bool& quit)>;

    PosixServer(SimServer& server, std::vector<std::string> classNames);
    ~PosixServer();  // closes the sockets and removes their files
    PosixServer(const PosixServer&) = delete;
    PosixServer& operator=(const PosixServer&) = delete;

    // Creates the sockets. False with a message in `error` when a folder or
    // socket cannot be made, or another live server already has the class.
    bool Listen(std::string& error);
    const std::vector<std::string>& SocketPaths() const { return paths_; }

    // Serves until a command asks to quit, Stop() is called, or (when
    // quitOnEndOfInput) the input reaches its end. inputFd < 0 serves
    // without commands. Answers are written to outputFd, one line each.
    void Serve(int inputFd, int outputFd, const CommandHandler& handler, bool quitOnEndOfInput);

    // Runs `tick` every periodMs while serving (between requests), e.g. to
    // move an aircraft model. periodMs 0 or an empty tick turns it off.
    void SetTicker(std::uint32_t periodMs, std::function<void()> tick);

    // Safe from a signal handler and from another thread.
    void Stop();

    // Installs SIGINT/SIGTERM handlers that Stop() this server.
    void StopOnSignals();

    struct Connection;

private:
    void Accept(std::size_t classIndex);
    bool ServeRequest(Connection& c);
    std::uint32_t ProcessClientBlock(int blockFd);
    bool Pause(std::uint32_t ms);
    void Close();

    SimServer& server_;
    std::vector<std::string> classes_;
    std::vector<std::string> paths_;
    std::vector<int> listenFds_;
    std::vector<ino_t> inodes_;
    std::vector<std::unique_ptr<Connection>> connections_;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::atomic<bool> stop_{false};
    std::uint32_t tickPeriodMs_ = 0;
    std::function<void()> tick_;
    std::vector<std::uint8_t> copy_;  // the private copy of the block being served
    std::size_t copiedUsed_ = 0;      // the bytes its records took
};

}  // namespace vorn
