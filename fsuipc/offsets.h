#pragma once
// The FSUIPC offsets Vorn itself reads and writes, and the values it expects
// there: the client's handshake, the hot-key table the machine polls and the
// simulated server keeps, and the workbench's heartbeat. Offsets a program
// names are its own business and do not belong here.
#include <cstdint>

namespace vorn {

// Handshake offsets and values.
inline constexpr std::uint32_t kOffsetFsuipcVersion = 0x3304;
inline constexpr std::uint32_t kOffsetSimulatorVersion = 0x3308;
inline constexpr std::uint32_t kOffsetLibraryVersion = 0x330A;
inline constexpr std::uint32_t kMinimumFsuipcVersion = 0x19980005;
inline constexpr std::uint32_t kSimulatorSignature = 0xFADE;  // upper 16 bits of 0x3308
inline constexpr std::uint16_t kLibraryVersion = 1004;

// Hot-key table: a count, then 4-byte entries (key, modifier, unused, the
// flag the server sets on a press), 0x3210..0x32EF.
// One past the last offset: FSUIPC's offsets are 16 bits wide.
inline constexpr std::int64_t kFsuipcOffsetEnd = 0x10000;
inline constexpr std::uint32_t kOffsetHotKeyCount = 0x320C;
inline constexpr std::uint32_t kOffsetHotKeyTable = 0x3210;
inline constexpr int kHotKeyEntries = 56;

// Heartbeat byte read by the workbench every tick to prove the link is alive.
inline constexpr std::uint32_t kOffsetHeartbeat = 0x0C48;

}  // namespace vorn
