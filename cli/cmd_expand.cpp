// vornc expand FILE: prints FILE with its "#include" and "#define" lines
// expanded, as the compiler will read it.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli/command.h"
#include "preprocessor/error.h"
#include "preprocessor/expand.h"
#include "preprocessor/memory_stream.h"

namespace vorn::cli {

namespace {

constexpr const char* kUsage = "expand FILE";

int RunExpand(const std::vector<std::string>& args) {
    if (args.size() != 1 || (args[0].size() > 1 && args[0][0] == '-')) {
        std::fprintf(stderr, "usage: vornc %s\n", kUsage);
        return kExitUsage;
    }
    const std::string& file = args[0];
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "vornc expand: cannot open '%s'\n", file.c_str());
        return kExitUsage;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        std::fprintf(stderr, "vornc expand: cannot read '%s'\n", file.c_str());
        return kExitUsage;
    }

    MemoryStream source, expanded;
    source.Write(text);
    try {
        Expand(source, expanded);
    } catch (const Error& error) {
        std::fprintf(stderr, "vornc expand: %s\n", error.what());
        return kExitCommandError;
    }
    // The expanded lines end in CR LF; stdout gets plain text lines.
    std::string out = expanded.Text();
    std::string plain;
    plain.reserve(out.size());
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (out[i] == '\r' && i + 1 < out.size() && out[i + 1] == '\n') continue;
        plain += out[i];
    }
    std::fwrite(plain.data(), 1, plain.size(), stdout);
    return kExitOk;
}

const CommandRegistration kRegistration({"expand", kUsage, RunExpand});

}  // namespace

}  // namespace vorn::cli
