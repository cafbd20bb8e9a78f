#pragma once
// The tests' clock: it never waits, it only counts the pauses asked of it,
// so a retry cycle that takes seconds on the real clock runs in microseconds.
#include <cstdint>

#include "fsuipc/transport.h"

namespace vorn {

class RecordingClock : public IpcClock {
public:
    void Sleep(std::uint32_t ms) override {
        ++sleeps_;
        totalMs_ += ms;
    }
    int Sleeps() const { return sleeps_; }
    std::uint64_t TotalMs() const { return totalMs_; }

private:
    int sleeps_ = 0;
    std::uint64_t totalMs_ = 0;
};

}  // namespace vorn
