#pragma once
// File and console text helpers shared by vornc's subcommands.
#include <cstdio>
#include <string>
#include <vector>

namespace vorn::cli {

// Sources larger than this are refused rather than exhausting memory.
constexpr std::size_t kMaxSourceBytes = std::size_t{256} << 20;

// Reads the whole file. On failure returns false with a message that names
// the file ("cannot open 'x'", "cannot read 'x'", "'x' is too large ...").
bool ReadWholeFile(const std::string& path, std::string& text, std::string& error);

// For subcommands that take exactly one FILE: checks the arguments and reads
// the file, printing the usage or the error under "vornc COMMAND: ". Returns
// kExitOk, or the exit status to end with.
int ReadFileArgument(const char* command, const char* usage, const std::vector<std::string>& args,
                     std::string& text);

// The text's lines as an editor holds them: split at LF, a CR before the LF
// dropped, no empty line after a final line end.
std::vector<std::string> SplitEditorLines(const std::string& text);

// Writes text whose lines end in CR LF as plain LF lines.
void WritePlainLines(const std::string& text, std::FILE* out);

}  // namespace vorn::cli
