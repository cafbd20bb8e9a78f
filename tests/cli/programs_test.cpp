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
    std::ifstream in(kFolder + "/" + GetParam());
    ASSERT_TRUE(in) << GetParam();
    std::vector<std::string> args = {"run", kFolder + "/" + GetParam(), "--fast"};
    std::vector<std::string> expected;
    std::string line;
    bool sawRun = false;
    while (std::getline(in, line)) {
        const auto mark = line.find("// ");
        if (mark == std::string::npos) continue;
        const std::string comment = line.substr(mark + 3);
        if (comment.rfind("run:", 0) == 0) {
            std::istringstream words(comment.substr(4));
            std::string word;
            while (words >> word) args.push_back(word);
            sawRun = true;
        } else if (comment.rfind("expect:", 0) == 0) {
            expected.push_back(comment.size() > 8 ? comment.substr(8) : "");
        }
    }
    ASSERT_TRUE(sawRun) << "no // run: line";
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
