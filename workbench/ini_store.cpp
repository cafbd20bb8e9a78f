#include "workbench/ini_store.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/utf8_path.h"

namespace vorn {
namespace {

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const std::size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// "Link/TimeoutMs" -> "Link", "TimeoutMs"; a key without a group is in [General].
void SplitKey(const std::string& key, std::string& group, std::string& name) {
    const std::size_t slash = key.find('/');
    if (slash == std::string::npos) {
        group = "General";
        name = key;
    } else {
        group = key.substr(0, slash);
        name = key.substr(slash + 1);
    }
}

// A set, non-empty variable; nothing otherwise.
bool Environment(const char* name, std::string& value) {
    value = EnvironmentUtf8(name);
    return !value.empty();
}

}  // namespace

std::string IniEscape(const std::string& value) {
    bool quote = !value.empty() && (value.front() == ' ' || value.back() == ' ');
    std::string text;
    for (char c : value) {
        if (c == '\\' || c == '"') {
            text += '\\';
            text += c;
        } else {
            if (c == ';' || c == ',' || c == '=') quote = true;
            text += c;
        }
    }
    return quote ? "\"" + text + "\"" : text;
}

std::string IniUnescape(const std::string& text) {
    std::string value;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') continue;  // quotes only group; they are not part of the value
        if (c == '\\' && i + 1 < text.size()) {
            const char next = text[++i];
            value += next == 'n' ? '\n' : next == 't' ? '\t' : next == 'r' ? '\r' : next;
            continue;
        }
        value += c;
    }
    return value;
}

IniStore::IniStore(std::string path) : path_(std::move(path)) {
    std::ifstream in(PathFromUtf8(path_), std::ios::binary);
    std::string line;
    std::string group = "General";
    while (std::getline(in, line)) {
        line = Trimmed(line);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line.front() == '[' && line.back() == ']') {
            group = Trimmed(line.substr(1, line.size() - 2));
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = Trimmed(line.substr(0, equals));
        const std::string value = IniUnescape(Trimmed(line.substr(equals + 1)));
        Write(group == "General" ? key : group + "/" + key, value);
    }
}

std::optional<std::string> IniStore::Read(const std::string& key) {
    std::string group, name;
    SplitKey(key, group, name);
    for (const auto& [g, keys] : groups_) {
        if (g != group) continue;
        const auto found = keys.find(name);
        if (found != keys.end()) return found->second;
    }
    return std::nullopt;
}

void IniStore::Write(const std::string& key, const std::string& value) {
    std::string group, name;
    SplitKey(key, group, name);
    for (auto& [g, keys] : groups_) {
        if (g == group) {
            keys[name] = value;
            return;
        }
    }
    groups_.push_back({group, {{name, value}}});
}

bool IniStore::Commit(std::string& error) {
    std::ostringstream text;
    bool first = true;
    for (const auto& [group, keys] : groups_) {
        if (!first) text << '\n';
        first = false;
        text << '[' << group << "]\n";
        for (const auto& [name, value] : keys) text << name << '=' << IniEscape(value) << '\n';
    }
    const std::filesystem::path path = PathFromUtf8(path_);
    std::error_code ec;
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
    // Beside the file, then over it: a full disk leaves the old settings.
    const std::filesystem::path temporary = PathFromUtf8(path_ + ".new");
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text.str();
        out.close();
        if (!out) {
            std::filesystem::remove(temporary, ec);
            error = "cannot write the settings file " + path_;
            return false;
        }
    }
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        std::filesystem::remove(temporary, ec);
        error = "cannot write the settings file " + path_ + ": " + ec.message();
        return false;
    }
    return true;
}

std::string SettingsPath() {
    std::string value;
    if (Environment("VORN_SETTINGS_FILE", value)) return value;
#ifdef _WIN32
    if (Environment("APPDATA", value)) return value + "\\Vorn\\vorn.ini";
#else
    if (Environment("XDG_CONFIG_HOME", value)) return value + "/Vorn/vorn.conf";
    if (Environment("HOME", value)) return value + "/.config/Vorn/vorn.conf";
#endif
    return {};
}

bool SettingsDisabled() {
    std::string off;
    return Environment("VORN_NO_SETTINGS", off) && off != "0";
}

std::unique_ptr<SettingsStore> OpenUserSettings() {
    if (SettingsDisabled()) return nullptr;
    const std::string path = SettingsPath();
    if (path.empty()) return nullptr;
    return std::make_unique<IniStore>(path);
}

}  // namespace vorn
