// The Compile command: its steps and their order, what the pages show, and
// how failures and errors end it.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "tests/workbench/recording_view.h"

namespace vorn::test {
namespace {

using CompileCommand = WorkbenchFixture;

const std::vector<std::string> kGoodProgram = {"int speed;", "key(Control, 'G') {", "   speed = 1;", "}"};
const std::vector<std::string> kBadProgram = {"int speed", "key(Control, 'G') {", "}"};

TEST_F(CompileCommand, RunsItsStepsInOrderWithoutChangingThePage) {
    CompileProgram(kGoodProgram);
    const std::vector<std::string> expected = {
        "SetExpandedText",           "SetCompilePicture(12)", "SetConnectCaption(Connect)",
        "SetRunHint(Connect)",       "SetRunPicture(10)",     "SetCompilerText",
    };
    EXPECT_EQ(view.Calls(), expected);
    EXPECT_TRUE(controller.Compiled());
    EXPECT_FALSE(controller.Connected());
}

TEST_F(CompileCommand, WritesTheEditorLinesWithCrLf) {
    CompileProgram({"int a;", "", "int b;"});
    EXPECT_EQ(controller.SourceBuffer().Text(), "int a;\r\n\r\nint b;\r\n");
}

TEST_F(CompileCommand, ShowsTheExpandedTextAndTheListing) {
    CompileProgram({"#define LIMIT 250", "int speed;", "key(Control, 'G') {", "   speed = LIMIT;", "}"});
    ASSERT_TRUE(controller.Compiled()) << view.compiler;
    EXPECT_EQ(view.expanded, "int speed;\r\nkey(Control, 'G') {\r\n   speed = 250;\r\n}\r\n");
    EXPECT_EQ(view.expanded, controller.ExpandedBuffer().Text());
    EXPECT_EQ(view.compiler, controller.ListingBuffer().Text());
    EXPECT_EQ(view.compiler, "") << "without compiler output the listing of a good program is empty";
    EXPECT_GT(controller.ImageBuffer().Size(), 0u);
}

TEST_F(CompileCommand, FailureShowsDiagnosticsAndClearsCompiled) {
    CompileProgram(kGoodProgram);
    ASSERT_TRUE(controller.Compiled());
    view.Forget();
    CompileProgram(kBadProgram);
    EXPECT_FALSE(controller.Compiled()) << "a failed compile leaves no image to connect with";
    EXPECT_EQ(view.compilePicture, kPicNotCompiled);
    EXPECT_NE(view.compiler.find("syntax error"), std::string::npos) << view.compiler;
    EXPECT_EQ(controller.ImageBuffer().Size(), 0u);
    const auto calls = view.Calls();
    EXPECT_EQ(calls.back(), "SetCompilerText");

    controller.ToggleConnection();
    EXPECT_FALSE(controller.Connected()) << "Connect is refused after a failed compile";
    EXPECT_FALSE(link.IsOpen());
}

TEST_F(CompileCommand, FailureWhileTextUnchangedStillRefusesConnect) {
    // The text stays the same; only the included file changes between the
    // two compiles, which the picture alone could not tell.
    const std::string include = ::testing::TempDir() + "vorn_compile_include.vrn";
    {
        FILE* f = std::fopen(include.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs("int fromInclude;\n", f);
        std::fclose(f);
    }
    const std::vector<std::string> program = {"#include \"" + include + "\"", "key(Control, 'G') {",
                                              "   fromInclude = 1;", "}"};
    CompileProgram(program);
    ASSERT_TRUE(controller.Compiled()) << view.compiler;
    {
        FILE* f = std::fopen(include.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs("int fromInclude\n", f);  // now broken
        std::fclose(f);
    }
    CompileProgram(program);
    std::remove(include.c_str());
    EXPECT_FALSE(controller.Compiled());
    EXPECT_EQ(controller.ImageBuffer().Size(), 0u);
    controller.ToggleConnection();
    EXPECT_FALSE(controller.Connected());
}

struct ErrorCase {
    const char* name;
    std::vector<std::string> lines;
    const char* message;  // part of the error box's text
};

std::ostream& operator<<(std::ostream& os, const ErrorCase& c) { return os << c.name; }

class CompileErrors : public WorkbenchFixture, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(CompileErrors, EndTheCommandAtThatStep) {
    // A running, compiled program: an error must leave all of it alone.
    Run(kHotKeyProgram);
    const std::string listingBefore = view.compiler;
    CompileProgram(GetParam().lines);
    const auto calls = view.Calls();
    ASSERT_EQ(view.errors.size(), 1u);
    EXPECT_NE(view.errors[0].find(GetParam().message), std::string::npos) << view.errors[0];
    EXPECT_EQ(calls.back(), "ShowError(" + view.errors[0] + ")");
    for (const auto& call : calls) {
        EXPECT_NE(call, "SetCompilerText") << "the Compiler page stays as it was";
        EXPECT_EQ(call.rfind("SetCompilePicture", 0), std::string::npos) << call;
        EXPECT_EQ(call.rfind("SetConnectCaption", 0), std::string::npos) << call;
    }
    EXPECT_EQ(view.compiler, listingBefore);
    EXPECT_TRUE(controller.Compiled());
    EXPECT_TRUE(controller.Connected()) << "the program keeps running";
    EXPECT_TRUE(link.IsOpen());
    Press(71, 2);
    controller.TimerTick();
    EXPECT_EQ(view.output, std::vector<std::string>{"press 1"});
}

INSTANTIATE_TEST_SUITE_P(
    Errors, CompileErrors,
    ::testing::Values(ErrorCase{"BlankDefineName", {"#define   ", "int a;"}, "Search string cannot be blank"},
                      ErrorCase{"LiteralTooLarge", {"int a;", "key(Control, 'G') {", "   a = 99999999999;", "}"},
                                ""}),
    [](const ::testing::TestParamInfo<ErrorCase>& info) { return std::string(info.param.name); });

struct RunningCase {
    const char* name;
    std::vector<std::string> lines;
    bool compiles;
};

std::ostream& operator<<(std::ostream& os, const RunningCase& c) { return os << c.name; }

class CompileWhileRunning : public WorkbenchFixture, public ::testing::WithParamInterface<RunningCase> {};

TEST_P(CompileWhileRunning, StopsTheMachineAndClosesTheLink) {
    Run(kHotKeyProgram);
    ASSERT_EQ(sim.RegisteredKeys().size(), 1u);
    CompileProgram(GetParam().lines);
    EXPECT_EQ(controller.Compiled(), GetParam().compiles);
    EXPECT_FALSE(controller.Connected());
    EXPECT_FALSE(link.IsOpen());
    EXPECT_TRUE(sim.RegisteredKeys().empty()) << "the hot key was withdrawn while the link was open";
    EXPECT_EQ(view.connectCaption, "Connect");
    EXPECT_EQ(view.runPicture, kPicConnect);
}

INSTANTIATE_TEST_SUITE_P(Both, CompileWhileRunning,
                         ::testing::Values(RunningCase{"Succeeding", kGoodProgram, true},
                                           RunningCase{"Failing", kBadProgram, false}),
                         [](const ::testing::TestParamInfo<RunningCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace vorn::test
