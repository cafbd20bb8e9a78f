// SimProcess on Windows: CreateProcessA with pipes for stdin and stdout.
// Windows has no signals; Signal() ends the process with 128 + signal as its
// exit status, which is what Wait() reports for a signal elsewhere.
#include "sim/sim_process.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <chrono>
#include <thread>

namespace vorn {

namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : int(left);
}

// One argument quoted the way the C runtime splits a command line.
std::string Quote(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) return arg;
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') out.append(backslashes * 2 + 1, '\\');
        else out.append(backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    out += '"';
    return out;
}

std::string SystemMessage(const char* what) { return std::string(what) + " failed (error " + std::to_string(GetLastError()) + ")"; }

}  // namespace

SimProcess::~SimProcess() {
    if (process_ != nullptr && status_ < 0) {
        CloseInput();
        if (Wait(2000) < 0) {
            TerminateProcess(process_, 137);
            Wait(2000);
        }
    }
    if (input_ >= 0) ::_close(input_);
    if (output_ >= 0) ::_close(output_);
    if (process_ != nullptr) CloseHandle(process_);
}

bool SimProcess::Start(const std::string& program, const std::vector<std::string>& arguments, std::string& error,
                       int timeoutMs) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE childIn = nullptr, toChild = nullptr, fromChild = nullptr, childOut = nullptr;
    if (!CreatePipe(&childIn, &toChild, &inherit, 0)) {
        error = SystemMessage("CreatePipe");
        return false;
    }
    if (!CreatePipe(&fromChild, &childOut, &inherit, 0)) {
        error = SystemMessage("CreatePipe");
        CloseHandle(childIn);
        CloseHandle(toChild);
        return false;
    }
    // Only the child's ends are inherited.
    SetHandleInformation(toChild, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(fromChild, HANDLE_FLAG_INHERIT, 0);

    std::string commandLine = Quote(program);
    for (const std::string& a : arguments) commandLine += " " + Quote(a);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childIn;
    startup.hStdOutput = childOut;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info{};
    const BOOL started = CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &info);
    if (!started) error = SystemMessage(("starting " + program).c_str());
    CloseHandle(childIn);
    CloseHandle(childOut);
    if (!started) {
        CloseHandle(toChild);
        CloseHandle(fromChild);
        return false;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    pid_ = static_cast<pid_t>(info.dwProcessId);
    input_ = ::_open_osfhandle(reinterpret_cast<intptr_t>(toChild), _O_WRONLY | _O_BINARY);
    output_ = ::_open_osfhandle(reinterpret_cast<intptr_t>(fromChild), _O_RDONLY | _O_BINARY);

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
            if (!line.empty() && line.back() == '\r') line.pop_back();
            return line;
        }
        if (output_ < 0) return {};
        HANDLE pipe = reinterpret_cast<HANDLE>(::_get_osfhandle(output_));
        // Anonymous pipes cannot be waited on: look, then read what is there.
        DWORD available = 0;
        if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) return {};  // the writer has gone
        if (available == 0) {
            if (MillisecondsLeft(deadline) == 0) return {};
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        char chunk[512];
        DWORD n = 0;
        if (!ReadFile(pipe, chunk, available < sizeof chunk ? available : DWORD(sizeof chunk), &n, nullptr) || n == 0)
            return {};
        buffered_.append(chunk, n);
    }
}

std::string SimProcess::Command(const std::string& line, int timeoutMs) {
    if (input_ < 0) return {};
    const std::string text = line + "\n";
    HANDLE pipe = reinterpret_cast<HANDLE>(::_get_osfhandle(input_));
    DWORD written = 0;
    const bool ok = WriteFile(pipe, text.data(), DWORD(text.size()), &written, nullptr) && written == text.size();
    return ok ? ReadLine(timeoutMs) : std::string();
}

void SimProcess::CloseInput() {
    if (input_ >= 0) ::_close(input_);
    input_ = -1;
}

void SimProcess::Signal(int signal) {
    if (process_ != nullptr && status_ < 0) TerminateProcess(process_, UINT(128 + signal));
}

int SimProcess::Wait(int timeoutMs) {
    if (process_ == nullptr) return -1;
    if (status_ >= 0) return status_;
    if (WaitForSingleObject(process_, timeoutMs < 0 ? 0 : DWORD(timeoutMs)) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    if (!GetExitCodeProcess(process_, &code)) return -1;
    status_ = int(code & 0x7FFFFFFF);
    return status_;
}

}  // namespace vorn
