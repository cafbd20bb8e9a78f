// The example programs: every one compiles, and the ones with hot keys run
// under scripted presses with the output a user would see.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/cli/vornc_process.h"

namespace vorn::test {
namespace {

std::string Example(const std::string& name) { return std::string(VORN_SOURCE_DIR) + "/examples/" + name; }

TEST(Examples, EveryExampleCompilesAndConnects) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(VORN_SOURCE_DIR) + "/examples")) {
        if (entry.path().extension() != ".vrn") continue;
        ++count;
        const auto r = RunVornc({"run", entry.path().string(), "--fast", "--ticks", "1"});
        EXPECT_EQ(r.status, 0) << entry.path() << "\n" << r.err;
    }
    EXPECT_GE(count, 6);
}

struct ExampleRun {
    const char* name;
    std::vector<std::string> args;
    std::vector<std::string> output;
};

std::ostream& operator<<(std::ostream& os, const ExampleRun& e) { return os << e.name; }

class ExampleRuns : public ::testing::TestWithParam<ExampleRun> {};

TEST_P(ExampleRuns, PrintWhatTheyShould) {
    std::vector<std::string> args = {"run", Example(GetParam().name), "--fast"};
    args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
    const auto r = RunVornc(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.OutLines(), GetParam().output);
    EXPECT_EQ(r.err, "");
}

INSTANTIATE_TEST_SUITE_P(
    Programs, ExampleRuns,
    ::testing::Values(
        ExampleRun{"math.vrn",
                   {"--ticks", "2", "--press", "Ctrl+M@1"},
                   {"gcd(1071, 462) = 21", "7! = 5040", "3^13 = 1594323", "15.5 C = 59.90 F"}},
        ExampleRun{"arrays.vrn",
                   {"--ticks", "20", "--press", "Ctrl+A@1"},
                   {"Sorted: 40 90 130 180 220 270 310 360", "Lowest 40, highest 360, mean 200"}},
        ExampleRun{"countdown.vrn",
                   {"--ticks", "45", "--press", "Ctrl+T@1"},
                   {"Countdown 1: T-3", "Countdown 1: T-2", "Countdown 1: T-1", "Beat 1", "Go", "Beat 2"}},
        ExampleRun{"hotkeys.vrn",
                   {"--ticks", "5", "--press", "Ctrl+G@1", "--press", "Ctrl+G@2", "--press", "Ctrl+Shift+K@3",
                    "--press", "Ctrl+P@4", "--press", "Ctrl+P@5"},
                   {"Ctrl+G pressed 1 times", "Ctrl+G pressed 2 times", "Ctrl+Shift+K, flag byte 1",
                    "Simulator paused", "Simulator running"}},
        ExampleRun{"blocks.vrn",
                   {"--ticks", "2", "--poke", "0x0238:1=13", "--poke", "0x0239:1=5", "--poke", "0x023A:1=9",
                    "--press", "Ctrl+B@1", "--press", "Ctrl+W@2"},
                   {"Clock 13 h 5 min 9 s", "Altitude hold 1 at 914 m"}}),
    [](const ::testing::TestParamInfo<ExampleRun>& info) {
        std::string name = info.param.name;
        return name.substr(0, name.find('.'));
    });

TEST(Examples, DemoFliesTheModelAndLogs) {
    // The demo's own script (scripts/demo), run back to back.
    const auto r = RunVornc({"run", Example("demo.vrn"), "--model", "--fast", "--seconds", "8", "--press",
                             "Ctrl+S@5", "--press", "Ctrl+L@10", "--press", "Ctrl+H@30", "--press", "Ctrl+S@75"});
    EXPECT_EQ(r.status, 0) << r.err;
    const auto lines = r.OutLines();
    const auto status = std::count_if(lines.begin(), lines.end(), [](const std::string& l) {
        return l.rfind("12:00:0", 0) == 0 && l.find(" ALT ") != std::string::npos;
    });
    EXPECT_EQ(status, 7) << r.out;
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Flight log done"), lines.end()) << r.out;
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Heading bug now 90"), lines.end()) << r.out;
    // The aircraft climbs: the last status line shows more altitude than the first.
    const auto altitude = [](const std::string& line) { return std::stoi(line.substr(line.find("ALT ") + 4)); };
    ASSERT_FALSE(lines.empty());
    EXPECT_GT(altitude(lines.back()), altitude(lines.front()));
}

}  // namespace
}  // namespace vorn::test
