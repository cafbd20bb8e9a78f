// vornc compile [--listing] [--image OUT] FILE: expands and compiles FILE,
// prints the listing, and writes the code image when the compile succeeds.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/diagnostics.h"
#include "cli/text_io.h"
#include "compiler/compile_source.h"
#include "support/error.h"
#include "preprocessor/expand.h"
#include "preprocessor/include_search.h"
#include "preprocessor/memory_stream.h"

namespace vorn::cli {

namespace {

int UsageError(const std::string& message) {
    std::fprintf(stderr, "vornc compile: %s\nusage: vornc %s\n", message.c_str(), UsageOf("compile").c_str());
    return kExitUsage;
}

int RunCompile(const std::vector<std::string>& args) {
    bool showListing = false;
    std::string imagePath;
    std::string file;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--listing") {
            showListing = true;
        } else if (a == "--image") {
            if (i + 1 >= args.size()) return UsageError("--image needs a file name");
            imagePath = args[++i];
        } else if (a.size() > 1 && a[0] == '-') {
            return UsageError("unknown option '" + a + "'");
        } else if (file.empty()) {
            file = a;
        } else {
            return UsageError("only one FILE may be given");
        }
    }
    if (file.empty()) return UsageError("no FILE given");

    // Checked before anything is written: the image must never replace its source.
    if (!imagePath.empty() && SameFile(file, imagePath)) {
        std::fprintf(stderr, "vornc compile: the image '%s' would overwrite the source '%s'\n", imagePath.c_str(),
                     file.c_str());
        return kExitUsage;
    }

    MemoryStream source, expanded, listing, image;
    std::string readError;
    if (!ReadWholeFile(file, source, readError)) {
        std::fprintf(stderr, "vornc compile: %s\n", readError.c_str());
        return kExitUsage;
    }
    bool ok = false;
    LineMap lines;
    lines.SetNames(file);
    try {
        ExpandOptions options;
        options.includeFolders = IncludeFolders(file);
        Expand(source, expanded, &lines, options);
        ok = CompileSource(expanded, listing, image, showListing);
    } catch (const Error& error) {
        std::fprintf(stderr, "vornc compile: %s\n", PlacedErrorText(lines, error).c_str());
        return kExitCommandError;
    }
    // The listing's lines end in CR LF; stdout gets plain text lines.
    WritePlainLines(listing.Text(), stdout);
    std::fflush(stdout);
    WriteDiagnostics(lines, listing.Text(), stderr);
    if (!ok) return kExitProgramErrors;

    if (!imagePath.empty()) {
        std::string writeError;
        if (!WriteFileAtomically(imagePath, image.Bytes(), writeError)) {
            std::fprintf(stderr, "vornc compile: %s\n", writeError.c_str());
            return kExitUsage;
        }
    }
    return kExitOk;
}

const CommandRegistration kRegistration(
    {"compile", "FILE", RunCompile,
     "expand and compile FILE: the listing on stdout, every diagnostic on stderr as FILE:LINE: message",
     {{"--listing", "list the code lines too, not only the diagnostics"},
      {"--image OUT", "write the code image to the file OUT (whole or not at all) when the compile succeeds; OUT may not be FILE"},
      {"--help", "print this help"}},
     {kExitOk, kExitProgramErrors, kExitUsage, kExitCommandError, kExitWriteFailed}});

}  // namespace

}  // namespace vorn::cli
