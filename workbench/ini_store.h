#pragma once
// The settings file: INI in the form QSettings writes ([Group] then
// key=value, "\\" for a backslash, a value in quotes when it has spaces at
// its ends or one of ;,="), read whole and written whole beside the file
// and renamed over it. Vorn keeps its settings here on every platform:
// ~/.config/Vorn/vorn.conf on Linux, %APPDATA%\Vorn\vorn.ini on Windows.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "workbench/settings.h"

namespace vorn {

class IniStore : public SettingsStore {
public:
    // Reads `path` when it exists; a missing file is an empty store.
    explicit IniStore(std::string path);
    std::optional<std::string> Read(const std::string& key) override;
    void Write(const std::string& key, const std::string& value) override;
    bool Commit(std::string& error) override;
    std::string Where() const override { return path_; }

private:
    std::string path_;
    // Group, then key, in the file's order of groups.
    std::vector<std::pair<std::string, std::map<std::string, std::string>>> groups_;
};

// The settings file of this user: VORN_SETTINGS_FILE when set, else the
// platform's place above.
std::string SettingsPath();
// VORN_NO_SETTINGS=1: nothing is read or written.
bool SettingsDisabled();
// The user's store, or nullptr when settings are disabled or there is no place for them.
std::unique_ptr<SettingsStore> OpenUserSettings();

// One INI value as written and read back ("C:\\dir", "\"a, b\"").
std::string IniEscape(const std::string& value);
std::string IniUnescape(const std::string& text);

}  // namespace vorn
