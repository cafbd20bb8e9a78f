// Finding the error and watching the values, through the real vornc: every
// diagnostic as FILE:LINE on stderr, runtime errors with their source line
// and exit 5, --watch lines, and a help for every command.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/cli/vornc_process.h"
#include "tests/fsuipc/private_runtime_dir.h"

namespace vorn::test {
namespace {

const char* const kLib = "int shared;\nint other\nint more;\n";

struct DiagnosticCase {
    const char* name;
    const char* program;  // prog.vrn; lib.vrn holds kLib
    std::vector<std::string> stderrLines;
    std::vector<std::string> listing;  // stdout, unchanged expanded-line numbers
    const char* lib = kLib;
};

std::ostream& operator<<(std::ostream& os, const DiagnosticCase& c) { return os << c.name; }

class Diagnostics : public ::testing::TestWithParam<DiagnosticCase> {};

// The folders a missing include was looked in depend on the machine; the
// library tests check them.
std::vector<std::string> WithoutFolders(std::vector<std::string> lines) {
    for (std::string& line : lines) {
        const std::size_t at = line.find(" (looked in ");
        if (at != std::string::npos) line.erase(at);
    }
    return lines;
}

TEST_P(Diagnostics, NameTheFileAndLineTheUserWrote) {
    const DiagnosticCase& c = GetParam();
    TempProgram program(c.program, "prog.vrn");
    program.Write("lib.vrn", c.lib);
    ProcessOptions inFolder;
    inFolder.folder = program.Folder();
    const ProcessResult r = RunVornc({"compile", "prog.vrn"}, inFolder);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(WithoutFolders(r.ErrLines()), c.stderrLines);
    EXPECT_EQ(r.OutLines(), c.listing);

    // run reports the same places, the main file as named, includes below its folder
    const ProcessResult run = RunVornc({"run", program.Path(), "--fast", "--ticks", "1"});
    EXPECT_EQ(run.status, 1);
    std::vector<std::string> expected;
    for (std::string line : c.stderrLines) {
        expected.push_back(program.Folder() + "/" + line);
    }
    expected.push_back("vornc run: the program has errors");
    EXPECT_EQ(WithoutFolders(run.ErrLines()), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Diagnostics,
    ::testing::Values(
        DiagnosticCase{"MainFile",
                       "int a;\nkey(Control, 'G') {\n  b = 1;\n  a = c;\n}\n",
                       {"prog.vrn:3: Undeclared identifier b at or before ;",
                        "prog.vrn:4: Undefined variable c at or before ;"},
                       {": 3: Undeclared identifier b at or before ;", ": 4: Undefined variable c at or before ;"}},
        DiagnosticCase{"IncludedFile", "int a;\n#include \"lib.vrn\"\nint b;\n",
                       {"lib.vrn:3: syntax error at or before int"},
                       {": 4: syntax error at or before int"}},
        DiagnosticCase{"AfterDefines", "#define ONE 1\n#define TWO 2\nint a;\nkey(Control, 'G') {\n  a = ONE + x;\n}\n",
                       {"prog.vrn:5: Undefined variable x at or before ;"},
                       {": 3: Undefined variable x at or before ;"}},
        DiagnosticCase{"FromTheExpander", "int a;\n#include \"missing.vrn\"\nint b;\n",
                       {"prog.vrn:2: error - file does not exist:#include \"missing.vrn\"",
                        "prog.vrn:2: syntax error at or before -"},
                       {": 2: syntax error at or before -"}},
        DiagnosticCase{"AtTheEndOfAnInclude", "int a;\n#include \"lib.vrn\"\n",
                       {"lib.vrn:2: syntax error at or before "},
                       {": 3: syntax error at or before "},
                       "int b;\nint c\n"}));

struct RuntimeCase {
    const char* name;
    const char* program;
    const char* lib;
    std::string place;  // in the runtime error line
    std::string what = "division by zero";
};

std::ostream& operator<<(std::ostream& os, const RuntimeCase& c) { return os << c.name; }

class RuntimeErrors : public ::testing::TestWithParam<RuntimeCase> {
protected:
    testing::PrivateRuntimeDir runtime_;
};

TEST_P(RuntimeErrors, NameTheSourceLineAndEndWithStatus5) {
    const RuntimeCase& c = GetParam();
    TempProgram program(c.program, "prog.vrn");
    program.Write("lib.vrn", c.lib);
    ProcessOptions inFolder;
    inFolder.folder = program.Folder();
    const ProcessResult r = RunVornc({"run", "prog.vrn", "--fast", "--ticks", "2", "--press", "Ctrl+G@1"}, inFolder);
    EXPECT_EQ(r.status, 5) << r.err;
    const auto out = r.OutLines();
    ASSERT_EQ(out.size(), 1u) << r.out;
    EXPECT_NE(out[0].find("Runtime error in process 0 at PC "), std::string::npos) << out[0];
    EXPECT_NE(out[0].find(" (" + c.place + "): " + c.what), std::string::npos) << out[0];
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RuntimeErrors,
    ::testing::Values(
        RuntimeCase{"MainFile",
                    "#define ZERO 0\nint a;\nint z;\nkey(Control, 'G') {\n  a = 1;\n  a = a / z;\n}\n", "",
                    "prog.vrn:6"},
        RuntimeCase{"IncludedRoutine", "int a;\n#include \"lib.vrn\"\nkey(Control, 'G') {\n  a = Half(a);\n}\n",
                    "int Half(int v) {\n  int z;\n  z = 0;\n  return v / z;\n}\n", "lib.vrn:4"},
        // A computed FSUIPC address past $FFFF stops the process instead
        // of wrapping round to offset 0.
        RuntimeCase{"FsuipcOffsetPastTheEnd", "byte b[2] at $FFFE;\nint i;\nkey(Control, 'G') {\n  i = 2;\n  b[i] = 1;\n}\n",
                    "", "prog.vrn:5", "FSUIPC offset out of range"}));

TEST(RuntimeErrors, ARunWithoutOneEndsWith0) {
    TempProgram program("int a;\nkey(Control, 'G') {\n  a = 6 / 3;\n}\n");
    const ProcessResult r = RunVornc({"run", program.Path(), "--fast", "--ticks", "2", "--press", "Ctrl+G@1"});
    EXPECT_EQ(r.status, 0) << r.err;
}

const char* const kWatched =
    "int count;\nfloat level;\nchar name[8];\nint unchanged;\n"
    "key(Control, 'G') {\n  count = count + 1;\n  level = level + 0.5;\n  sprintf(name, \"n=%d\", count)\n}\n";

struct WatchCase {
    const char* name;
    std::string watch;
    std::vector<std::string> lines;  // stderr
    int status;
};

std::ostream& operator<<(std::ostream& os, const WatchCase& c) { return os << c.name; }

class Watch : public ::testing::TestWithParam<WatchCase> {
protected:
    testing::PrivateRuntimeDir runtime_;
};

TEST_P(Watch, PrintsTheValuesAfterEveryTickThatChangedThem) {
    const WatchCase& c = GetParam();
    TempProgram program(kWatched);
    const ProcessResult r = RunVornc({"run", program.Path(), "--fast", "--ticks", "4", "--press", "Ctrl+G@1", "--press",
                                      "Ctrl+G@2", "--watch", c.watch});
    EXPECT_EQ(r.status, c.status);
    auto lines = r.ErrLines();
    if (c.status != 0 && lines.size() > c.lines.size()) lines.resize(c.lines.size());  // the usage follows
    EXPECT_EQ(lines, c.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Watch,
    ::testing::Values(
        WatchCase{"IntsAndFloats", "count,level", {"tick 1: count=1 level=0.5", "tick 2: count=2 level=1"}, 0},
        WatchCase{"CharArrayAsText", "NAME", {"tick 1: name=\"n=1\"", "tick 2: name=\"n=2\""}, 0},
        WatchCase{"NeverChanged", "unchanged", {}, 0},
        WatchCase{"UnknownName", "count,nosuch", {"vornc run: --watch nosuch: the program has no global named nosuch"}, 2},
        WatchCase{"EmptyName", "count,", {"vornc run: --watch count,: expected NAME[,NAME...]"}, 2}));

struct HelpCase {
    std::vector<std::string> args;
    std::string usage;                 // first line
    std::vector<std::string> options;  // each starts a line of its own, with an explanation after it
};

TEST(Help, EveryCommandExplainsItselfAndEveryOption) {
    const std::vector<std::string> runOptions = {"--ticks N", "--seconds S", "--fast", "--debug", "--listing",
                                                 "--press KEY@TICK", "--poke OFFSET:SIZE=VALUE", "--server", "--model",
                                                 "--watch NAME[,NAME...]", "--reconnect", "--help"};
    const std::vector<HelpCase> cases = {
        {{"run", "--help"}, "usage: vornc run FILE", runOptions},
        {{"help", "run"}, "usage: vornc run FILE", runOptions},
        {{"run", "prog.vrn", "-h"}, "usage: vornc run FILE", runOptions},
        {{"compile", "--help"}, "usage: vornc compile FILE", {"--listing", "--image OUT", "--help"}},
        {{"help", "expand"}, "usage: vornc expand FILE", {}},
        {{"tokens", "--help"}, "usage: vornc tokens FILE", {}},
        {{"--help"}, "usage: vornc COMMAND [ARGS]", {"run", "compile", "expand", "tokens"}},
    };
    for (const HelpCase& c : cases) {
        SCOPED_TRACE(c.args.back());
        const ProcessResult r = RunVornc(c.args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        const auto lines = r.OutLines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines[0].substr(0, c.usage.size()), c.usage);
        for (const std::string& option : c.options) {
            bool explained = false;
            for (const std::string& line : lines) {
                const std::string lead = "  " + option + " ";
                explained = explained || (line.substr(0, lead.size()) == lead &&
                                          line.find_first_not_of(' ', lead.size()) != std::string::npos);
            }
            EXPECT_TRUE(explained) << option << "\n" << r.out;
        }
    }
    const ProcessResult version = RunVornc({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.substr(0, 6), "vornc ");
    const ProcessResult unknown = RunVornc({"help", "nosuch"});
    EXPECT_EQ(unknown.status, 2);
}

}  // namespace
}  // namespace vorn::test
