#include "fsuipc/hot_key_name.h"

namespace vorn {

std::string HotKeyName(std::uint8_t key, std::uint8_t modifier) {
    std::string name;
    for (const HotKeyModifier& mod : kHotKeyModifiers) {
        if (modifier & mod.bit) name += std::string(mod.name) + "+";
    }
    if (key > ' ' && key < 0x7F)
        name += char(key);
    else
        name += std::to_string(key);
    return name;
}

}  // namespace vorn
