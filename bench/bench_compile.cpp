// Whole-compile throughput: expand + compile + image on a generated program
// of about 100,000 lines. Run with --emit-vorn=FILE or --emit-lua=FILE to
// write the program (or its Lua twin, for compare_compile.sh) instead.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

#include "compiler/compile_source.h"
#include "preprocessor/expand.h"
#include "preprocessor/memory_stream.h"

namespace {

constexpr int kRoutines = 1000;
constexpr int kStatementsPerRoutine = 96;  // plus head, locals, return, close: 100 lines

// One statement line of routine r, in either language.
std::string Statement(int r, int k, bool lua) {
    const std::string g = "g" + std::to_string((r + k) % 10);
    const std::string n = std::to_string(k + 1);
    switch (k % 6) {
        case 0: return lua ? "  t = a + b * " + n : "  t = a + b * " + n + ";";
        case 1: return lua ? "  if t > " + n + " then u = t - 1 else u = t + 1 end"
                           : "  if (t > " + n + ") { u = t - 1; } else { u = t + 1; }";
        case 2: return lua ? "  while u > " + n + " do u = u - 3 end" : "  while (u > " + n + ") { u = u - 3; }";
        case 3: return lua ? "  " + g + " = " + g + " + t % 7" : "  " + g + " = " + g + " + t % 7;";
        case 4: return lua ? "  buf[(t % 16) + 1] = u" : "  buf[t % 16] = u;";
        default: return lua ? "  u = (t - u) / 2 + " + g : "  u = (t - u) / 2 + " + g + ";";
    }
}

std::string Program(bool lua) {
    std::string out;
    for (int i = 0; i < 10; ++i) out += lua ? "g" + std::to_string(i) + " = 0\n" : "int g" + std::to_string(i) + ";\n";
    out += lua ? "buf = {}\n" : "int buf[16];\n";
    for (int r = 0; r < kRoutines; ++r) {
        const std::string name = "f" + std::to_string(r);
        out += lua ? "function " + name + "(a, b)\n" : "int " + name + "(int a, int b) {\n";
        out += lua ? "  local t, u = 0, 0\n" : "  int t; int u;\n";
        for (int k = 0; k < kStatementsPerRoutine; ++k) out += Statement(r, k, lua) + "\n";
        out += lua ? "  return t + u\n" : "  return t + u;\n";
        out += lua ? "end\n" : "}\n";
    }
    return out;
}

void BM_CompileWholeProgram(benchmark::State& state) {
    const std::string text = Program(false);
    for (auto _ : state) {
        vorn::MemoryStream source, expanded, listing, image;
        source.Write(text);
        vorn::Expand(source, expanded);
        const bool ok = vorn::CompileSource(expanded, listing, image, false);
        if (!ok) state.SkipWithError("the generated program did not compile");
        benchmark::DoNotOptimize(image.Size());
    }
    state.counters["lines"] = static_cast<double>(kRoutines * (kStatementsPerRoutine + 4) + 11);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_CompileWholeProgram)->Unit(benchmark::kMillisecond);

bool Emit(std::string_view arg, std::string_view flag, bool lua) {
    if (arg.substr(0, flag.size()) != flag) return false;
    std::ofstream out(std::string(arg.substr(flag.size())), std::ios::binary);
    out << Program(lua);
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2) {
        const std::string_view arg = argv[1];
        if (arg.rfind("--emit-", 0) == 0) {
            if (Emit(arg, "--emit-vorn=", false) || Emit(arg, "--emit-lua=", true)) return 0;
            std::fprintf(stderr, "cannot write %s\n", argv[1]);
            return 2;
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
