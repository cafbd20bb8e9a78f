#pragma once
// What clients asked of vorn-sim, for the authors of FSUIPC clients: one line
// per request (time, client process id, class, record count, answer, time
// taken), then one indented line per record (read or write, offset, size,
// the bytes read or written). Bounded: a file that reaches its limit is
// renamed FILE.1, replacing an older one, and FILE begun again. The serving
// loops ask SimServer::ActiveLog() first, so a log that is off costs nothing.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace vorn {

class RequestLog {
public:
    static constexpr std::uint64_t kDefaultLimit = 8u << 20;
    static constexpr std::uint64_t kMinimumLimit = 4096;
    static constexpr std::size_t kBytesShown = 16;  // of a record's data; the rest is counted

    RequestLog() = default;
    ~RequestLog();
    RequestLog(const RequestLog&) = delete;
    RequestLog& operator=(const RequestLog&) = delete;

    // Opens (appending to) `path` and turns the log on. False with a reason.
    bool Open(const std::string& path, std::string& error);
    // Bytes per file, kMinimumLimit or more.
    void SetLimit(std::uint64_t bytes) { limit_ = bytes < kMinimumLimit ? kMinimumLimit : bytes; }

    bool IsOpen() const { return file_ != nullptr; }
    bool On() const { return on_ && file_ != nullptr; }
    void SetOn(bool on) { on_ = on; }
    const std::string& Path() const { return path_; }

    // One request: the block as answered (read data filled in) and the
    // bytes the records take, the class that received it and the answer.
    void Write(std::uint32_t clientPid, std::string_view className, const std::uint8_t* block, std::size_t size,
               std::uint32_t answer, std::chrono::steady_clock::duration elapsed);

private:
    void Append(const std::string& text);

    std::FILE* file_ = nullptr;
    std::string path_;
    std::uint64_t written_ = 0;
    std::uint64_t limit_ = kDefaultLimit;
    bool on_ = false;
};

// The process id a client put in its block's name, "<prefix><pid in hex>:<n>"
// (what FSUIPC clients do); 0 when the name does not have one.
std::uint32_t ClientPidFromBlockName(std::string_view name, std::string_view prefix);

}  // namespace vorn
