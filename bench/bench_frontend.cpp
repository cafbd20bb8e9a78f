// Front end throughput: expand, lex and parse a generated program of 100,000
// lines, together and stage by stage. Options (used by compare_frontend.sh):
//   --emit-vorn=FILE   write the program
//   --emit-lua=FILE    write its Lua twin
//   --parse=FILE       expand and parse FILE once; exit 0 when accepted
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

#include "compiler/script_lexer.h"
#include "compiler/script_parser.h"
#include "compiler/tokens.h"
#include "preprocessor/expand.h"
#include "preprocessor/memory_stream.h"

namespace {

constexpr int kRoutines = 1000;   // top-level items stay on the parser stack: keep well below 2045
constexpr int kStatementsPerRoutine = 95;   // plus head, locals, return, close, blank: 100 lines

std::string Statement(int r, int k, bool lua) {
    const std::string g = "glob" + std::to_string((r * 7 + k) % 50);
    const std::string n = std::to_string(k * 13 + 1);
    switch (k % 9) {
        case 0: return lua ? "  total = alpha + beta * " + n : "  total = alpha + beta * " + n + ";";
        case 1: return lua ? "  if total > " + n + " then rest = total - 1 else rest = total + 1 end"
                           : "  if (total > " + n + ") { rest = total - 1; } else { rest = total + 1; }";
        case 2: return lua ? "  while rest > " + n + " do rest = rest - 3 end"
                           : "  while (rest > " + n + ") { rest = rest - 3; }";
        case 3: return lua ? "  " + g + " = " + g + " + total % 7 -- running sum"
                           : "  " + g + " = " + g + " + total % 7; // running sum";
        case 4: return lua ? "  buffer[(total % 16) + 1] = rest" : "  buffer[total % 16] = rest;";
        case 5: return lua ? "  rest = (total - rest) / 2 + " + g : "  rest = (total - rest) / 2 + " + g + ";";
        case 6: return lua ? "  helper(total, rest + " + n + ")" : "  helper(total, rest + " + n + ");";
        case 7: return lua ? "  print(\"value\", total)" : "  sprintf(\"value %d\", total)";
        default: return lua ? "  flag = (total == rest) or (alpha ~= 0)" : "  flag = (total == rest) | (alpha != 0);";
    }
}

std::string Program(bool lua) {
    std::string out;
    for (int i = 0; i < 50; ++i) out += lua ? "glob" + std::to_string(i) + " = 0\n" : "int glob" + std::to_string(i) + ";\n";
    out += lua ? "buffer = {}\nflag = 0\n" : "int buffer[16];\nint flag;\n";
    out += lua ? "function helper(a, b)\n  return a + b\nend\n" : "int helper(int a, int b) {\n  return a + b;\n}\n";
    for (int r = 0; r < kRoutines; ++r) {
        const std::string name = "routine" + std::to_string(r);
        out += lua ? "function " + name + "(alpha, beta)\n" : "int " + name + "(int alpha, int beta) {\n";
        out += lua ? "  local total, rest = 0, 0\n" : "  int total; int rest;\n";
        for (int k = 0; k < kStatementsPerRoutine; ++k) out += Statement(r, k, lua) + "\n";
        out += lua ? "  return total + rest\n" : "  return total + rest;\n";
        out += lua ? "end\n\n" : "}\n\n";
    }
    return out;
}

int CountLines(const std::string& text) {
    int n = 0;
    for (char c : text) n += c == '\n';
    return n;
}

// Expand + lex + parse, as a compile runs them (no semantic actions).
bool FrontEnd(const std::string& text) {
    vorn::MemoryStream source, expanded;
    source.Write(text);
    vorn::Expand(source, expanded);
    vorn::TScriptParser parser(expanded);
    return parser.Parse() == 0 && parser.ErrorCount() == 0;
}

void BM_FrontEnd(benchmark::State& state) {
    const std::string text = Program(false);
    for (auto _ : state) {
        if (!FrontEnd(text)) state.SkipWithError("the generated program was not accepted");
    }
    state.counters["lines/s"] = benchmark::Counter(static_cast<double>(CountLines(text)) * state.iterations(),
                                                   benchmark::Counter::kIsRate);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_FrontEnd)->Unit(benchmark::kMillisecond);

void BM_Expand(benchmark::State& state) {
    const std::string text = Program(false);
    for (auto _ : state) {
        vorn::MemoryStream source, expanded;
        source.Write(text);
        vorn::Expand(source, expanded);
        benchmark::DoNotOptimize(expanded.Size());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_Expand)->Unit(benchmark::kMillisecond);

void BM_Lex(benchmark::State& state) {
    const std::string text = Program(false);
    for (auto _ : state) {
        vorn::MemoryStream source;
        source.Write(text);
        vorn::TScriptLexer lexer(source);
        int tokens = 0;
        while (lexer.NextToken() != vorn::kTokEnd) ++tokens;
        benchmark::DoNotOptimize(tokens);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_Lex)->Unit(benchmark::kMillisecond);

void BM_LexParse(benchmark::State& state) {
    const std::string text = Program(false);
    for (auto _ : state) {
        vorn::MemoryStream source;
        source.Write(text);
        vorn::TScriptParser parser(source);
        if (parser.Parse() != 0) state.SkipWithError("the generated program was not accepted");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_LexParse)->Unit(benchmark::kMillisecond);

bool Emit(std::string_view arg, std::string_view flag, bool lua) {
    if (arg.substr(0, flag.size()) != flag) return false;
    std::ofstream out(std::string(arg.substr(flag.size())), std::ios::binary);
    out << Program(lua);
    return static_cast<bool>(out);
}

int ParseFile(const std::string& name) {
    std::FILE* f = std::fopen(name.c_str(), "rb");
    if (f == nullptr) {
        std::fprintf(stderr, "cannot open %s\n", name.c_str());
        return 2;
    }
    vorn::MemoryStream source, expanded;
    if (std::fseek(f, 0, SEEK_END) == 0) {
        const long size = std::ftell(f);
        if (size > 0) source.Reserve(static_cast<std::size_t>(size));
        std::rewind(f);
    }
    char chunk[1 << 16];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) source.Write(chunk, n);
    std::fclose(f);
    vorn::Expand(source, expanded);
    vorn::TScriptParser parser(expanded);
    return parser.Parse() == 0 && parser.ErrorCount() == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2) {
        const std::string_view arg = argv[1];
        if (arg.rfind("--parse=", 0) == 0) return ParseFile(std::string(arg.substr(8)));
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
