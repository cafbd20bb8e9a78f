// vornc expand FILE: prints FILE with its "#include" and "#define" lines
// expanded, as the compiler will read it.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/text_io.h"
#include "support/error.h"
#include "preprocessor/expand.h"
#include "preprocessor/include_search.h"
#include "preprocessor/memory_stream.h"

namespace vorn::cli {

namespace {

int RunExpand(const std::vector<std::string>& args) {
    std::string text;
    if (const int status = ReadFileArgument("expand", UsageOf("expand").c_str(), args, text); status != kExitOk) return status;

    MemoryStream source, expanded;
    source.Write(text);
    try {
        ExpandOptions options;
        options.includeFolders = IncludeFolders(args[0]);
        Expand(source, expanded, nullptr, options);
    } catch (const Error& error) {
        std::fprintf(stderr, "vornc expand: %s\n", error.what());
        return kExitCommandError;
    }
    // The expanded lines end in CR LF; stdout gets plain text lines.
    WritePlainLines(expanded.Text(), stdout);
    return kExitOk;
}

const CommandRegistration kRegistration({"expand", "FILE", RunExpand,
                                         "print FILE with its #include and #define lines expanded, as the compiler reads it",
                                         {},
                                         {kExitOk, kExitUsage, kExitCommandError, kExitWriteFailed}});

}  // namespace

}  // namespace vorn::cli
