#include "cli/text_io.h"

#include <cerrno>
#include <cstring>

#include "cli/command.h"

namespace vorn::cli {

bool ReadWholeFile(const std::string& path, std::string& text, std::string& error) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = "cannot open '" + path + "': " + std::strerror(errno);
        return false;
    }
    text.clear();
    char block[1 << 16];
    std::size_t n = 0;
    bool ok = true;
    while ((n = std::fread(block, 1, sizeof block, f)) > 0) {
        if (text.size() + n > kMaxSourceBytes) {
            error = "'" + path + "' is too large (more than 256 MB)";
            ok = false;
            break;
        }
        text.append(block, n);
    }
    if (ok && std::ferror(f)) {
        error = "cannot read '" + path + "': " + std::strerror(errno);
        ok = false;
    }
    std::fclose(f);
    return ok;
}

int ReadFileArgument(const char* command, const char* usage, const std::vector<std::string>& args,
                     std::string& text) {
    if (args.size() != 1 || (args[0].size() > 1 && args[0][0] == '-')) {
        std::fprintf(stderr, "usage: vornc %s\n", usage);
        return kExitUsage;
    }
    std::string error;
    if (!ReadWholeFile(args[0], text, error)) {
        std::fprintf(stderr, "vornc %s: %s\n", command, error.c_str());
        return kExitUsage;
    }
    return kExitOk;
}

std::vector<std::string> SplitEditorLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

void WritePlainLines(const std::string& text, std::FILE* out) {
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        plain += text[i];
    }
    std::fwrite(plain.data(), 1, plain.size(), out);
}

}  // namespace vorn::cli
