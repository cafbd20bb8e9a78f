#pragma once
// What is kept beside a code image in memory so that people can find their
// way back to the source: the expander's line map, the expanded line every
// instruction was compiled from, and the program's globals for the Watch.
// The image file format knows nothing of it.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compiler/symbol_table.h"
#include "preprocessor/line_map.h"

namespace vorn {

// Code words from firstWord on were compiled from expandedLine (up to the
// next run's firstWord).
struct CodeLineRun {
    std::int32_t firstWord;
    std::int32_t expandedLine;
};

struct GlobalSymbol {
    std::string name;          // as declared first
    std::int32_t type = kTypeInt;
    TStorageClass storage = TStorageClass::local;  // local, UIPC, Array or Pointer
    std::int32_t address = 0;  // data address, or FSUIPC offset for "at" globals
    std::int32_t count = 1;    // array length; 1 for everything else
    bool AtFsuipc() const { return address < 0x1000000; }
    // Bytes of one element: 4 for a pointer cell.
    int ElementSize() const { return storage == TStorageClass::Pointer ? 4 : TypeSize(type); }
};

struct ProgramMap {
    LineMap lines;
    std::vector<CodeLineRun> code;
    std::vector<GlobalSymbol> globals;
    std::int32_t codeWords = 0;

    // Forgets the last compile; the line map keeps its names.
    void Clear() {
        lines.Begin();
        code.clear();
        codeWords = 0;
        globals.clear();
    }
    // The expanded line of the instruction at a code word index, 0 when none.
    std::int32_t ExpandedLineOfPc(std::int32_t pc) const;
    // The source place of the instruction at pc, if the map knows it.
    std::optional<SourcePlace> PlaceOfPc(std::int32_t pc) const;
    // The global of that name (compared without regard to letter case; the
    // last declared wins, as in the program), or nullptr.
    const GlobalSymbol* FindGlobal(const std::string& name) const;
};

// "int", "float", "byte", "shortint"; pointers add "*", arrays "[n]".
std::string GlobalTypeText(const GlobalSymbol& global);

}  // namespace vorn
