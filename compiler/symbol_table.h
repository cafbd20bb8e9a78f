#pragma once
// The flat table of declared names: variables, parameters and routines.
// Names are name-table indices, so comparing them ignores letter case.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "compiler/tokens.h"   // the type codes

namespace vorn {

// 1, 2, 4 or 8 bytes; -1 for none and unknown codes.
int TypeSize(std::int32_t type);

enum class TStorageClass : std::uint8_t {
    local = 0,    // Location: data-segment address
    UIPC = 1,     // Location: FSUIPC offset given after "at"
    Frame = 2,    // Location: parameter slot 0x2000000 + 4k
    Array = 3,    // Location: base address (data segment or FSUIPC)
    Proc = 4,     // Location: label number of the first instruction
    Pointer = 5,  // Location: address of the 4-byte pointer cell
};

struct TVblEntry {
    std::int32_t VType;
    std::int32_t Name;
    std::int32_t Location;
    std::uint8_t Storage;
};

class SymbolTable {
public:
    SymbolTable() : VblTable(100) {}

    // The most recent live entry with the name, so a routine's parameters and
    // locals hide a global of the same name; -1 when there is none.
    std::int32_t FindVbl(std::int32_t name) const;

    // Indices of the current scope's entries with the name (redeclarations).
    std::vector<std::int32_t> ScopeMatches(std::int32_t name) const;

    // Stores the entry at VBLPtr, growing the room by 50 when it is nearly
    // full, and counts it.
    void Append(const TVblEntry& entry);

    const TVblEntry& Entry(std::int32_t index) const { return VblTable[static_cast<std::size_t>(index)]; }

    // Restores VBLPtr to a scope mark, so the entries above it are dead. A
    // mark above VBLPtr (only after a broken nesting) revives nothing.
    void ResetTo(std::int32_t mark);

    std::vector<TVblEntry> VblTable;
    std::int32_t VBLPtr = 0;
    std::int32_t ScopeStart = 0;

private:
    // Live entry indices per name, ascending, so lookups do not scan the table.
    std::unordered_map<std::int32_t, std::vector<std::int32_t>> byName_;
};

// "Add vbl int Speed local location 1000000"
std::string AddVblLine(std::int32_t type, const std::string& name, TStorageClass storage, std::int32_t location);

}  // namespace vorn
