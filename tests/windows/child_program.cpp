#include "tests/windows/child_program.h"

#include <windows.h>

#include <chrono>

namespace vorn::test {

namespace {

std::string Quote(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

}  // namespace

ChildProgram::~ChildProgram() {
    if (process_ != nullptr) Finish(0);
}

bool ChildProgram::Start(const std::string& program, const std::vector<std::string>& arguments, std::string& error) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        error = "CreatePipe failed";
        return false;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    HANDLE childInput = nullptr, inputWriter = nullptr;
    if (!CreatePipe(&childInput, &inputWriter, &inherit, 0)) {
        error = "CreatePipe failed";
        CloseHandle(readEnd);
        CloseHandle(writeEnd);
        return false;
    }
    SetHandleInformation(inputWriter, HANDLE_FLAG_INHERIT, 0);

    std::string commandLine = Quote(program);
    for (const std::string& a : arguments) commandLine += " " + Quote(a);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childInput;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info{};
    const BOOL started =
        CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info);
    if (!started) error = "cannot start " + program + " (error " + std::to_string(GetLastError()) + ")";
    CloseHandle(writeEnd);
    CloseHandle(childInput);
    if (!started) {
        CloseHandle(readEnd);
        CloseHandle(inputWriter);
        return false;
    }
    inputPipe_ = inputWriter;
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    outputPipe_ = readEnd;
    reader_ = std::thread([this] {
        char chunk[4096];
        DWORD n = 0;
        while (ReadFile(outputPipe_, chunk, sizeof chunk, &n, nullptr) && n > 0) {
            std::lock_guard<std::mutex> lock(mutex_);
            raw_.append(chunk, n);
            for (DWORD i = 0; i < n; ++i)
                if (chunk[i] != '\r') output_ += chunk[i];
        }
    });
    return true;
}

bool ChildProgram::Write(const std::string& bytes) {
    DWORD written = 0;
    return inputPipe_ != nullptr &&
           WriteFile(inputPipe_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

std::string ChildProgram::RawOutput() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return raw_;
}

void ChildProgram::CloseInput() {
    if (inputPipe_ != nullptr) CloseHandle(inputPipe_);
    inputPipe_ = nullptr;
}

bool ChildProgram::WaitForOutput(const std::string& text, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (output_.find(text) != std::string::npos) return true;
        }
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

int ChildProgram::Finish(int timeoutMs) {
    if (process_ == nullptr) return -1;
    CloseInput();
    int status = -1;
    if (WaitForSingleObject(process_, DWORD(timeoutMs)) == WAIT_OBJECT_0) {
        DWORD code = 0;
        if (GetExitCodeProcess(process_, &code)) status = int(code);
    } else {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 5000);
    }
    if (reader_.joinable()) reader_.join();  // ends when the child's end of the pipe closes
    CloseHandle(outputPipe_);
    CloseHandle(process_);
    outputPipe_ = process_ = nullptr;
    return status;
}

}  // namespace vorn::test
