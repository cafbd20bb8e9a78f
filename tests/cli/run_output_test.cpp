// What vornc run writes where: program output on standard output, trace and
// listing on standard error; presses, pokes and standard-input commands
// reaching the built-in simulator; how many ticks run.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/cli/vornc_process.h"

namespace vorn::test {
namespace {

const char* const kCounter =
    "int presses;\n"
    "char text[40];\n"
    "key(Control, 'G') {\n"
    "   presses = presses + 1;\n"
    "   sprintf(text, \"press %d\", presses)\n"
    "   printstr(text)\n"
    "}\n";

// Prints one line in every tick from the press on.
const char* const kTickCounter =
    "int n;\n"
    "char text[40];\n"
    "key(Control, 'T') {\n"
    "   while (1) {\n"
    "      n = n + 1;\n"
    "      sprintf(text, \"tick %d\", n)\n"
    "      printstr(text)\n"
    "      wait(0)\n"
    "   }\n"
    "}\n";

TEST(RunOutput, ProgramLinesGoToStandardOutputOnly) {
    TempProgram program(kCounter);
    const auto r = RunVornc({"run", program.Path(), "--fast", "--ticks", "4", "--press", "Ctrl+G@1", "--press",
                             "Ctrl+G@3"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.OutLines(), (std::vector<std::string>{"press 1", "press 2"}));
    EXPECT_EQ(r.err, "");
}

TEST(RunOutput, PressTakesNumericKeysAndRepeatsPerTick) {
    TempProgram program(kCounter);
    const auto r = RunVornc({"run", program.Path(), "--fast", "--ticks", "3", "--press", "71,2@1", "--press",
                             "ctrl+g@2", "--press", "Ctrl+G@3"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.OutLines(), (std::vector<std::string>{"press 1", "press 2", "press 3"}));
}

TEST(RunOutput, PressOfAKeyTheProgramLacksIsReported) {
    TempProgram program(kCounter);
    const auto r = RunVornc({"run", program.Path(), "--fast", "--ticks", "2", "--press", "Alt+X@1"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("the program has no hot key Alt+X"), std::string::npos) << r.err;
}

struct TickCase {
    std::vector<std::string> args;
    int lines;
};

class RunTicks : public ::testing::TestWithParam<TickCase> {};

TEST_P(RunTicks, RunsExactlyThatManyTicks) {
    TempProgram program(kTickCounter);
    std::vector<std::string> args = {"run", program.Path(), "--fast", "--press", "Ctrl+T@1"};
    args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
    const auto r = RunVornc(args);
    EXPECT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(static_cast<int>(r.OutLines().size()), GetParam().lines) << r.out;
    EXPECT_EQ(r.OutLines().back(), "tick " + std::to_string(GetParam().lines));
}

INSTANTIATE_TEST_SUITE_P(Counts, RunTicks,
                         ::testing::Values(TickCase{{"--ticks", "1"}, 1}, TickCase{{"--ticks", "7"}, 7},
                                           TickCase{{"--seconds", "0.5"}, 5}, TickCase{{"--seconds=2"}, 20}));

TEST(RunOutput, DebugSendsLoaderAndInstructionTraceToStandardError) {
    TempProgram program(kCounter);
    const auto r = RunVornc({"run", program.Path(), "--fast", "--debug", "--ticks", "3", "--press", "Ctrl+G@1"});
    EXPECT_EQ(r.status, 0) << r.err;
    const auto err = r.ErrLines();
    ASSERT_FALSE(err.empty());
    EXPECT_EQ(err.front(), "Interpreter started");
    EXPECT_NE(r.err.find("start sequence 0 at 0\n"), std::string::npos) << r.err;
    // One instruction per tick in debug mode: three ticks, three lines.
    int instructions = 0;
    for (const auto& line : err) instructions += line.rfind("Process:000, PC ", 0) == 0;
    EXPECT_EQ(instructions, 3) << r.err;
    EXPECT_EQ(r.out, "") << "the routine has not reached its printstr yet";
}

TEST(RunOutput, ListingGoesToStandardError) {
    TempProgram program(kCounter);
    const auto r = RunVornc({"run", program.Path(), "--fast", "--listing", "--ticks", "0"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("Add vbl int presses local location 1000000\n"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\r'), std::string::npos) << "line ends are the platform's";
    EXPECT_EQ(r.out, "");
}

TEST(RunOutput, PokesPresetTheSimulatorBeforeConnect) {
    TempProgram program(
        "int altitude at 0x0574;\n"
        "shortint trim at $0BC0;\n"
        "byte flag at 3000;\n"
        "float mach at 0x11C6;\n"
        "char text[64];\n"
        "key(Control, 'P') {\n"
        "   sprintf(text, \"%d %d %d %f\", altitude, trim, flag, mach)\n"
        "   printstr(text)\n"
        "}\n");
    const auto r = RunVornc({"run", program.Path(), "--fast", "--ticks", "1", "--press", "Ctrl+P@1", "--poke",
                             "0x0574:4=-123456", "--poke", "$0BC0:2=0xFFFE", "--poke", "3000:1=7", "--poke",
                             "0x11C6:8=0.78"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.OutLines(), std::vector<std::string>{"-123456 -2 7 0.78"});
}

// Typed pokes: a 64-bit fixed-point altitude, whose whole metres a program
// reads from the high 4 bytes, and an unsigned 4 bytes read back as an int.
TEST(RunOutput, TypedPokesStoreTheirType) {
    TempProgram program(
        "int metres at 0x0574;\n"
        "int all at 0x02BC;\n"
        "char text[64];\n"
        "key(Control, 'P') {\n"
        "   sprintf(text, \"%d %d\", metres, all)\n"
        "   printstr(text)\n"
        "}\n");
    const auto r = RunVornc({"run", program.Path(), "--fast", "--ticks", "1", "--press", "Ctrl+P@1", "--poke",
                             "0x0570:8i=44508746088448", "--poke", "0x02BC:4u=4294967295"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.OutLines(), std::vector<std::string>{"10363 -1"});
}

TEST(RunOutput, IncludesAreFoundNextToTheFile) {
    TempProgram program("#include \"defs.vrn\"\nkey(Control, 'G') {\n   printstr(greeting)\n}\n");
    program.Write("defs.vrn", "char greeting[6];\nint unused;\n");
    // Run from another folder: the include still resolves.
    ProcessOptions options;
    options.folder = "/";
    const auto r = RunVornc({"run", program.Path(), "--fast", "--ticks", "1"}, options);
    EXPECT_EQ(r.status, 0) << r.err;
}

TEST(RunOutput, StandardInputTakesSimulatorCommands) {
    TempProgram program(kCounter);
    ProcessOptions options;
    options.input = "press Ctrl+G\nget 0x3210:2\n";
    const auto r = RunVornc({"run", program.Path(), "--ticks", "3"}, options);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.OutLines(), std::vector<std::string>{"press 1"});
    EXPECT_NE(r.err.find("pressed Ctrl+G"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("0x3210:2=583"), std::string::npos) << "the registered key 71 with modifier 2: " << r.err;
}

TEST(RunOutput, EndOfInputEndsARunWithoutCountAfterOneMoreTick) {
    TempProgram program(kCounter);
    ProcessOptions options;
    options.input = "press Ctrl+G\n";
    const auto r = RunVornc({"run", program.Path()}, options);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.OutLines(), std::vector<std::string>{"press 1"});
}

TEST(RunOutput, QuitCommandEndsTheRun) {
    TempProgram program(kCounter);
    ProcessOptions options;
    options.input = "quit\n";
    options.keepInputOpen = true;
    options.timeoutMs = 20000;
    const auto r = RunVornc({"run", program.Path()}, options);
    EXPECT_EQ(r.status, 0) << r.err;
}

TEST(RunOutput, InterruptDisconnectsCleanly) {
    TempProgram program(kCounter);
    ProcessOptions options;
    options.keepInputOpen = true;
    options.timeoutMs = 20000;
    ChildProcess child(VORN_VORNC_PATH, {"run", program.Path()}, options);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    child.Signal(SIGINT);
    const auto r = child.Finish();
    EXPECT_EQ(r.status, 0) << r.err;
}

}  // namespace
}  // namespace vorn::test
