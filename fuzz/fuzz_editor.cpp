// libFuzzer target: arbitrary bytes as what an editor sends to `vornc lsp`:
// frames, headers and JSON of any shape. Every frame is handled and every
// compile it asks for runs at once, in this thread. No input may crash it
// or make it hang; bad input gets an error answer.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "protocol/framing.h"
#include "protocol/lsp_server.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    // Small limits, so the fuzzer reaches them.
    vorn::protocol::FrameReader frames(in, 1 << 16);
    std::size_t answers = 0;
    vorn::protocol::LspServer::Options options;
    options.debounce = std::chrono::milliseconds(0);
    options.compileInWorker = false;
    options.maxExpandedBytes = 1 << 18;
    vorn::protocol::LspServer lsp(
        [&answers](const vorn::protocol::Json& m) { answers += vorn::protocol::Serialize(m).size(); }, options);
    for (;;) {
        const vorn::protocol::Frame frame = frames.Next();
        if (frame.kind == vorn::protocol::Frame::kEnd) break;
        lsp.Handle(frame);
        lsp.Flush();
        if (lsp.Exited()) break;
    }
    return 0;
}
