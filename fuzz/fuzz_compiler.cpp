// libFuzzer target: arbitrary bytes as a program. Expands them (include
// files come only from the fuzzer's own small set, never the disk), compiles
// with the listing on, and runs an image the compiler accepted for a few
// ticks with its hot keys pressed. The compiler must never write an image
// the loader refuses.
#include <cstddef>
#include <cstdint>
#include <string>

#include "compiler/compile_source.h"
#include "machine/machine.h"
#include "support/error.h"
#include "preprocessor/expand.h"
#include "preprocessor/memory_stream.h"
#include "sim/instant_simulator.h"

namespace {

// What an include line may name. "part.inc" is the part of the input after
// a line "%%" (so the fuzzer shapes both files).
const vorn::IncludeFiles& FixedIncludes() {
    static const vorn::IncludeFiles files = {
        {"lib.inc", "#define LIMIT 10\r\nint helper(int a) { return a * LIMIT; }\r\n"},
        {"keys.inc", "key(Control, 'K') { printstr(\"k\"); }\r\n"},
        {"self.inc", "#include \"self.inc\"\r\nint selfCount;\r\n"},
    };
    return files;
}

constexpr int kTicks = 40;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    vorn::IncludeFiles includes = FixedIncludes();
    const std::size_t split = text.find("\n%%\n");
    if (split != std::string::npos) {
        includes["part.inc"] = text.substr(split + 4);
        text.resize(split);
    }

    vorn::MemoryStream source, expanded, listing, image;
    source.Write(text);
    vorn::ExpandOptions options;
    options.maxBytes = std::size_t{4} << 20;  // enough for any input; keeps the fuzzer's memory small
    options.includes = &includes;
    bool ok = false;
    try {
        vorn::Expand(source, expanded, nullptr, options);
        ok = vorn::CompileSource(expanded, listing, image, true);
    } catch (const vorn::Error&) {
        return 0;  // reported to the user as a message: fine
    }
    if (!ok) return 0;

    vorn::InstantSimulator sim;
    vorn::IpcLink& link = sim.link;
    vorn::IpcResult result = 0;
    if (!sim.Open(result)) __builtin_trap();
    bool debug = false;
    vorn::Machine machine(link, debug);
    const vorn::LineSink sink = [](const std::string&) {};
    if (!machine.Load(image.Bytes(), sink, sink)) __builtin_trap();  // the compiler wrote a bad image
    machine.Start(sink);
    for (int tick = 0; tick < kTicks; ++tick) {
        if (tick % 10 == 0) {
            for (const vorn::SimHotKey& key : sim.server.RegisteredKeys()) sim.server.Press(key.key, key.modifier);
        }
        machine.Tick(sink, sink);
    }
    machine.Stop();
    link.Close();
    return 0;
}
