#pragma once
// File and console text helpers shared by vornc's subcommands.
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "preprocessor/expand.h"
#include "preprocessor/memory_stream.h"

namespace vorn::cli {

// Sources larger than this are refused rather than exhausting memory; the
// expanded text has the same bound.
constexpr std::size_t kMaxSourceBytes = kMaxExpandedBytes;

// Reads the whole file. On failure returns false with a message that names
// the file ("cannot open 'x'", "cannot read 'x'", "'x' is too large ...").
bool ReadWholeFile(const std::string& path, std::string& text, std::string& error);
bool ReadWholeFile(const std::string& path, MemoryStream& stream, std::string& error);

// For subcommands that take exactly one FILE: checks the arguments and reads
// the file, printing the usage or the error under "vornc COMMAND: ". Returns
// kExitOk, or the exit status to end with.
int ReadFileArgument(const char* command, const char* usage, const std::vector<std::string>& args,
                     std::string& text);

// Writes text whose lines end in CR LF as plain LF lines. False when the
// stream refused them (the stream's error flag is set too).
bool WritePlainLines(const std::string& text, std::FILE* out);

// True when both names lead to one existing file (links, "./x", "../d/x"...).
bool SameFile(const std::string& a, const std::string& b);

// Writes the file whole or not at all: into a fresh file beside it, then
// renamed over it. False with a message naming the file.
bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes, std::string& error);

// The end of every subcommand: flushes standard output and error. When
// anything written to them was lost (a full disk, a closed pipe) says so on
// standard error, if it can, and returns kExitWriteFailed; else `status`.
int FinishOutput(const std::string& command, int status);

}  // namespace vorn::cli
