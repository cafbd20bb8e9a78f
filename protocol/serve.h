#pragma once
// The loop of a server on standard input and output: a reader thread turns
// frames into messages, the caller's thread handles them and does timed work
// in between. Both servers run on it.
#include <chrono>
#include <functional>
#include <istream>
#include <optional>

#include "protocol/framing.h"

namespace vorn::protocol {

// Standard input and output as bytes: on Windows their text mode would turn
// a frame's "\r\n" into "\r\r\n" and take a Ctrl+Z for the end.
void UseBinaryStandardStreams();

struct ServeHooks {
    std::function<void(const Frame&)> handle;
    // Timed work due by now; returns when it next wants to run, or nullopt.
    std::function<std::optional<std::chrono::steady_clock::time_point>()> wake;
    std::function<bool()> done;
};

// Runs until done() or the input ends (then handles the kEnd frame).
void Serve(std::istream& in, const ServeHooks& hooks);

}  // namespace vorn::protocol
