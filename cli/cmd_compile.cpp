// vornc compile [--listing] [--image OUT] FILE: expands and compiles FILE,
// prints the listing, and writes the code image when the compile succeeds.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/diagnostics.h"
#include "compiler/compile_source.h"
#include "support/error.h"
#include "preprocessor/expand.h"
#include "preprocessor/memory_stream.h"

namespace vorn::cli {

namespace {

int UsageError(const std::string& message) {
    std::fprintf(stderr, "vornc compile: %s\nusage: vornc %s\n", message.c_str(), UsageOf("compile").c_str());
    return kExitUsage;
}

// The listing's lines end in CR LF; stdout gets plain text lines.
void PrintListing(const MemoryStream& listing) {
    std::string text = listing.Text();
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
}

// Larger sources are refused rather than exhausting memory.
constexpr std::uintmax_t kMaxSourceBytes = 256u << 20;

// Reads the whole file into the stream, a block at a time.
bool ReadFile(const std::string& path, MemoryStream& out) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (!ec) out.Reserve(static_cast<std::size_t>(size));
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::vector<char> block(1 << 16);
    std::size_t n = 0;
    while ((n = std::fread(block.data(), 1, block.size(), f)) > 0) out.Write(block.data(), n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
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

    std::error_code sizeError;
    if (std::filesystem::file_size(file, sizeError) > kMaxSourceBytes && !sizeError) {
        std::fprintf(stderr, "vornc compile: '%s' is too large (more than 256 MB)\n", file.c_str());
        return kExitUsage;
    }
    MemoryStream source, expanded, listing, image;
    if (!ReadFile(file, source)) {
        std::fprintf(stderr, "vornc compile: cannot read '%s'\n", file.c_str());
        return kExitUsage;
    }
    bool ok = false;
    LineMap lines;
    lines.SetNames(file);
    try {
        Expand(source, expanded, &lines);
        ok = CompileSource(expanded, listing, image, showListing);
    } catch (const Error& error) {
        std::fprintf(stderr, "vornc compile: %s\n", error.what());
        return kExitCommandError;
    }
    PrintListing(listing);
    std::fflush(stdout);
    WriteDiagnostics(lines, listing.Text(), stderr);
    if (!ok) return kExitProgramErrors;

    if (!imagePath.empty()) {
        std::ofstream out(imagePath, std::ios::binary | std::ios::trunc);
        const auto bytes = image.Bytes();
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::fprintf(stderr, "vornc compile: cannot write '%s'\n", imagePath.c_str());
            return kExitUsage;
        }
    }
    return kExitOk;
}

const CommandRegistration kRegistration(
    {"compile", "FILE", RunCompile,
     "expand and compile FILE: the listing on stdout, every diagnostic on stderr as FILE:LINE: message",
     {{"--listing", "list the code lines too, not only the diagnostics"},
      {"--image OUT", "write the code image to the file OUT when the compile succeeds"},
      {"--help", "print this help"}},
     {kExitOk, kExitProgramErrors, kExitUsage, kExitCommandError}});

}  // namespace

}  // namespace vorn::cli
