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

// Stands in the queue for a line that was too long; no line of the input
// can hold a NUL.
inline const std::string kLineTooLong(1, '\0');

// Standard input, read line by line on a thread of its own so that the tick
// loop can wait for the next tick and for commands at once. The loop alone
// touches the simulator. Lines are cut as vorn-sim cuts them: one longer
// than it takes is skipped to its end without being kept (kLineTooLong in
// its place), and a flood of lines waits for room, so memory stays bounded
// whatever comes in (/dev/zero has no line end at all).
class InputLines {
public:
    static std::shared_ptr<InputLines> Start();

    // Waits until `deadline` or until a line or the end of input arrives.
    std::vector<std::string> Take(Clock::time_point deadline, bool& ended) {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait_until(lock, deadline, [this] { return !queue_.empty() || ended_; });
        std::vector<std::string> taken(queue_.begin(), queue_.end());
        queue_.clear();
        room_.notify_one();
        ended = ended_;
        return taken;
    }

private:
    // The tick loop takes them every tick; more wait for room.
    static constexpr std::size_t kMaxQueuedLines = 1024;
    void Push(std::string line);

    std::mutex mutex_;
    std::condition_variable ready_;
    std::condition_variable room_;
    std::deque<std::string> queue_;
    bool ended_ = false;
};

}  // namespace vorn::cli
