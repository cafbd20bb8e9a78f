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

// A global, or a routine's parameter or local.
struct GlobalSymbol {
    std::string name;          // as declared first
    std::int32_t type = kTypeInt;
    TStorageClass storage = TStorageClass::local;  // local, UIPC, Array or Pointer
    // Data address, FSUIPC offset for "at" globals, frame address
    // (0x2000000 + 4k) for parameters.
    std::int32_t address = 0;
    std::int32_t count = 1;    // array length; 1 for everything else
    bool declaredChar = false;  // "char", stored as byte: named so on the Watch page
    bool AtFsuipc() const { return address < 0x1000000; }
    // Bytes of one element: 4 for a pointer cell.
    int ElementSize() const { return storage == TStorageClass::Pointer ? 4 : TypeSize(type); }
};

// A routine as a debugger meets it: where its code lies and its variables.
struct RoutineInfo {
    enum class Kind : std::uint8_t { procedure, sequence, key };
    Kind kind = Kind::procedure;
    std::string name;            // procedures and sequences; "" for key routines
    std::int32_t keyIndex = -1;  // key routines: the row of the image's key table
    std::int32_t type = kTypeInt;  // a procedure's result
    std::int32_t firstWord = 0;  // the entry point
    std::int32_t endWord = 0;    // one past its closing RET or HLT
    // Frame (or Pointer) class at 0x2000000 + 4k, in order: the caller's
    // arguments, then the return point in the slot after the last one.
    std::vector<GlobalSymbol> params;
    // In the data segment like globals (static); a key routine's parameter
    // variable comes first.
    std::vector<GlobalSymbol> locals;
};

struct ProgramMap {
    LineMap lines;
    std::vector<CodeLineRun> code;
    std::vector<GlobalSymbol> globals;
    std::int32_t codeWords = 0;
    // Code words that begin a statement, a routine's entry or its closing
    // brace (its final RET or HLT), ascending: where a debugger stops.
    std::vector<std::int32_t> statements;
    std::vector<RoutineInfo> routines;  // in code order

    // Forgets the last compile; the line map keeps its names.
    void Clear() {
        lines.Begin();
        code.clear();
        codeWords = 0;
        globals.clear();
        statements.clear();
        routines.clear();
    }
    bool IsStatement(std::int32_t pc) const;
    // The routine whose code holds pc, or nullptr.
    const RoutineInfo* RoutineOfPc(std::int32_t pc) const;
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
