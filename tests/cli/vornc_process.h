#pragma once
// Runs the real vornc (or any program) as a child process: arguments,
// standard input, working folder and extra environment in; exit status,
// standard output and standard error out.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace vorn::test {

struct ProcessResult {
    int status = -1;  // exit status; -1 when it had to be killed
    long peakKib = 0;  // the most memory it held at once (resident, KiB)
    std::string out;
    std::string err;

    // The lines of out (or err), without their line ends.
    static std::vector<std::string> Lines(const std::string& text) {
        std::vector<std::string> lines;
        std::istringstream in(text);
        std::string line;
        while (std::getline(in, line)) lines.push_back(line);
        return lines;
    }
    std::vector<std::string> OutLines() const { return Lines(out); }
    std::vector<std::string> ErrLines() const { return Lines(err); }
};

struct ProcessOptions {
    std::string input;        // written to its standard input, which then ends
    bool keepInputOpen = false;  // stdin stays open (never ends) while it runs
    std::string folder;       // working folder; empty = ours
    std::vector<std::pair<std::string, std::string>> environment;
    int timeoutMs = 60000;
    // Standard output goes here instead ("/dev/full"), or, with
    // closedStdout, into a pipe nobody reads.
    std::string stdoutFile;
    bool closedStdout = false;
    // Standard output into a pipe that is only read once Finish is called:
    // until then a writer that fills it blocks, as behind a slow reader.
    bool heldStdout = false;
};

inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Starts the program; Finish waits for it and collects what it wrote.
class ChildProcess {
public:
    ChildProcess(const std::string& program, const std::vector<std::string>& args, const ProcessOptions& options = {})
        : options_(options) {
        char outName[] = "/tmp/vornc-out-XXXXXX";
        char errName[] = "/tmp/vornc-err-XXXXXX";
        const int outFd = ::mkstemp(outName);
        const int errFd = ::mkstemp(errName);
        outPath_ = outName;
        errPath_ = errName;
        int input[2] = {-1, -1};
        if (outFd < 0 || errFd < 0 || ::pipe(input) != 0) return;
        int deadEnd[2] = {-1, -1};
        if (options.heldStdout && ::pipe(held_) != 0) return;
        if (options.closedStdout) {
            if (::pipe(deadEnd) != 0) return;
            ::close(deadEnd[0]);  // no reader from the start: every write fails
            deadEnd[0] = -1;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(input[0], 0);
            if (options.heldStdout) {
                ::dup2(held_[1], 1);
                ::close(held_[0]);
            } else if (options.closedStdout) {
                ::dup2(deadEnd[1], 1);
            } else if (!options.stdoutFile.empty()) {
                const int fd = ::open(options.stdoutFile.c_str(), O_WRONLY);
                if (fd < 0) ::_exit(126);
                ::dup2(fd, 1);
            } else {
                ::dup2(outFd, 1);
            }
            ::dup2(errFd, 2);
            ::close(input[0]);
            ::close(input[1]);
            if (!options.folder.empty() && ::chdir(options.folder.c_str()) != 0) ::_exit(126);
            for (const auto& [name, value] : options.environment) ::setenv(name.c_str(), value.c_str(), 1);
            std::vector<char*> argv;
            argv.push_back(const_cast<char*>(program.c_str()));
            for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(input[0]);
        if (deadEnd[0] >= 0) ::close(deadEnd[0]);
        if (deadEnd[1] >= 0) ::close(deadEnd[1]);
        if (held_[1] >= 0) ::close(held_[1]);
        ::close(outFd);
        ::close(errFd);
        input_ = input[1];
        ::signal(SIGPIPE, SIG_IGN);
        if (!options.input.empty()) {
            [[maybe_unused]] ssize_t n = ::write(input_, options.input.data(), options.input.size());
        }
        if (!options.keepInputOpen) CloseInput();
    }

    ~ChildProcess() {
        if (pid_ > 0 && !finished_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        CloseInput();
        if (held_[0] >= 0) ::close(held_[0]);
        std::remove(outPath_.c_str());
        std::remove(errPath_.c_str());
    }

    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    void CloseInput() {
        if (input_ >= 0) ::close(input_);
        input_ = -1;
    }
    void Signal(int signal) {
        if (pid_ > 0 && !finished_) ::kill(pid_, signal);
    }
    pid_t Pid() const { return pid_; }
    // What the process has written to stdout so far (not with heldStdout).
    std::string OutSoFar() const { return ReadWholeFile(outPath_); }

    ProcessResult Finish() {
        ProcessResult result;
        if (pid_ <= 0) return result;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(options_.timeoutMs);
        std::string heldOut;
        for (char buffer[4096]; held_[0] >= 0;) {
            const ssize_t n = ::read(held_[0], buffer, sizeof buffer);
            if (n <= 0 || std::chrono::steady_clock::now() > deadline) break;
            heldOut.append(buffer, std::size_t(n));
        }
        int status = 0;
        struct rusage usage {};
        while (true) {
            const pid_t done = ::wait4(pid_, &status, WNOHANG, &usage);
            if (done == pid_) break;
            if (std::chrono::steady_clock::now() > deadline) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, &status, 0);
                status = -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        finished_ = true;
        CloseInput();
        if (status != -1 && WIFEXITED(status)) result.status = WEXITSTATUS(status);
        result.peakKib = usage.ru_maxrss;
        result.out = options_.heldStdout ? heldOut : ReadWholeFile(outPath_);
        result.err = ReadWholeFile(errPath_);
        return result;
    }

private:
    ProcessOptions options_;
    pid_t pid_ = -1;
    int input_ = -1;
    int held_[2] = {-1, -1};
    bool finished_ = false;
    std::string outPath_, errPath_;
};

inline ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                                const ProcessOptions& options = {}) {
    ChildProcess child(program, args, options);
    return child.Finish();
}

inline ProcessResult RunVornc(const std::vector<std::string>& args, const ProcessOptions& options = {}) {
    return RunProcess(VORN_VORNC_PATH, args, options);
}

// A program file in a fresh temporary folder, removed with the object.
class TempProgram {
public:
    explicit TempProgram(const std::string& text, const std::string& name = "program.vrn") {
        char pattern[] = "/tmp/vornc-test-XXXXXX";
        if (::mkdtemp(pattern) != nullptr) folder_ = pattern;
        path_ = folder_ + "/" + name;
        Write(name, text);
    }
    ~TempProgram() {
        std::error_code ignored;
        if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
    }
    TempProgram(const TempProgram&) = delete;
    TempProgram& operator=(const TempProgram&) = delete;

    void Write(const std::string& name, const std::string& text) const {
        std::ofstream out(folder_ + "/" + name, std::ios::binary);
        out << text;
    }
    const std::string& Path() const { return path_; }
    const std::string& Folder() const { return folder_; }

private:
    std::string folder_;
    std::string path_;
};

}  // namespace vorn::test
