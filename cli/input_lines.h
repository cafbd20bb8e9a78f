#pragma once
// Standard input line by line on a thread of its own, and the stop signals,
// for the subcommands that tick while they read commands (run, debug).
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vorn::cli {

using Clock = std::chrono::steady_clock;

// Ctrl+C, kill and a closed terminal set the flag (once CatchStopSignals
// ran) and make a stalled FSUIPC exchange give up, so the command can end
// the same clean way: hot keys released, link closed, block removed.
void CatchStopSignals();
bool Interrupted();

bool StdinIsTerminal();

// Standard input, read line by line on a thread of its own so that the tick
// loop can wait for the next tick and for commands at once. The loop alone
// touches the simulator.
class InputLines {
public:
    static std::shared_ptr<InputLines> Start();

    // Waits until `deadline` or until a line or the end of input arrives.
    std::vector<std::string> Take(Clock::time_point deadline, bool& ended) {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait_until(lock, deadline, [this] { return !queue_.empty() || ended_; });
        std::vector<std::string> taken(queue_.begin(), queue_.end());
        queue_.clear();
        ended = ended_;
        return taken;
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::string> queue_;
    bool ended_ = false;
};

}  // namespace vorn::cli
