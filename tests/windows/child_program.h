#pragma once
// Runs a program to its end with its standard output captured (Windows).
// Output is drained on a thread of its own so the child never blocks on a
// full pipe while the test drives something else.
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vorn::test {

class ChildProgram {
public:
    ChildProgram() = default;
    ~ChildProgram();  // ends a child still running
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;

    // False with a message in `error` when the program cannot be started.
    // Standard input is a pipe that stays open until CloseInput or Finish.
    bool Start(const std::string& program, const std::vector<std::string>& arguments, std::string& error);

    // Bytes for the child's standard input; false once it is closed.
    bool Write(const std::string& bytes);

    // The child meets the end of its input.
    void CloseInput();

    // True once the output so far contains `text`; false after timeoutMs.
    bool WaitForOutput(const std::string& text, int timeoutMs);

    // Waits up to timeoutMs for the end; the exit status, or -1 after the
    // time-out (the child is then ended).
    int Finish(int timeoutMs);

    // Everything the child wrote to its standard output (CR LF as LF); only
    // complete once Finish has returned.
    const std::string& Output() const { return output_; }
    // Every byte as written, CR included; safe to call while the child runs.
    std::string RawOutput() const;

private:
    void* process_ = nullptr;
    void* outputPipe_ = nullptr;
    void* inputPipe_ = nullptr;
    std::thread reader_;
    mutable std::mutex mutex_;  // output_ grows on the reader thread
    std::string output_;
    std::string raw_;
};

}  // namespace vorn::test
