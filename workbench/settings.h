#pragma once
// The remembered settings without a toolkit: one table of keys (settings.def)
// and four layers, the command line over the environment over the stored
// value over the default. Both windows and vornc use the same model and the
// same store (settings_store.h).
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "fsuipc/ipc_link.h"

namespace vorn {

enum class SettingId : int {
#define VORN_SETTING(id, key, type, value, min, max, env, option) id,
#include "workbench/settings.def"
#undef VORN_SETTING
};

enum class SettingType { kText, kNumber, kSwitch };

struct SettingInfo {
    SettingId id;
    const char* key;          // "Link/TimeoutMs": [Link] TimeoutMs= in the file
    SettingType type;
    const char* defaultValue;
    std::int64_t min, max;    // a number's range, or a text's length
    const char* environment;  // "" when there is none
    const char* option;       // "" when there is none
};

std::span<const SettingInfo> SettingTable();
inline constexpr std::size_t kSettingCount = 0
#define VORN_SETTING(id, key, type, value, min, max, env, option) +1
#include "workbench/settings.def"
#undef VORN_SETTING
    ;
const SettingInfo& InfoOf(SettingId id);
// The row of a key or of a command-line option, or nullptr.
const SettingInfo* FindSettingKey(const std::string& key);
const SettingInfo* FindSettingOption(const std::string& option);

// The one validation of every key: true when `text` fits its type and range,
// else false with the reason ("expected a whole number from 1 to 100").
bool CheckSetting(const SettingInfo& info, const std::string& text, std::string& reason);

// A place settings are kept: read at start, written when one changes.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::optional<std::string> Read(const std::string& key) = 0;
    virtual void Write(const std::string& key, const std::string& value) = 0;
    // Makes the writes last; false with the reason.
    virtual bool Commit(std::string& error) = 0;
    // Where the store is, for messages ("/home/me/.config/Vorn/vorn.conf").
    virtual std::string Where() const = 0;
};

enum class SettingSource { kDefault, kStored, kEnvironment, kCommandLine };
const char* SourceName(SettingSource source);

class Settings {
public:
    Settings();

    // Takes every key the store holds; a damaged or out-of-range value keeps
    // the default and adds one line naming the key to `messages`.
    void Load(SettingsStore& store, std::vector<std::string>& messages);
    // A command-line value, checked; false with a message naming the option.
    bool SetOption(SettingId id, const std::string& value, std::string& error);
    // A value the user chose (a dialog, a menu item): it is stored and, when
    // the store is there, written. A command-line value of the key gives way.
    bool Change(SettingId id, const std::string& value, std::string& error);
    void AttachStore(SettingsStore* store) { store_ = store; }
    SettingsStore* Store() const { return store_; }

    // The value that counts: command line, then environment (read now, so a
    // bad variable is reported where it is used), then store, then default.
    // False with a message naming the variable when that one is bad.
    bool Value(SettingId id, std::string& value, SettingSource& source, std::string& error) const;
    // The same, for keys that have no variable, or where a bad one falls to the next layer.
    std::string Text(SettingId id) const;
    std::int64_t Number(SettingId id) const;
    bool Switch(SettingId id) const;
    // What the store holds or would hold (the dialog shows these).
    const std::string& Stored(SettingId id) const;

    // The link's name and timing at Connect; false with a message for a bad variable.
    bool LinkConfig(std::string& name, IpcTiming& timing, std::string& error) const;

private:
    static std::size_t Index(SettingId id) { return static_cast<std::size_t>(id); }

    std::array<std::optional<std::string>, kSettingCount> stored_;
    std::array<std::optional<std::string>, kSettingCount> option_;
    std::array<std::string, kSettingCount> defaults_;
    SettingsStore* store_ = nullptr;
};

}  // namespace vorn
