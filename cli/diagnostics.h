#pragma once
// Diagnostics as editors and IDEs read them: "FILE:LINE: message".
#include <cstdio>
#include <string>

#include "preprocessor/line_map.h"

namespace vorn::cli {

// Writes the expander's error lines, then every diagnostic line of the
// listing (": N: message", N counting expanded lines), each as
// "FILE:LINE: message" with FILE and LINE from the line map. Returns how
// many lines were written.
int WriteDiagnostics(const LineMap& map, const std::string& listing, std::FILE* out);

}  // namespace vorn::cli
