// vornc run's exit statuses, through the real executable: 0 clean run,
// 1 compile errors, 2 usage or file errors, 3 a command ended by an error,
// 4 no server to connect to.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/cli/vornc_process.h"
#include "tests/fsuipc/private_runtime_dir.h"

namespace vorn::test {
namespace {

const char* const kGood = "int presses;\nkey(Control, 'G') {\n   presses = presses + 1;\n}\n";

struct StatusCase {
    const char* name;
    const char* program;             // written to FILE; nullptr = no file
    std::vector<std::string> args;   // "FILE" stands for the program's path
    int status;
    const char* message;             // part of standard error
};

std::ostream& operator<<(std::ostream& os, const StatusCase& c) { return os << c.name; }

class RunExitStatus : public ::testing::TestWithParam<StatusCase> {
protected:
    // Servers of other tests stay out of sight.
    testing::PrivateRuntimeDir runtime_;
};

TEST_P(RunExitStatus, MatchesTheOutcome) {
    const StatusCase& c = GetParam();
    TempProgram program(c.program ? c.program : "");
    std::vector<std::string> args = {"run"};
    for (const auto& a : c.args) args.push_back(a == "FILE" ? program.Path() : a);
    const ProcessResult r = RunVornc(args);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << "stderr: " << r.err;
    if (c.status != 0) {
        EXPECT_EQ(r.out, "") << "nothing on standard output";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RunExitStatus,
    ::testing::Values(
        StatusCase{"Clean", kGood, {"FILE", "--fast", "--ticks", "3"}, 0, ""},
        StatusCase{"CleanWithZeroTicks", kGood, {"FILE", "--ticks=0"}, 0, ""},
        StatusCase{"CompileErrors", "int a;\nint b\nint c;\n", {"FILE", "--fast", "--ticks", "1"}, 1,
                   ":3: syntax error at or before int"},
        StatusCase{"UndefinedVariable", "key(Control, 'G') {\n   x = 1;\n}\n", {"FILE", "--fast"}, 1,
                   "Undeclared identifier x"},
        StatusCase{"BlankDefineEndsCompile", "#define  \nint a;\n", {"FILE", "--fast", "--ticks", "1"}, 3,
                   "Search string cannot be blank"},
        StatusCase{"NoFile", nullptr, {}, 2, "no FILE given"},
        StatusCase{"MissingFile", nullptr, {"/nonexistent/folder/x.vrn"}, 2, "cannot open '/nonexistent/folder/x.vrn'"},
        StatusCase{"TwoFiles", kGood, {"FILE", "FILE"}, 2, "only one FILE"},
        StatusCase{"UnknownOption", kGood, {"FILE", "--bogus"}, 2, "unknown option --bogus"},
        StatusCase{"TicksAndSeconds", kGood, {"FILE", "--ticks", "3", "--seconds", "1"}, 2, "not both"},
        StatusCase{"TicksTwice", kGood, {"FILE", "--ticks", "3", "--ticks=5"}, 2, "--ticks given twice"},
        StatusCase{"SecondsTwice", kGood, {"FILE", "--seconds", "1", "--seconds", "2"}, 2, "--seconds given twice"},
        StatusCase{"NegativeTicks", kGood, {"FILE", "--ticks", "-1"}, 2, "--ticks -1"},
        StatusCase{"TicksNotANumber", kGood, {"FILE", "--ticks", "lots"}, 2, "--ticks lots"},
        StatusCase{"TicksMissing", kGood, {"FILE", "--ticks"}, 2, "--ticks needs a value"},
        StatusCase{"SecondsNegative", kGood, {"FILE", "--seconds", "-2"}, 2, "--seconds -2"},
        StatusCase{"PressWithoutTick", kGood, {"FILE", "--press", "Ctrl+G"}, 2, "KEY@TICK"},
        StatusCase{"PressAtTickZero", kGood, {"FILE", "--press", "Ctrl+G@0"}, 2, "KEY@TICK"},
        StatusCase{"PressBadKey", kGood, {"FILE", "--press", "Hyper+Space+X@2"}, 2, "KEY must look like"},
        StatusCase{"PressAfterLastTick", kGood, {"FILE", "--ticks", "3", "--press", "Ctrl+G@4"}, 2,
                   "comes after the last tick (3)"},
        StatusCase{"PokeBadSize", kGood, {"FILE", "--poke", "0x0570:3=1"}, 2, "size must be 1, 2, 4 or 8"},
        StatusCase{"PokePastTheEnd", kGood, {"FILE", "--poke", "0xFFFF:2=1"}, 2, "runs past offset 0xFFFF"},
        StatusCase{"PokeOffsetTooBig", kGood, {"FILE", "--poke", "0x10000:1=1"}, 2, "offset must be"},
        StatusCase{"PokeValueTooBig", kGood, {"FILE", "--poke", "0x0570:1=300"}, 2, "does not fit in 1 byte"},
        StatusCase{"PokeFloatNotANumber", kGood, {"FILE", "--poke", "0x0570:8=fast"}, 2, "size 8 takes a number"},
        StatusCase{"PokeTypedOutOfRange", kGood, {"FILE", "--poke", "0x0570:1u=-1"}, 2, "does not fit in 1 byte as type u"},
        StatusCase{"PokeMalformed", kGood, {"FILE", "--poke", "0x0570=4"}, 2, "OFFSET:SIZE=VALUE"},
        StatusCase{"ServerWithPress", kGood, {"FILE", "--server", "--press", "Ctrl+G@1"}, 2,
                   "act on the built-in simulator"},
        StatusCase{"NoServerRunning", kGood, {"FILE", "--server", "--fast", "--ticks", "1"}, 4, "Cannot connect to the simulator (2: "}),
    [](const ::testing::TestParamInfo<StatusCase>& info) { return std::string(info.param.name); });

TEST(VorncExitStatus, TopLevelUsage) {
    EXPECT_EQ(RunVornc({}).status, 2);
    EXPECT_EQ(RunVornc({"frobnicate"}).status, 2);
    const ProcessResult help = RunVornc({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("vornc help COMMAND"), std::string::npos) << help.out;
}

}  // namespace
}  // namespace vorn::test

namespace vorn::test {
namespace {

// A stop signal that arrives while standard output is blocked behind a slow
// reader: the interrupted write is carried on, no line is cut, and the run
// ends cleanly.
TEST(VorncStopSignal, WhileOutputIsBlockedEndsCleanlyWithWholeLines) {
    const std::string line = "a line long enough to fill a pipe in a few ticks, a line long enough";
    TempProgram program("key(Control, 'G') {\n   while (1) {\n      printstr(\"" + line + "\")\n   }\n}\n");
    ProcessOptions options;
    options.heldStdout = true;
    options.keepInputOpen = true;
    ChildProcess run(VORN_VORNC_PATH, {"run", program.Path(), "--press", "Ctrl+G@1"}, options);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // the pipe is full by now
    run.Signal(SIGTERM);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const ProcessResult r = run.Finish();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    ASSERT_GT(r.out.size(), 65536u);
    EXPECT_EQ(r.out.back(), '\n');
    for (const std::string& got : r.OutLines()) ASSERT_EQ(got, line);
}

// A command line longer than vorn-sim takes is skipped whole, not kept.
TEST(VorncStandardInput, OverlongLineIsRefusedAndTheNextOneServed) {
    TempProgram program(kGood);
    ProcessOptions options;
    options.input = std::string(1 << 20, 'x') + "\nset 0x0570:4=5\nquit\n";
    const ProcessResult r = RunVornc({"run", program.Path()}, options);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.ErrLines(), (std::vector<std::string>{"error: line too long", "0x0570:4=5 (0x00000005)", "bye"}));
}

}  // namespace
}  // namespace vorn::test
