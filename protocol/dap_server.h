#pragma once
// The debug adapter behind `vornc dap`: the Debug Adapter Protocol over a
// DebugRun. Like the language server it sends through a callback and is
// driven by Handle and RunDue, so the fuzz target drives it the same way.
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "protocol/framing.h"

namespace vorn {
class DebugRun;
class Settings;
}

namespace vorn::protocol {

class DapServer {
public:
    using Clock = std::chrono::steady_clock;
    using Send = std::function<void(const Json&)>;
    // allowServer false refuses launches with "server" (the fuzz target,
    // which must not reach a simulator that happens to run). settings: the
    // link's (message name, time-out, one exchange per tick) for every launch,
    // outliving the server; nullptr: the environment's.
    explicit DapServer(Send send, bool allowServer = true, const Settings* settings = nullptr);
    ~DapServer();

    void Handle(const Frame& frame);
    // Ticks that are due; in fast mode as many as the program needs to stop
    // or idle, at most a bounded stretch per call.
    void RunDue(Clock::time_point now);
    std::optional<Clock::time_point> NextWake() const;
    // After disconnect, or the end of the input.
    bool Done() const { return done_; }

private:
    void Request(int seq, const std::string& command, const Json& arguments);
    void Respond(int seq, const std::string& command, Json body = Json::object());
    void Fail(int seq, const std::string& command, const std::string& message);
    void Event(const std::string& event, Json body = Json::object());
    void Report();
    // The program is over: the run stops and the client hears "terminated".
    void End();

    bool Launch(const Json& arguments, std::string& error);
    bool SlotOf(const Json& arguments, int& slot, std::string& error) const;
    Json SourceOf(const std::string& file) const;

    Send send_;
    bool allowServer_;
    const Settings* settings_;
    int seq_ = 1;
    bool done_ = false;
    bool ended_ = false;
    bool started_ = false;
    bool fast_ = false;
    bool stopOnEntry_ = false;
    std::string folder_;  // the program's, for the relative names of its files
    std::unique_ptr<DebugRun> run_;
    Clock::time_point nextTick_{};
};

}  // namespace vorn::protocol
