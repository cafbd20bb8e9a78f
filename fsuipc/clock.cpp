#include <chrono>
#include <thread>

#include "fsuipc/transport.h"

namespace vorn {

namespace {

class WallClock : public IpcClock {
public:
    void Sleep(std::uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

}  // namespace

IpcClock& RealClock() {
    static WallClock clock;
    return clock;
}

}  // namespace vorn
