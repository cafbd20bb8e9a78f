// vornc never reports success after a failed write and never destroys its
// input: image paths, full disks, closed pipes and expansions too large.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/cli/vornc_process.h"

namespace vorn::test {
namespace {

const std::string kProgram = "int n;\nkey(Control, 'G') { n = n + 1; printstr(\"pressed\"); }\n";

// 27,000 lines of a 10,000-character define: 270 MB expanded, from 60 KB.
std::string DefineBomb() {
    std::string text = "#define A " + std::string(10000, 'x') + "\n";
    for (int i = 0; i < 27000; ++i) text += "A\n";
    return text;
}

// 1 MB included 260 times.
std::string IncludeBomb(const TempProgram& p) {
    std::string line(1023, 'y');
    std::string big;
    for (int i = 0; i < 1024; ++i) big += line + "\n";
    p.Write("big.inc", big);
    std::string text;
    for (int i = 0; i < 260; ++i) text += "#include \"big.inc\"\n";
    return text;
}

struct CheckCase {
    const char* name;
    std::vector<std::string> args;  // FILE is the program's path, DIR its folder
    int stdoutTo;                   // 0 a file, 1 /dev/full, 2 a pipe nobody reads
    int status;
    std::string err;  // a part of standard error
    int bomb = 0;     // 1: the define bomb, 2: the include bomb
};

const CheckCase kCases[] = {
    {"image_is_the_source", {"compile", "--image", "FILE", "FILE"}, 0, 2, "would overwrite the source"},
    {"image_is_the_source_by_another_name", {"compile", "--image", "DIR/./sub/../program.vrn", "FILE"}, 0, 2,
     "would overwrite the source"},
    {"image_is_a_hard_link_to_the_source", {"compile", "--image", "DIR/link.vrn", "FILE"}, 0, 2,
     "would overwrite the source"},
    {"image_folder_missing", {"compile", "--image", "DIR/none/out.img", "FILE"}, 0, 2, "cannot write"},
    {"expand_to_a_full_disk", {"expand", "FILE"}, 1, 6, "cannot write to standard output"},
    {"tokens_to_a_full_disk", {"tokens", "FILE"}, 1, 6, "cannot write to standard output"},
    {"listing_to_a_full_disk", {"compile", "--listing", "FILE"}, 1, 6,
     "cannot write to standard output"},
    {"run_to_a_full_disk", {"run", "FILE", "--fast", "--ticks", "2", "--press", "Ctrl+G@1"},
     1, 6, "cannot write to standard output"},
    {"expand_to_a_closed_pipe", {"expand", "FILE"}, 2, 6, "cannot write to standard output"},
    {"run_to_a_closed_pipe", {"run", "FILE", "--fast", "--ticks", "2", "--press", "Ctrl+G@1"},
     2, 6, "cannot write to standard output"},
    {"expand_define_bomb", {"expand", "FILE"}, 0, 3, "larger than 256 MB", 1},
    {"compile_define_bomb", {"compile", "FILE"}, 0, 3, "larger than 256 MB", 1},
    {"expand_include_bomb", {"expand", "FILE"}, 0, 3, "larger than 256 MB", 2},
};

class CommandLineChecks : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CommandLineChecks, ReportFailureAndKeepTheSource) {
    const CheckCase& c = GetParam();
    TempProgram program(kProgram);
    if (c.bomb == 1) program.Write("program.vrn", DefineBomb());
    if (c.bomb == 2) program.Write("program.vrn", IncludeBomb(program));
    const std::string source = ReadWholeFile(program.Path());
    ASSERT_EQ(::link(program.Path().c_str(), (program.Folder() + "/link.vrn").c_str()), 0);
    std::filesystem::create_directory(program.Folder() + "/sub");

    std::vector<std::string> args;
    for (std::string a : c.args) {
        if (a == "FILE") a = program.Path();
        if (a.rfind("DIR", 0) == 0) a = program.Folder() + a.substr(3);
        args.push_back(a);
    }
    ProcessOptions options;
    options.folder = program.Folder();
    if (c.stdoutTo == 1) options.stdoutFile = "/dev/full";
    options.closedStdout = c.stdoutTo == 2;
    const ProcessResult r = RunVornc(args, options);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    EXPECT_EQ(ReadWholeFile(program.Path()), source) << "the source is untouched";
    for (const auto& entry : std::filesystem::directory_iterator(program.Folder()))
        EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << "left half-written: " << entry.path();
}

INSTANTIATE_TEST_SUITE_P(Cases, CommandLineChecks, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CommandLineChecks, ImageReplacesAnOldOneWhole) {
    TempProgram program(kProgram);
    const std::string image = program.Folder() + "/out.img";
    program.Write("out.img", std::string(100000, 'z'));
    const ProcessResult r = RunVornc({"compile", "--image", image, program.Path()});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string written = ReadWholeFile(image);
    EXPECT_LT(written.size(), 1000u) << "the old, longer image is gone entirely";
    EXPECT_EQ(written.find('z'), std::string::npos);
}

}  // namespace
}  // namespace vorn::test
