#include "compiler/program_map.h"

#include <algorithm>

namespace vorn {

namespace {
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return Lower(x) == Lower(y);
           });
}
}  // namespace

std::int32_t ProgramMap::ExpandedLineOfPc(std::int32_t pc) const {
    if (pc < 0 || pc >= codeWords) return 0;
    const auto after = std::upper_bound(code.begin(), code.end(), pc,
                                        [](std::int32_t v, const CodeLineRun& r) { return v < r.firstWord; });
    return after == code.begin() ? 0 : std::prev(after)->expandedLine;
}

std::optional<SourcePlace> ProgramMap::PlaceOfPc(std::int32_t pc) const {
    const std::int32_t line = ExpandedLineOfPc(pc);
    if (line <= 0) return std::nullopt;
    return lines.Place(line);
}

bool ProgramMap::IsStatement(std::int32_t pc) const {
    return std::binary_search(statements.begin(), statements.end(), pc);
}

const RoutineInfo* ProgramMap::RoutineOfPc(std::int32_t pc) const {
    const auto after = std::upper_bound(routines.begin(), routines.end(), pc,
                                        [](std::int32_t v, const RoutineInfo& r) { return v < r.firstWord; });
    if (after == routines.begin()) return nullptr;
    const RoutineInfo& r = *std::prev(after);
    return pc < r.endWord ? &r : nullptr;
}

const GlobalSymbol* ProgramMap::FindGlobal(const std::string& name) const {
    for (auto it = globals.rbegin(); it != globals.rend(); ++it) {
        if (SameName(it->name, name)) return &*it;
    }
    return nullptr;
}

std::string GlobalTypeText(const GlobalSymbol& global) {
    std::string text;
    switch (global.type) {
    case kTypeByte: text = global.declaredChar ? "char" : "byte"; break;
    case kTypeShortint: text = "shortint"; break;
    case kTypeFloat: text = "float"; break;
    default: text = "int"; break;
    }
    if (global.storage == TStorageClass::Pointer) text += "*";
    if (global.storage == TStorageClass::Array) text += "[" + std::to_string(global.count) + "]";
    return text;
}

}  // namespace vorn
