#pragma once
// The readable name of an FSUIPC hot key, as people write it: "Ctrl+G",
// "Shift+Alt+65". Modifier bits Shift (1), Ctrl (2), Alt (4), Tab (16).
#include <cstdint>
#include <string>

namespace vorn {

struct HotKeyModifier {
    const char* name;
    std::uint8_t bit;
};
inline constexpr HotKeyModifier kHotKeyModifiers[] = {{"Shift", 1}, {"Ctrl", 2}, {"Alt", 4}, {"Tab", 16}};

// A printable key is its character, any other its decimal code.
std::string HotKeyName(std::uint8_t key, std::uint8_t modifier);

}  // namespace vorn
