#pragma once
// The source expander: "#include" and "#define" lines, one line at a time.
#include <string>
#include <string_view>

#include "preprocessor/line_map.h"
#include "preprocessor/memory_stream.h"
#include "preprocessor/text_stream_adapter.h"

namespace vorn {

// Expands input into output. The input is read from its start; the output is
// cleared first and left positioned at its end. Include problems become error
// lines in the output. An include file that exists but cannot be read, and an
// ordinary line met after a define with a blank name ("Search string cannot be
// blank"), raise vorn::Error and end the expansion.
// With a map, records for every output line the file and line it came from
// (the map's names are kept, its lines replaced).
void Expand(MemoryStream& input, MemoryStream& output, LineMap* map = nullptr);

// Handles one include line: writes the named file's lines (verbatim, by the
// reader's line rules) or one error line to writer. The name is resolved
// against the current directory. Raises vorn::Error when the file exists but
// cannot be read.
void ExpandInclude(const std::string& line, TextStreamAdapter& writer);

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
