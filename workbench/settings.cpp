#include "workbench/settings.h"

#include <cstdlib>

namespace vorn {
namespace {

constexpr SettingInfo kTable[] = {
#define VORN_SETTING(id, key, type, value, min, max, env, option) \
    {SettingId::id, key, SettingType::type, value, min, max, env, option},
#include "workbench/settings.def"
#undef VORN_SETTING
};

bool ParseWhole(const std::string& text, std::int64_t min, std::int64_t max, std::int64_t& value) {
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative) i = 1;
    if (i >= text.size()) return false;
    std::int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > 1'000'000'000) return false;  // far beyond every range of the table
    }
    value = negative ? -magnitude : magnitude;
    return value >= min && value <= max;
}

}  // namespace

std::span<const SettingInfo> SettingTable() { return kTable; }

const SettingInfo& InfoOf(SettingId id) { return kTable[static_cast<std::size_t>(id)]; }

const SettingInfo* FindSettingKey(const std::string& key) {
    for (const SettingInfo& info : kTable)
        if (key == info.key) return &info;
    return nullptr;
}

const SettingInfo* FindSettingOption(const std::string& option) {
    for (const SettingInfo& info : kTable)
        if (info.option[0] != '\0' && option == info.option) return &info;
    return nullptr;
}

bool CheckSetting(const SettingInfo& info, const std::string& text, std::string& reason) {
    switch (info.type) {
        case SettingType::kNumber: {
            std::int64_t value = 0;
            if (ParseWhole(text, info.min, info.max, value)) return true;
            reason = "expected a whole number from " + std::to_string(info.min) + " to " + std::to_string(info.max);
            return false;
        }
        case SettingType::kSwitch:
            if (text == "true" || text == "false") return true;
            reason = "expected true or false";
            return false;
        case SettingType::kText:
            break;
    }
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F) {
            reason = "the text holds a control character";
            return false;
        }
    }
    if (std::int64_t(text.size()) < info.min || std::int64_t(text.size()) > info.max) {
        reason = "expected " + std::to_string(info.min) + " to " + std::to_string(info.max) + " characters";
        return false;
    }
    return true;
}

const char* SourceName(SettingSource source) {
    switch (source) {
        case SettingSource::kDefault: return "default";
        case SettingSource::kStored: return "stored";
        case SettingSource::kEnvironment: return "environment";
        case SettingSource::kCommandLine: return "command line";
    }
    return "default";
}

Settings::Settings() {
    for (const SettingInfo& info : kTable) defaults_[Index(info.id)] = info.defaultValue;
}

void Settings::Load(SettingsStore& store, std::vector<std::string>& messages) {
    for (const SettingInfo& info : kTable) {
        std::optional<std::string> value = store.Read(info.key);
        stored_[Index(info.id)].reset();
        if (!value) continue;
        std::string reason;
        if (!CheckSetting(info, *value, reason)) {
            messages.push_back(std::string("Setting ") + info.key + " in " + store.Where() + " ignored: " + reason);
            continue;
        }
        stored_[Index(info.id)] = std::move(*value);
    }
}

bool Settings::SetOption(SettingId id, const std::string& value, std::string& error) {
    const SettingInfo& info = InfoOf(id);
    std::string reason;
    if (!CheckSetting(info, value, reason)) {
        error = std::string(info.option) + " " + value + ": " + reason;
        return false;
    }
    option_[Index(id)] = value;
    return true;
}

bool Settings::Change(SettingId id, const std::string& value, std::string& error) {
    const SettingInfo& info = InfoOf(id);
    std::string reason;
    if (!CheckSetting(info, value, reason)) {
        error = std::string(info.key) + ": " + reason;
        return false;
    }
    stored_[Index(id)] = value;
    option_[Index(id)].reset();
    if (store_ == nullptr) return true;
    store_->Write(info.key, value);
    return store_->Commit(error);
}

bool Settings::Value(SettingId id, std::string& value, SettingSource& source, std::string& error) const {
    const SettingInfo& info = InfoOf(id);
    if (option_[Index(id)]) {
        value = *option_[Index(id)];
        source = SettingSource::kCommandLine;
        return true;
    }
    const char* env = info.environment[0] != '\0' ? std::getenv(info.environment) : nullptr;
    if (env != nullptr && env[0] != '\0') {
        std::string reason;
        if (!CheckSetting(info, env, reason)) {
            error = std::string(info.environment) + "=" + env + ": " + reason;
            return false;
        }
        value = env;
        source = SettingSource::kEnvironment;
        return true;
    }
    if (stored_[Index(id)]) {
        value = *stored_[Index(id)];
        source = SettingSource::kStored;
        return true;
    }
    value = defaults_[Index(id)];
    source = SettingSource::kDefault;
    return true;
}

std::string Settings::Text(SettingId id) const {
    std::string value, error;
    SettingSource source;
    if (Value(id, value, source, error)) return value;
    return stored_[Index(id)] ? *stored_[Index(id)] : defaults_[Index(id)];
}

std::int64_t Settings::Number(SettingId id) const { return std::strtoll(Text(id).c_str(), nullptr, 10); }

bool Settings::Switch(SettingId id) const { return Text(id) == "true"; }

const std::string& Settings::Stored(SettingId id) const {
    return stored_[Index(id)] ? *stored_[Index(id)] : defaults_[Index(id)];
}

bool Settings::LinkConfig(std::string& name, IpcTiming& timing, std::string& error) const {
    std::string timeout, attempts;
    SettingSource source;
    if (!Value(SettingId::kIpcName, name, source, error) || !Value(SettingId::kIpcTimeoutMs, timeout, source, error) ||
        !Value(SettingId::kIpcAttempts, attempts, source, error))
        return false;
    timing.timeoutMs = std::uint32_t(std::strtoul(timeout.c_str(), nullptr, 10));
    timing.attempts = int(std::strtol(attempts.c_str(), nullptr, 10));
    return true;
}

}  // namespace vorn
