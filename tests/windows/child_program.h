#pragma once
// Runs a program to its end with its standard output captured (Windows).
// Output is drained on a thread of its own so the child never blocks on a
// full pipe while the test drives something else.
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
    // Standard input is NUL: the child meets the end of input at once.
    bool Start(const std::string& program, const std::vector<std::string>& arguments, std::string& error);

    // Waits up to timeoutMs for the end; the exit status, or -1 after the
    // time-out (the child is then ended).
    int Finish(int timeoutMs);

    // Everything the child wrote to its standard output (CR LF as LF); only
    // complete once Finish has returned.
    const std::string& Output() const { return output_; }

private:
    void* process_ = nullptr;
    void* outputPipe_ = nullptr;
    std::thread reader_;
    std::string output_;
};

}  // namespace vorn::test
