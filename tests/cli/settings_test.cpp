// The settings file through `vornc settings`: which layer wins (command line
// > environment > stored > default), the range of every number, and a
// damaged value that is ignored with one line naming its key.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "tests/cli/vornc_process.h"

namespace vorn::test {
namespace {

struct PrecedenceCase {
    const char* name;
    const char* file;  // the settings file's text; nullptr: no file
    std::vector<std::pair<std::string, std::string>> environment;
    std::vector<std::string> args;
    const char* line;     // the line `vornc settings` prints for the key
    const char* warning;  // on stderr, or ""
};

class SettingsPrecedence : public ::testing::TestWithParam<PrecedenceCase> {};

TEST_P(SettingsPrecedence, TheRightLayerWins) {
    const PrecedenceCase& c = GetParam();
    TempProgram folder("", "unused.vrn");
    const std::string file = folder.Folder() + "/vorn.conf";
    if (c.file != nullptr) folder.Write("vorn.conf", c.file);
    ProcessOptions options;
    options.environment = {{"VORN_NO_SETTINGS", ""}, {"VORN_SETTINGS_FILE", file}};
    for (const auto& pair : c.environment) options.environment.push_back(pair);
    std::vector<std::string> args = {"settings"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ProcessResult r = RunVornc(args, options);
    EXPECT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> lines = r.OutLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), c.line), lines.end()) << r.out;
    if (c.warning[0] == '\0') {
        EXPECT_EQ(r.err, "");
    } else {
        EXPECT_EQ(r.ErrLines().size(), 1u) << r.err;
        EXPECT_NE(r.err.find(c.warning), std::string::npos) << r.err;
    }
}

const char* const kStored = "[Link]\nTimeoutMs=500\nAttempts=3\nMessageName=Stored:IPC\n";

INSTANTIATE_TEST_SUITE_P(
    Layers, SettingsPrecedence,
    ::testing::Values(
        PrecedenceCase{"default", nullptr, {}, {}, "Link/TimeoutMs=2000 (default)", ""},
        PrecedenceCase{"name_default", nullptr, {}, {}, "Link/MessageName=FsasmLib:IPC (default)", ""},
        PrecedenceCase{"stored", kStored, {}, {}, "Link/TimeoutMs=500 (stored)", ""},
        PrecedenceCase{"environment_over_stored", kStored, {{"VORN_IPC_TIMEOUT_MS", "700"}}, {},
                       "Link/TimeoutMs=700 (environment)", ""},
        PrecedenceCase{"command_line_over_environment", kStored, {{"VORN_IPC_TIMEOUT_MS", "700"}},
                       {"--ipc-timeout-ms", "900"}, "Link/TimeoutMs=900 (command line)", ""},
        PrecedenceCase{"name_from_the_environment", kStored, {{"VORN_IPC_NAME", "Env:IPC"}}, {},
                       "Link/MessageName=Env:IPC (environment)", ""},
        PrecedenceCase{"name_from_the_command_line", kStored, {{"VORN_IPC_NAME", "Env:IPC"}},
                       {"--ipc-name=Cli:IPC"}, "Link/MessageName=Cli:IPC (command line)", ""},
        PrecedenceCase{"no_settings_option", kStored, {}, {"--no-settings"}, "Link/Attempts=10 (default)", ""},
        PrecedenceCase{"no_settings_variable", kStored, {{"VORN_NO_SETTINGS", "1"}}, {},
                       "Link/Attempts=10 (default)", ""},
        PrecedenceCase{"timeout_at_its_top", "[Link]\nTimeoutMs=600000\n", {}, {}, "Link/TimeoutMs=600000 (stored)", ""},
        PrecedenceCase{"timeout_above_its_top", "[Link]\nTimeoutMs=600001\n", {}, {}, "Link/TimeoutMs=2000 (default)",
                       "Setting Link/TimeoutMs in"},
        PrecedenceCase{"timeout_at_its_bottom", "[Link]\nTimeoutMs=1\n", {}, {}, "Link/TimeoutMs=1 (stored)", ""},
        PrecedenceCase{"timeout_below_its_bottom", "[Link]\nTimeoutMs=0\n", {}, {}, "Link/TimeoutMs=2000 (default)",
                       "Setting Link/TimeoutMs in"},
        PrecedenceCase{"attempts_at_its_top", "[Link]\nAttempts=100\n", {}, {}, "Link/Attempts=100 (stored)", ""},
        PrecedenceCase{"attempts_above_its_top", "[Link]\nAttempts=101\n", {}, {}, "Link/Attempts=10 (default)",
                       "Setting Link/Attempts in"},
        PrecedenceCase{"damaged_switch", "[Link]\nReconnect=maybe\n", {}, {}, "Link/Reconnect=false (default)",
                       "Setting Link/Reconnect in"},
        PrecedenceCase{"empty_name", "[Link]\nMessageName=\n", {}, {}, "Link/MessageName=FsasmLib:IPC (default)",
                       "Setting Link/MessageName in"},
        PrecedenceCase{"window_width", "[Window]\nWidth=199\nHeight=150\n", {}, {}, "Window/Height=150 (stored)",
                       "Setting Window/Width in"}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadOptionCase {
    const char* name;
    std::vector<std::string> args;
    std::vector<std::pair<std::string, std::string>> environment;
    const char* message;
};

class SettingsBadValue : public ::testing::TestWithParam<BadOptionCase> {};

// A bad value the user gave now is an error, never silently replaced.
TEST_P(SettingsBadValue, IsRefusedWithItsName) {
    const BadOptionCase& c = GetParam();
    ProcessOptions options;
    options.environment = c.environment;
    std::vector<std::string> args = {"settings", "--no-settings"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ProcessResult r = RunVornc(args, options);
    EXPECT_NE(r.status, 0);
    EXPECT_NE((r.out + r.err).find(c.message), std::string::npos) << r.out << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Values, SettingsBadValue,
    ::testing::Values(BadOptionCase{"attempts_zero", {"--ipc-attempts", "0"}, {}, "--ipc-attempts 0: expected"},
                      BadOptionCase{"timeout_too_long", {"--ipc-timeout-ms=600001"}, {}, "--ipc-timeout-ms 600001"},
                      BadOptionCase{"no_value", {"--ipc-name"}, {}, "--ipc-name needs a value"},
                      BadOptionCase{"bad_variable", {}, {{"VORN_IPC_ATTEMPTS", "many"}}, "VORN_IPC_ATTEMPTS=many"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SettingsFile, SetStoresAValueTheNextRunReads) {
    TempProgram folder("", "unused.vrn");
    ProcessOptions options;
    options.environment = {{"VORN_NO_SETTINGS", ""}, {"VORN_SETTINGS_FILE", folder.Folder() + "/sub/vorn.conf"}};
    const std::string path = "C:\\Flights\\a, b.vrn";
    ProcessResult r = RunVornc({"settings", "--set", "Link/Attempts=7", "--set", "RecentFiles/File1=" + path}, options);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string text = ReadWholeFile(folder.Folder() + "/sub/vorn.conf");
    EXPECT_NE(text.find("[Link]\nAttempts=7\n"), std::string::npos) << text;
    EXPECT_NE(text.find("File1=\"C:\\\\Flights\\\\a, b.vrn\""), std::string::npos) << text;
    r = RunVornc({"settings"}, options);
    EXPECT_NE(r.out.find("Link/Attempts=7 (stored)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("RecentFiles/File1=" + path + " (stored)"), std::string::npos) << r.out;
    r = RunVornc({"settings", "--set", "Link/Attempts=101"}, options);
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("Link/Attempts: expected a whole number from 1 to 100"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace vorn::test
