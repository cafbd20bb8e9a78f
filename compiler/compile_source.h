#pragma once
// The compile entry used by the workbench and vornc: expanded source in,
// listing and code image out.
#include "compiler/program_map.h"
#include "preprocessor/memory_stream.h"

namespace vorn {

// Compiles the expanded program in source. The listing (diagnostics always,
// code lines only with showListing) is written to listing; the code image is
// written to image only when the compile has no errors. Returns true exactly
// when there were no errors.
// Throws vorn::Error when a literal cannot be converted; listing and image
// are then left empty.
// With a map, a successful compile also fills its code lines, code size and
// globals (its line map is the expander's and is left as it is).
// errorCount, when given, receives the number of errors.
bool CompileSource(MemoryStream& source, MemoryStream& listing, MemoryStream& image, bool showListing,
                   ProgramMap* map = nullptr, int* errorCount = nullptr);

}  // namespace vorn
