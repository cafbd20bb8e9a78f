#include "sim/request_log.h"

#include <cerrno>
#include <cinttypes>
#include <cstring>
#include <ctime>

#include "fsuipc/request_block.h"

namespace vorn {

namespace {

std::string LocalTime() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm parts{};
#ifdef _WIN32
    localtime_s(&parts, &seconds);
#else
    localtime_r(&seconds, &parts);
#endif
    char text[80];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", parts.tm_year + 1900, parts.tm_mon + 1,
                  parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec, int(ms));
    return text;
}

void AppendBytes(std::string& out, const std::uint8_t* data, std::uint32_t length) {
    const std::uint32_t shown = length < RequestLog::kBytesShown ? length : std::uint32_t(RequestLog::kBytesShown);
    char hex[4];
    for (std::uint32_t i = 0; i < shown; ++i) {
        std::snprintf(hex, sizeof hex, " %02X", data[i]);
        out += hex;
    }
    if (shown < length) out += " ... (" + std::to_string(length) + " bytes)";
}

}  // namespace

RequestLog::~RequestLog() {
    if (file_ != nullptr) std::fclose(file_);
}

bool RequestLog::Open(const std::string& path, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (file == nullptr) {
        error = "cannot open the log " + path + ": " + std::strerror(errno);
        return false;
    }
    if (file_ != nullptr) std::fclose(file_);
    file_ = file;
    path_ = path;
    std::fseek(file_, 0, SEEK_END);
    const long at = std::ftell(file_);
    written_ = at > 0 ? std::uint64_t(at) : 0;
    on_ = true;
    return true;
}

void RequestLog::Append(const std::string& text) {
    if (written_ != 0 && written_ + text.size() > limit_) {
        // Keep the newest part: the full file becomes FILE.1.
        std::fclose(file_);
        const std::string old = path_ + ".1";
        std::remove(old.c_str());
        std::rename(path_.c_str(), old.c_str());
        file_ = std::fopen(path_.c_str(), "wb");
        written_ = 0;
        if (file_ == nullptr) return;  // On() is false from now on
    }
    std::fwrite(text.data(), 1, text.size(), file_);
    std::fflush(file_);  // whoever follows the file sees each request at once
    written_ += text.size();
}

void RequestLog::Write(std::uint32_t clientPid, std::string_view className, const std::uint8_t* block,
                       std::size_t size, std::uint32_t answer, std::chrono::steady_clock::duration elapsed) {
    if (!On()) return;
    std::string records;
    int count = 0;
    // Only an answered block is known to hold well-formed records.
    for (std::size_t pos = 0; answer == 1 && block != nullptr && pos + 4 <= size;) {
        const std::uint32_t id = LoadU32(block + pos);
        const std::size_t header = id == kRecordRead ? kReadHeaderSize : id == kRecordWrite ? kWriteHeaderSize : 0;
        if (header == 0 || pos + header > size) break;
        const std::uint32_t offset = LoadU32(block + pos + 4);
        const std::uint32_t length = LoadU32(block + pos + 8);
        if (length > size - pos - header) break;
        char text[64];
        std::snprintf(text, sizeof text, "  %s 0x%04" PRIX32 ":%" PRIu32 " %s", id == kRecordRead ? "read " : "write",
                      offset, length, id == kRecordRead ? "->" : "<-");
        records += text;
        AppendBytes(records, block + pos + header, length);
        records += '\n';
        ++count;
        pos += header + length;
    }
    const double ms = std::chrono::duration<double, std::milli>(elapsed).count();
    char head[160];
    const std::string pid = clientPid != 0 ? std::to_string(clientPid) : std::string("?");
    std::snprintf(head, sizeof head, "%s pid %s %.*s: %d record%s, answer %" PRIu32 ", %.3f ms\n",
                  LocalTime().c_str(), pid.c_str(), int(className.size()), className.data(), count,
                  count == 1 ? "" : "s", answer, ms);
    Append(head + records);
}

std::uint32_t ClientPidFromBlockName(std::string_view name, std::string_view prefix) {
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return 0;
    name.remove_prefix(prefix.size());
    std::uint64_t pid = 0;
    std::size_t digits = 0;
    for (; digits < name.size() && name[digits] != ':'; ++digits) {
        const char c = name[digits];
        const int v = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (v < 0 || digits >= 8) return 0;
        pid = pid * 16 + std::uint64_t(v);
    }
    return digits != 0 && digits < name.size() ? std::uint32_t(pid) : 0;
}

}  // namespace vorn
