// Reload: a new program in a running machine, hot-key entries kept where the
// keys stay the same.
#include <cstring>
#include <vector>

#include "fsuipc/hot_key_name.h"
#include "machine/code_image.h"
#include "machine/machine.h"

namespace vorn {
namespace {

std::string KeyName(const CodeImage::KeyRoutine& key) {
    return HotKeyName(static_cast<std::uint8_t>(key.keyCode), static_cast<std::uint8_t>(key.modifier));
}

}  // namespace

bool Machine::Reload(std::span<const std::uint8_t> image, const LineSink& trace, const LineSink& output,
                     HotKeyReload& keys) {
    keys = {};
    // Checked before anything changes: a refused image leaves the running program.
    {
        CodeImage check;
        std::string why;
        if (!ReadCodeImage(image, check, why)) {
            if (output) output("Code image refused: " + why);
            return false;
        }
    }
    const bool wasLoaded = loaded_;
    const std::vector<CodeImage::KeyRoutine> oldKeys = keys_;
    const std::array<std::int32_t, kProcessSlots> oldSlots = hotKeySlot_;
    if (!Load(image, trace, output)) return false;  // cannot happen after the check; kept safe
    if (!wasLoaded) {
        Start(output, trace);
        for (std::size_t k = 0; k < keys_.size(); ++k) {
            if (hotKeySlot_[k] < 0) continue;
            ++keys.added;
            keys.names.push_back("added " + KeyName(keys_[k]));
        }
        return true;
    }

    // Each old routine's entry may pass to one new routine of the same key,
    // in table order, so two routines of one key keep two entries.
    std::vector<bool> taken(oldKeys.size(), false);
    std::array<bool, kProcessSlots> stays{};
    for (std::size_t k = 0; k < keys_.size(); ++k) {
        for (std::size_t j = 0; j < oldKeys.size(); ++j) {
            if (taken[j] || oldSlots[j] < 0) continue;
            if (oldKeys[j].keyCode != keys_[k].keyCode || oldKeys[j].modifier != keys_[k].modifier) continue;
            taken[j] = true;
            hotKeySlot_[k] = oldSlots[j];
            stays[static_cast<std::size_t>(oldSlots[j])] = true;
            ++keys.kept;
            keys.names.push_back("kept " + KeyName(keys_[k]));
            break;
        }
    }
    for (int i = 0; i < kProcessSlots; ++i) {
        if (registered_[i] != 0 && !stays[static_cast<std::size_t>(i)]) ReleaseEntry(i);
    }
    for (std::size_t j = 0; j < oldKeys.size(); ++j) {
        if (taken[j] || oldSlots[j] < 0) continue;
        ++keys.removed;
        keys.names.push_back("removed " + KeyName(oldKeys[j]));
    }
    std::vector<std::string> unregistered;
    HotKeyTable table{};
    if (!ReadHotKeyTable(table)) table.fill(0xFF);  // counts as full
    for (std::size_t k = 0; k < keys_.size(); ++k) {
        if (hotKeySlot_[k] >= 0) continue;
        if (!RegisterKey(k, table, unregistered, output, trace)) continue;
        ++keys.added;
        keys.names.push_back("added " + KeyName(keys_[k]));
    }
    return true;
}

bool Machine::WriteData(std::int32_t address, std::span<const std::uint8_t> bytes) {
    const std::int64_t start = static_cast<std::int64_t>(address) - kDataBase;
    if (start < 0 || start + static_cast<std::int64_t>(bytes.size()) > static_cast<std::int64_t>(data_.size()))
        return false;
    if (!bytes.empty()) std::memcpy(data_.data() + start, bytes.data(), bytes.size());
    return true;
}

}  // namespace vorn
