// Runs the first key routine of a program once on the machine, to
// completion, in 500-instruction runs as ticks give them but without the
// ticks, and prints two lines: the CPU seconds of the run and the last line
// the program printed. With --break-elsewhere a debugger's breakpoint sits
// on the routine's final HLT, reached once, whose hook lets it pass: what a
// breakpoint costs the code it is not on.
//   machine_suite FILE.vrn [--break-elsewhere]
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "compiler/compile_source.h"
#include "machine/ins_set.h"
#include "machine/machine.h"
#include "preprocessor/memory_stream.h"
#include "sim/instant_simulator.h"

namespace {

constexpr std::streamsize kMaxSource = 1 << 20;

bool Compile(const char* path, std::vector<std::uint8_t>& image) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "machine_suite: cannot open %s\n", path);
        return false;
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (static_cast<std::streamsize>(text.size()) > kMaxSource) {
        std::fprintf(stderr, "machine_suite: %s is larger than %lld bytes\n", path, static_cast<long long>(kMaxSource));
        return false;
    }
    vorn::MemoryStream source;
    vorn::MemoryStream listing;
    vorn::MemoryStream out;
    source.Write(text);
    source.Rewind();
    bool ok = false;
    try {
        ok = vorn::CompileSource(source, listing, out, false);
    } catch (...) {
        ok = false;
    }
    if (!ok) {
        const auto bytes = listing.Bytes();
        std::fprintf(stderr, "machine_suite: %s does not compile:\n%.*s\n", path, static_cast<int>(bytes.size()),
                     reinterpret_cast<const char*>(bytes.data()));
        return false;
    }
    image.assign(out.Bytes().begin(), out.Bytes().end());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const bool breakElsewhere = argc == 3 && std::string(argv[2]) == "--break-elsewhere";
    if (argc != 2 && !breakElsewhere) {
        std::fprintf(stderr, "usage: %s FILE.vrn [--break-elsewhere]\n", argv[0]);
        return 2;
    }
    std::vector<std::uint8_t> image;
    if (!Compile(argv[1], image)) return 1;

    vorn::InstantSimulator sim;
    vorn::IpcLink& link = sim.link;
    vorn::IpcResult r = 0;
    if (!sim.Open(r)) {
        std::fprintf(stderr, "machine_suite: link did not open (%d)\n", r);
        return 1;
    }
    bool debug = false;
    vorn::Machine machine(link, debug);
    std::string error;
    if (!machine.Load(image, nullptr, [&](const std::string& line) { error = line; }) ||
        machine.KeyRoutineCount() < 1) {
        std::fprintf(stderr, "machine_suite: image refused %s\n", error.c_str());
        return 1;
    }
    std::string last;
    const vorn::LineSink output = [&](const std::string& line) { last = line; };
    std::int32_t pc = machine.KeyEntryPoint(0);
    int passes = 0;
    if (breakElsewhere) {
        const auto code = machine.Code();
        std::int32_t halt = pc;
        while (halt < static_cast<std::int32_t>(code.size()) && code[static_cast<std::size_t>(halt)] != vorn::kOpHLT)
            halt += std::max(vorn::InstructionWords(code[static_cast<std::size_t>(halt)]), 1);
        const std::int32_t flagged[] = {halt};
        machine.SetBreakpoints(flagged);
        machine.SetDebugHooks([&](int, std::int32_t) { return ++passes, false; }, nullptr);
    }
    const std::clock_t start = std::clock();
    while (pc >= 0) pc = machine.Run(pc, 0, output, nullptr);
    const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    if (breakElsewhere && passes != 1) {
        std::fprintf(stderr, "machine_suite: the breakpoint was passed %d times, not once\n", passes);
        return 1;
    }
    std::printf("%.3f\n%s\n", seconds, last.c_str());
    return 0;
}
