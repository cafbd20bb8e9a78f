// vornc tokens FILE: prints the lexer's tokens of FILE (as written, not
// expanded), one "LINE TOKEN TEXT" line each.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/text_io.h"
#include "compiler/script_lexer.h"
#include "compiler/tokens.h"
#include "preprocessor/memory_stream.h"

namespace vorn::cli {

namespace {

int RunTokens(const std::vector<std::string>& args) {
    std::string text;
    if (const int status = ReadFileArgument("tokens", UsageOf("tokens").c_str(), args, text); status != kExitOk) return status;

    MemoryStream source;
    source.Write(text);
    TScriptLexer lexer(source);
    int problems = 0;
    lexer.SetDiagnosticSink([&](const std::string& message) {
        std::fprintf(stderr, "vornc tokens: %d: %s\n", lexer.LineNumber(), message.c_str());
        ++problems;
    });
    for (int token = lexer.NextToken(); token != kTokEnd; token = lexer.NextToken()) {
        std::printf("%d %d ", lexer.LineNumber(), token);
        const std::string& t = lexer.TokenText();
        std::fwrite(t.data(), 1, t.size(), stdout);
        std::fputc('\n', stdout);
    }
    return problems == 0 ? kExitOk : kExitProgramErrors;
}

const CommandRegistration kRegistration({"tokens", "FILE", RunTokens,
                                         "print the lexer's tokens of FILE (not expanded), one \"LINE TOKEN TEXT\" line each",
                                         {},
                                         {kExitOk, kExitProgramErrors, kExitUsage}});

}  // namespace

}  // namespace vorn::cli
