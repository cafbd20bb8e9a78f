// vornc settings: every remembered setting with the value that counts and
// where it comes from; --set KEY=VALUE stores one.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/settings_options.h"
#include "workbench/ini_store.h"

namespace vorn::cli {

namespace {

void Complain(const std::string& message) { std::fprintf(stderr, "vornc settings: %s\n", message.c_str()); }

std::vector<OptionHelp> Options() {
    std::vector<OptionHelp> help = SettingOptionHelp();
    help.push_back({"--set KEY=VALUE", "store VALUE under KEY (Link/TimeoutMs=500) in the settings file", true});
    return help;
}

int RunSettings(const std::vector<std::string>& args) {
    SettingOptions options;
    std::vector<std::pair<const SettingInfo*, std::string>> sets;
    std::string error;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (TakeSettingOption(args, i, options, error)) {
            if (!error.empty()) break;
            continue;
        }
        if (args[i] == "--set" && i + 1 < args.size()) {
            const std::string& pair = args[++i];
            const std::size_t equals = pair.find('=');
            const SettingInfo* info = FindSettingKey(pair.substr(0, equals));
            if (equals == std::string::npos || info == nullptr) {
                error = "--set " + pair + ": expected KEY=VALUE with a KEY this list shows";
                break;
            }
            sets.push_back({info, pair.substr(equals + 1)});
            continue;
        }
        error = "unknown argument " + args[i];
        break;
    }
    if (!error.empty()) {
        Complain(error);
        std::fprintf(stderr, "usage: vornc %s\n", UsageOf("settings").c_str());
        return kExitUsage;
    }
    Settings settings;
    std::unique_ptr<SettingsStore> store;
    std::vector<std::string> messages;
    const bool loaded = LoadSettings(options, settings, store, messages, error);
    for (const std::string& line : messages) Complain(line);
    if (!loaded) {
        Complain(error);
        return kExitUsage;
    }
    for (const auto& [info, value] : sets) {
        if (!store) {
            Complain("settings are off (--no-settings or VORN_NO_SETTINGS): nothing stored");
            return kExitCommandError;
        }
        if (!settings.Change(info->id, value, error)) {
            Complain(error);
            return kExitCommandError;
        }
    }
    std::printf("# %s\n", store ? store->Where().c_str() : "no settings file");
    int status = kExitOk;
    for (const SettingInfo& info : SettingTable()) {
        std::string value;
        SettingSource source = SettingSource::kDefault;
        if (!settings.Value(info.id, value, source, error)) {
            // A bad variable is refused where it is used (Connect), so it is an error here too.
            Complain(std::string(info.key) + ": " + error);
            status = kExitCommandError;
            continue;
        }
        std::printf("%s=%s (%s)\n", info.key, value.c_str(), SourceName(source));
    }
    return status;
}

const CommandRegistration kRegistration({"settings", "", RunSettings,
                                         "print every remembered setting, the value that counts and where it comes from "
                                         "(command line, environment, stored, default)",
                                         Options(),
                                         {kExitOk, kExitUsage, kExitCommandError, kExitWriteFailed}});

}  // namespace

}  // namespace vorn::cli
