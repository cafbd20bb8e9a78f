#pragma once
// The simulated FSUIPC server: 64 KiB of offset bytes, the handshake values,
// the hot-key table and key presses. It processes request blocks the way
// FSUIPC does (records in order, reads filled in place, writes applied,
// answer 1). Transports (in-process, POSIX socket) carry blocks to it.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vorn {

class RequestLog;

// The handshake answers as FSUIPC 7 with MSFS gives them: version 7.4.16
// (FSUIPC's digits 7416 in the high word, no build letter) and simulator 13.
inline constexpr std::uint32_t kDefaultFsuipcVersion = 0x74160000;
inline constexpr std::uint16_t kDefaultSimulator = 13;

struct SimServerOptions {
    std::uint32_t answer = 1;                             // answer to a well-formed block
    bool neverAnswer = false;                             // transports let every call time out
    std::uint32_t fsuipcVersion = kDefaultFsuipcVersion;  // held at 0x3304
    std::uint16_t simulator = kDefaultSimulator;          // low 16 bits of 0x3308 (upper: 0xFADE)
    std::uint32_t delayMs = 0;                            // transports wait this long before answering
};

struct SimHotKey {
    std::uint32_t index;     // entry number; the entry sits at 0x3210 + 4 * index
    std::uint8_t key;
    std::uint8_t modifier;
    std::uint8_t flag;       // byte 3: non-zero once pressed, until the client clears it
};

class SimServer {
public:
    static constexpr std::size_t kOffsetSpace = 0x10000;

    explicit SimServer(SimServerOptions options = {});

    const SimServerOptions& Options() const { return options_; }

    // Processes one request block of `size` bytes. Every record is checked
    // (id, size, bounds of the block and of the offset space) before anything
    // is touched; a malformed block gets answer 0 and changes nothing. With
    // an answer other than 1 configured, the block is left alone and that
    // answer returned. With answer 1, `used` (when given) receives the bytes
    // the records and their terminator take from the block's start.
    std::uint32_t ProcessBlock(std::uint8_t* block, std::size_t size, std::size_t* used = nullptr);

    // Flags every registered hot-key entry with this key and modifier;
    // returns how many were flagged.
    int Press(std::uint8_t key, std::uint8_t modifier);

    // Direct access to the offset bytes; ranges past 0xFFFF are cut short.
    void Poke(std::uint16_t offset, const void* bytes, std::size_t n);
    void Peek(std::uint16_t offset, void* bytes, std::size_t n) const;

    std::vector<SimHotKey> RegisteredKeys() const;

    // The library version the last client sent to 0x330A (0 = none yet).
    std::uint16_t ClientLibraryVersion() const { return libraryVersion_; }
    // Blocks processed with answer 1.
    std::uint64_t BlocksProcessed() const { return processed_; }

    // The request log the serving loops write to (not owned; null for none),
    // and that log only while it is on.
    void SetLog(RequestLog* log) { log_ = log; }
    RequestLog* Log() const { return log_; }
    RequestLog* ActiveLog() const;

private:
    void SetFixedValues();

    SimServerOptions options_;
    std::vector<std::uint8_t> memory_;
    std::uint16_t libraryVersion_ = 0;
    std::uint64_t processed_ = 0;
    RequestLog* log_ = nullptr;
};

}  // namespace vorn
