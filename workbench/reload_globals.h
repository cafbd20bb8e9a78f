#pragma once
// Which globals a reloaded program takes over from the one it replaces: a
// global of the same name, type, storage and length keeps its value, found
// by name because the new layout may have moved it.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "compiler/program_map.h"

namespace vorn {

struct GlobalWrite {
    std::int32_t address;  // data address in the new program
    std::vector<std::uint8_t> bytes;
};

struct GlobalCarry {
    std::vector<GlobalWrite> writes;     // the old values, where the new program keeps them
    std::vector<std::string> kept;       // names, in the new program's order
    std::vector<std::string> fresh;      // new, or changed in type, storage or length
    std::vector<std::string> dropped;    // in the old program only
    std::vector<std::string> pointers;   // kept names whose values are pointers: they start afresh
};

// oldData is the old program's data segment as it was at the reload.
GlobalCarry CarryGlobals(const ProgramMap& before, std::span<const std::uint8_t> oldData,
                         const ProgramMap& after);

}  // namespace vorn
