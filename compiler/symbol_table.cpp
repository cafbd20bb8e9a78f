#include "compiler/symbol_table.h"

#include <algorithm>
#include <cstdio>

namespace vorn {

int TypeSize(std::int32_t type) {
    switch (type) {
        case kTypeByte: return 1;
        case kTypeShortint: return 2;
        case kTypeInt: return 4;
        case kTypeFloat: return 8;
        default: return -1;
    }
}

std::int32_t SymbolTable::FindVbl(std::int32_t name) const {
    const auto it = byName_.find(name);
    return it == byName_.end() || it->second.empty() ? -1 : it->second.back();
}

std::vector<std::int32_t> SymbolTable::ScopeMatches(std::int32_t name) const {
    std::vector<std::int32_t> found;
    const auto it = byName_.find(name);
    if (it == byName_.end()) return found;
    for (auto i = it->second.rbegin(); i != it->second.rend() && *i >= ScopeStart; ++i) found.push_back(*i);
    return found;
}

void SymbolTable::Append(const TVblEntry& entry) {
    if (static_cast<std::size_t>(VBLPtr) + 1 >= VblTable.size()) VblTable.resize(VblTable.size() + 50);
    VblTable[static_cast<std::size_t>(VBLPtr)] = entry;
    byName_[entry.Name].push_back(VBLPtr);
    ++VBLPtr;
}

void SymbolTable::ResetTo(std::int32_t mark) {
    const std::int32_t target = std::clamp(mark, 0, VBLPtr);
    // The dead entries are the newest of their names.
    while (VBLPtr > target) {
        --VBLPtr;
        auto& indices = byName_[Entry(VBLPtr).Name];
        if (!indices.empty()) indices.pop_back();
    }
}

namespace {
const char* TypeWord(std::int32_t type) {
    switch (type) {
        case kTypeByte: return "byte ";
        case kTypeShortint: return "shortint ";
        case kTypeInt: return "int ";
        case kTypeFloat: return "float ";
        default: return "";
    }
}
const char* ClassWord(TStorageClass storage) {
    switch (storage) {
        case TStorageClass::local: return " local ";
        case TStorageClass::UIPC: return " UIPC ";
        case TStorageClass::Frame: return " Frame ";
        case TStorageClass::Array: return " Array ";
        case TStorageClass::Proc: return " Proc ";
        case TStorageClass::Pointer: return " Pointer ";
    }
    return " ";
}
}  // namespace

std::string AddVblLine(std::int32_t type, const std::string& name, TStorageClass storage, std::int32_t location) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%04X", static_cast<std::uint32_t>(location));
    return std::string("Add vbl ") + TypeWord(type) + name + ClassWord(storage) + "location " + hex;
}

}  // namespace vorn
