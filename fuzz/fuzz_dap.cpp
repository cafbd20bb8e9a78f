// libFuzzer target: arbitrary bytes as what a debugger client sends to
// `vornc dap`: frames, headers and requests of any shape, over the built-in
// simulator only. After every frame the due ticks run, a bounded number of
// fast stretches. No input may crash it or make it hang; bad input gets an
// error answer. Launches name programs relative to the folder it runs in
// (the seeds use examples/demo.vrn).
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "protocol/dap_server.h"
#include "protocol/framing.h"

namespace {
// Stretches of fast ticks after one frame, so a program that never stops
// still lets the next frame in.
constexpr int kStretchesPerFrame = 4;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    // Small limits, so the fuzzer reaches them.
    vorn::protocol::FrameReader frames(in, 1 << 16);
    std::size_t answers = 0;
    vorn::protocol::DapServer dap(
        [&answers](const vorn::protocol::Json& m) { answers += vorn::protocol::Serialize(m).size(); },
        /*allowServer=*/false);
    for (;;) {
        const vorn::protocol::Frame frame = frames.Next();
        dap.Handle(frame);
        if (frame.kind == vorn::protocol::Frame::kEnd || dap.Done()) break;
        for (int n = 0; n < kStretchesPerFrame && dap.NextWake(); ++n) {
            dap.RunDue(vorn::protocol::DapServer::Clock::now());
        }
    }
    return 0;
}
