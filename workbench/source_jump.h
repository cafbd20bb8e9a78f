#pragma once
// From a line the user double-clicks to the source line it is about: a
// diagnostic on the "Compiler" page (": 12: syntax error at or before }") or
// a runtime error on "Program Output" ("Runtime error in process 0 at PC 11
// (prog.vrn:6): division by zero").
#include <optional>
#include <string_view>

#include "compiler/program_map.h"

namespace vorn {

// The place the line names, or nothing for any other line. A diagnostic's
// number counts lines of the expanded text and goes through the map's line
// map; a runtime error's place is read from the line itself, or else found
// from its PC. mainFile tells whether the place is in the edited text.
std::optional<SourcePlace> PlaceOfPageLine(const ProgramMap& map, std::string_view line);

}  // namespace vorn
