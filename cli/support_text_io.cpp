#include "cli/text_io.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include "cli/command.h"

namespace vorn::cli {

namespace {

// The one file reader: `append` takes each block; the whole stays within kMaxSourceBytes.
template <typename Append>
bool ReadBlocks(const std::string& path, std::string& error, Append append) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = "cannot open '" + path + "': " + std::strerror(errno);
        return false;
    }
    std::vector<char> block(1 << 16);
    std::size_t total = 0;
    std::size_t n = 0;
    bool ok = true;
    while ((n = std::fread(block.data(), 1, block.size(), f)) > 0) {
        if (total + n > kMaxSourceBytes) {
            error = "'" + path + "' is too large (more than 256 MB)";
            ok = false;
            break;
        }
        total += n;
        append(block.data(), n);
    }
    if (ok && std::ferror(f)) {
        error = "cannot read '" + path + "': " + std::strerror(errno);
        ok = false;
    }
    std::fclose(f);
    return ok;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& text, std::string& error) {
    text.clear();
    return ReadBlocks(path, error, [&](const char* data, std::size_t n) { text.append(data, n); });
}

bool ReadWholeFile(const std::string& path, MemoryStream& stream, std::string& error) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (!ec && size <= kMaxSourceBytes) stream.Reserve(static_cast<std::size_t>(size));
    return ReadBlocks(path, error, [&](const char* data, std::size_t n) { stream.Write(data, n); });
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

bool WritePlainLines(const std::string& text, std::FILE* out) {
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        plain += text[i];
    }
    return std::fwrite(plain.data(), 1, plain.size(), out) == plain.size();
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes, std::string& error) {
#ifdef _WIN32
    const long pid = static_cast<long>(::_getpid());
#else
    const long pid = static_cast<long>(::getpid());
#endif
    const std::string temporary = path + "." + std::to_string(pid) + ".tmp";
    std::FILE* f = std::fopen(temporary.c_str(), "wb");
    if (!f) {
        error = "cannot write '" + path + "': " + std::strerror(errno);
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fflush(f) == 0 && ok;
    const int code = errno;
    ok = std::fclose(f) == 0 && ok;
    std::error_code ec;
    if (ok) std::filesystem::rename(temporary, path, ec);
    if (!ok || ec) {
        error = "cannot write '" + path + "': " + (ec ? ec.message() : std::string(std::strerror(code)));
        std::filesystem::remove(temporary, ec);
        return false;
    }
    return true;
}

int FinishOutput(const std::string& command, int status) {
    const bool outLost = std::fflush(stdout) != 0 || std::ferror(stdout);
    const int code = errno;
    const bool errLost = std::fflush(stderr) != 0 || std::ferror(stderr);
    if (!outLost && !errLost) return status;
    if (outLost) {
        std::fprintf(stderr, "vornc %s: cannot write to standard output: %s\n", command.c_str(), std::strerror(code));
        std::fflush(stderr);
    }
    return kExitWriteFailed;
}

}  // namespace vorn::cli
