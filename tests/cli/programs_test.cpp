// Small programs with their expected output written inside them: a
// "// run:" line with vornc run's arguments and "// expect:" lines, in
// order. Each runs through the real vornc with --fast.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/program_script.h"
#include "tests/cli/vornc_process.h"

namespace vorn::test {
namespace {

const std::string kFolder = std::string(VORN_SOURCE_DIR) + "/tests/cli/programs";

std::vector<std::string> ProgramFiles() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(kFolder)) {
        if (entry.path().extension() == ".vrn") names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class Programs : public ::testing::TestWithParam<std::string> {};

TEST_P(Programs, PrintWhatTheySayTheyPrint) {
    const ProgramScript script = ReadProgramScript(kFolder + "/" + GetParam());
    ASSERT_TRUE(script.readable) << GetParam();
    std::vector<std::string> args = {"run", kFolder + "/" + GetParam(), "--fast"};
    args.insert(args.end(), script.args.begin(), script.args.end());
    const std::vector<std::string>& expected = script.expected;
    ASSERT_TRUE(script.sawRun) << "no // run: line";
    ASSERT_FALSE(expected.empty()) << "no // expect: lines";
    const auto r = RunVornc(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.OutLines(), expected) << r.err;
}

INSTANTIATE_TEST_SUITE_P(Language, Programs, ::testing::ValuesIn(ProgramFiles()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             return info.param.substr(0, info.param.find('.'));
                         });

}  // namespace
}  // namespace vorn::test
