#pragma once
// Layout of the shared request block, shared by the client and the
// simulated server. Every field is a 32-bit little-endian integer; records
// are packed from the start of the block without padding.
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vorn {

inline constexpr std::uint32_t kBlockSize = 0x8000;    // bytes of shared memory
inline constexpr std::uint32_t kBlockLimit = 0x7F00;   // queued bytes + terminator never exceed this
inline constexpr std::uint32_t kReadHeaderSize = 16;   // id, offset, size, destination
inline constexpr std::uint32_t kWriteHeaderSize = 12;  // id, offset, size
inline constexpr std::uint32_t kTerminatorSize = 4;
inline constexpr std::uint32_t kRecordRead = 1;
inline constexpr std::uint32_t kRecordWrite = 2;

inline std::uint32_t LoadU32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

inline void StoreU32(std::uint8_t* p, std::uint32_t v) {
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
    p[2] = std::uint8_t(v >> 16);
    p[3] = std::uint8_t(v >> 24);
}

}  // namespace vorn
