#include "cli/settings_options.h"

#include "workbench/ini_store.h"

namespace vorn::cli {

std::vector<OptionHelp> SettingOptionHelp() {
    std::vector<OptionHelp> help;
    for (const SettingInfo& info : SettingTable()) {
        if (info.option[0] == '\0' || info.type == SettingType::kSwitch) continue;
        std::string explanation = std::string("the setting ") + info.key + " for this run";
        if (info.environment[0] != '\0') explanation += std::string(" (over ") + info.environment + ")";
        help.push_back({std::string(info.option) + " VALUE", explanation});
    }
    help.push_back({"--no-settings", "ignore the settings file, as VORN_NO_SETTINGS=1 does"});
    return help;
}

bool TakeSettingOption(const std::vector<std::string>& args, std::size_t& i, SettingOptions& options,
                       std::string& error) {
    const std::string& arg = args[i];
    if (arg == "--no-settings") {
        options.noSettings = true;
        return true;
    }
    const std::size_t equals = arg.find('=');
    const SettingInfo* info = FindSettingOption(arg.substr(0, equals));
    if (info == nullptr || info->type == SettingType::kSwitch) return false;
    if (equals != std::string::npos) {
        options.values.push_back({info->id, arg.substr(equals + 1)});
    } else if (i + 1 < args.size()) {
        options.values.push_back({info->id, args[++i]});
    } else {
        error = arg + " needs a value";
    }
    return true;
}

bool LoadSettings(const SettingOptions& options, Settings& settings, std::unique_ptr<SettingsStore>& store,
                  std::vector<std::string>& messages, std::string& error) {
    if (!options.noSettings) store = OpenUserSettings();
    if (store) settings.Load(*store, messages);
    settings.AttachStore(store.get());
    for (const auto& [id, value] : options.values) {
        if (!settings.SetOption(id, value, error)) return false;
    }
    return true;
}

bool LoadSettingsTelling(const SettingOptions& options, Settings& settings, std::unique_ptr<SettingsStore>& store,
                         const std::function<void(const std::string&)>& complain) {
    std::vector<std::string> messages;
    std::string error;
    const bool ok = LoadSettings(options, settings, store, messages, error);
    for (const std::string& line : messages) complain(line);
    if (!ok) complain(error);
    return ok;
}

}  // namespace vorn::cli
