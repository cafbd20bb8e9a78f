#pragma once
// Helpers for tests that run vorn-sim.exe beside them under Wine.
#include <windows.h>
#undef AddAtom  // keep the transport's method name

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "fsuipc/transport.h"

namespace vorn::test {

// Sets an environment variable for this process (C runtime and Win32 alike)
// and for the programs it starts; restores the old value when it goes.
class ScopedEnvironment {
public:
    ScopedEnvironment(std::string name, const std::string& value) : name_(std::move(name)) {
        if (const char* old = std::getenv(name_.c_str())) old_ = old, hadOld_ = true;
        Set(value);
    }
    ~ScopedEnvironment() { Set(hadOld_ ? old_ : std::string()); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    void Set(const std::string& value) {
        _putenv_s(name_.c_str(), value.c_str());
        SetEnvironmentVariableA(name_.c_str(), value.empty() ? nullptr : value.c_str());
    }
    std::string name_;
    std::string old_;
    bool hadOld_ = false;
};

// True once no window of the class exists (a server that just quit may
// take a moment to destroy it).
inline bool WaitForNoWindow(const char* className, int timeoutMs = 5000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (FindWindowExA(nullptr, nullptr, className, nullptr) != nullptr) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace vorn::test
