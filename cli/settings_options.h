#pragma once
// The settings options every vornc command that connects takes: the link's
// values from the command line (--ipc-name ...) over the environment over
// the settings file, and --no-settings.
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "cli/command.h"
#include "workbench/settings.h"

namespace vorn::cli {

struct SettingOptions {
    bool noSettings = false;
    std::vector<std::pair<SettingId, std::string>> values;  // as given, checked when applied
};

// The table's options that take a value, and --no-settings, for the help.
std::vector<OptionHelp> SettingOptionHelp();

// When args[i] is one of them: true, i past its value, the value in
// `options` (or `error` set when the value is missing).
bool TakeSettingOption(const std::vector<std::string>& args, std::size_t& i, SettingOptions& options,
                       std::string& error);

// The store (none with --no-settings or VORN_NO_SETTINGS=1), loaded, then the
// command line over it. A damaged stored value is only a line in `messages`;
// a bad option value is an error.
bool LoadSettings(const SettingOptions& options, Settings& settings, std::unique_ptr<SettingsStore>& store,
                  std::vector<std::string>& messages, std::string& error);
// LoadSettings for a command: the messages and the error go to `complain`
// (the command's own voice on stderr); false on an error.
bool LoadSettingsTelling(const SettingOptions& options, Settings& settings, std::unique_ptr<SettingsStore>& store,
                         const std::function<void(const std::string&)>& complain);

}  // namespace vorn::cli
