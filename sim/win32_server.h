#pragma once
// The Windows serving loop of vorn-sim: a hidden top-level window per server
// class ("FS98MAIN", "UIPCMAIN") that answers the registered message the way
// FSUIPC does, by processing the named block the atom it carries names
// (kept mapped between requests: sim/win32_client_blocks.h); command lines
// come from an input descriptor. Same interface
// as PosixServer, so vorn-sim's main serves either the same way.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sim/sim_server.h"

namespace vorn {

class Win32Server {
public:
    // Answers one command line; sets quit to stop serving.
    using CommandHandler = std::function<std::string(std::string_view line, bool& quit)>;

    Win32Server(SimServer& server, std::vector<std::string> classNames);
    ~Win32Server();  // destroys the windows
    Win32Server(const Win32Server&) = delete;
    Win32Server& operator=(const Win32Server&) = delete;

    // Registers the message and creates the windows (on a thread of their
    // own, which serves them from then on). False with a message in `error`
    // when that fails or another server already has a window of the class.
    bool Listen(std::string& error);
    const std::vector<std::string>& ClassNames() const { return classes_; }

    // Serves until a command asks to quit, Stop() is called, or (when
    // quitOnEndOfInput) the input reaches its end. inputFd < 0 serves
    // without commands. Answers are written to outputFd, one line each.
    void Serve(int inputFd, int outputFd, const CommandHandler& handler, bool quitOnEndOfInput);

    // Safe from any thread, including a console control handler.
    void Stop();

    // Ctrl+C, Ctrl+Break and closing the console Stop() this server.
    void StopOnSignals();

    // Requests answered so far (well-formed or not), for tests.
    std::uint64_t Requests() const;

    // Client blocks kept mapped between requests (after the last request or
    // sweep), for tests.
    std::size_t CachedClients() const;

private:
    struct State;
    std::unique_ptr<State> state_;
    std::vector<std::string> classes_;
};

}  // namespace vorn
