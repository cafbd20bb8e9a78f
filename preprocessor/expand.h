#pragma once
// The source expander: "#include" and "#define" lines, one line at a time.
#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "preprocessor/line_map.h"
#include "preprocessor/memory_stream.h"
#include "preprocessor/text_stream_adapter.h"

namespace vorn {

// The expanded text may not grow past this (the bound of a source file):
// a few defines repeated on many lines could otherwise ask for gigabytes.
inline constexpr std::size_t kMaxExpandedBytes = std::size_t{256} << 20;

// Include files held in memory, by name as written in the include line.
using IncludeFiles = std::map<std::string, std::string>;

struct ExpandOptions {
    std::size_t maxBytes = kMaxExpandedBytes;  // bound of the output, include files counted
    // When given, include names are looked up here and nowhere else (a name
    // it lacks "does not exist"); otherwise in the current directory, then
    // in these folders in order (a relative name only).
    const IncludeFiles* includes = nullptr;
    std::vector<std::string> includeFolders;
};

// Expands input into output. The input is read from its start; the output is
// cleared first and left positioned at its end. Include problems become error
// lines in the output. An include file that exists but cannot be read, an
// ordinary line met after a define with a blank name ("Search string cannot be
// blank"), and output that would pass options.maxBytes raise vorn::Error and
// end the expansion.
// With a map, records for every output line the file and line it came from
// (the map's names are kept, its lines replaced).
void Expand(MemoryStream& input, MemoryStream& output, LineMap* map = nullptr, const ExpandOptions& options = {});

// Handles one include line: writes the named file's lines (verbatim, by the
// reader's line rules) or one error line to writer. The name is resolved
// against the current directory only. Raises vorn::Error when the file exists but
// cannot be read.
void ExpandInclude(const std::string& line, TextStreamAdapter& writer);

// What the expander makes of a line: an include line (it holds "#include"
// anywhere, in any letter case), a define line ("#define " likewise), or text.
enum class ExpandLineKind { kInclude, kDefine, kText };
ExpandLineKind ClassifyExpandLine(std::string_view line);

// The name an include line names: from its first double quote to the next;
// false when it has no name in quotes.
bool IncludeLineName(std::string_view line, std::string& name);

struct DefineEntry {
    std::string name;
    std::string value;
};

// Splits a define line into name and value: skips the first "#" and the six
// characters after it, then blanks; the name runs to the next blank; after
// more blanks the value is the rest of the line as written (trailing blanks
// kept). Either part may be empty.
DefineEntry ParseDefine(std::string_view line);

}  // namespace vorn
