#pragma once
// A vorn-sim running as a child process, driven through its stdin and
// stdout: for tests and benchmarks that need a real server beside them.
#include <sys/types.h>

#include <string>
#include <vector>

namespace vorn {

class SimProcess {
public:
    SimProcess() = default;
    ~SimProcess();  // asks it to quit, then kills it if it lingers
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Starts `program` with `arguments` and waits up to timeoutMs for its
    // ready line. False with a message in `error` otherwise.
    bool Start(const std::string& program, const std::vector<std::string>& arguments, std::string& error,
               int timeoutMs = 5000);

    const std::string& ReadyLine() const { return readyLine_; }
    pid_t Pid() const { return pid_; }

    // Sends one command line and returns the answer line ("" after timeoutMs
    // or when the process has gone).
    std::string Command(const std::string& line, int timeoutMs = 5000);

    // Closes its stdin (end of input).
    void CloseInput();
    void Signal(int signal);
    // Waits for it to end; returns its exit status, 128 + signal when a
    // signal ended it, or -1 after timeoutMs (then it is still running).
    int Wait(int timeoutMs = 5000);

private:
    std::string ReadLine(int timeoutMs);

    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    std::string buffered_;
    std::string readyLine_;
    int status_ = -1;
    void* process_ = nullptr;  // Windows: the process handle, held so the id stays ours
};

}  // namespace vorn
