#pragma once
// What the POSIX transport and the POSIX server (vorn-sim) agree on: where a
// server of a class listens, how a block name becomes a shared-memory name,
// how a message name becomes a number, and the frames on the socket.
#include <cstdint>
#include <string>
#include <string_view>

namespace vorn {

// The per-user folder that holds the server sockets: $XDG_RUNTIME_DIR/vorn
// when XDG_RUNTIME_DIR is set, else /tmp/vorn-<uid>. Created with mode 0700
// when missing; an existing folder must belong to this user and not be open
// to others. Returns "" (and sets `error`) when no safe folder is available.
std::string PosixRuntimeDir(std::string& error);

// The socket path of a server class ("FS98MAIN" -> <dir>/<ipc name>.FS98MAIN).
// "" when the folder is unavailable or the path is too long for a socket.
std::string PosixSocketPath(std::string_view className, std::string& error);

// The POSIX shared-memory name of a block name: "/" + the name, with any "/"
// replaced. "" when the name is empty or too long.
std::string PosixShmName(std::string_view blockName);

// Same name, same number, in every process (0xC000..0xFFFF, as registered
// window messages are).
std::uint32_t PosixMessageNumber(std::string_view name);

// Client -> server: one request per synchronous call.
//   u32 magic, u32 sequence, u32 message, u32 name length, u64 block nonce,
//   then the shared-memory name (no terminator).
// Server -> client: u32 sequence, u32 answer.
// The nonce changes with every block the client creates, so a server may
// keep a mapping across requests and still notice a recreated block.
inline constexpr std::uint32_t kPosixRequestMagic = 0x564F524E;  // "VORN"
inline constexpr std::size_t kPosixRequestHeader = 24;
inline constexpr std::size_t kPosixReplySize = 8;
inline constexpr std::size_t kPosixMaxName = 200;

}  // namespace vorn
