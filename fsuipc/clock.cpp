#include <atomic>
#include <chrono>
#include <thread>

#include "fsuipc/transport.h"

namespace vorn {

namespace {

class WallClock : public IpcClock {
public:
    void Sleep(std::uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

}  // namespace

void IpcInterrupt() { interrupted.store(true); }
bool IpcInterrupted() { return interrupted.load(); }

IpcClock& RealClock() {
    static WallClock clock;
    return clock;
}

}  // namespace vorn
