// The Debug and Display Compiler Output switches: captions, tabs, check
// mark, which trace lines are shown, and when the listing changes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/workbench/recording_view.h"

namespace vorn::test {
namespace {

using DisplaySwitches = WorkbenchFixture;

TEST_F(DisplaySwitches, DebugCaptionNamesTheNextChange) {
    controller.ToggleDebug();
    EXPECT_TRUE(controller.Debugging());
    EXPECT_TRUE(debug) << "the switch the machine reads";
    EXPECT_EQ(view.Calls(), (std::vector<std::string>{"SetDebugCaption(Debug Off)", "SetPageVisible(1,true)",
                                                      "SetPageVisible(3,true)"}));
    controller.ToggleDebug();
    EXPECT_FALSE(controller.Debugging());
    EXPECT_FALSE(debug);
    EXPECT_EQ(view.Calls(), (std::vector<std::string>{"SetDebugCaption(Debug On)", "SetPageVisible(1,false)",
                                                      "SetPageVisible(3,false)"}));
}

TEST_F(DisplaySwitches, TraceLinesAreDroppedForGoodWhileDebugIsOff) {
    Run(kHotKeyProgram);
    Press(71, 2);
    controller.TimerTick();
    EXPECT_TRUE(view.interpreter.empty()) << "neither the loader's lines nor the instructions' appear";

    controller.ToggleDebug();
    Press(71, 2);
    controller.TimerTick();
    ASSERT_FALSE(view.interpreter.empty());
    for (const auto& line : view.interpreter) {
        EXPECT_EQ(line.find("Interpreter started"), std::string::npos) << "earlier lines are not replayed";
    }
    // One instruction per tick with debug on: the start lines, then one
    // instruction's line.
    EXPECT_EQ(view.interpreter.back().rfind("Process:000, PC ", 0), 0u) << view.interpreter.back();
    const std::size_t after = view.interpreter.size();
    controller.TimerTick();
    EXPECT_EQ(view.interpreter.size(), after + 1);
}

TEST_F(DisplaySwitches, DebugOnBeforeConnectShowsTheLoader) {
    controller.ToggleDebug();
    Run(kHotKeyProgram);
    ASSERT_FALSE(view.interpreter.empty());
    EXPECT_EQ(view.interpreter.front(), "Interpreter started");
}

TEST_F(DisplaySwitches, CompilerOutputTakesEffectAtTheNextCompile) {
    CompileProgram(kHotKeyProgram);
    ASSERT_EQ(view.compiler, "");
    view.Forget();
    controller.ToggleCompilerOutput();
    EXPECT_EQ(view.Calls(), std::vector<std::string>{"SetCompilerOutputChecked(true)"});
    EXPECT_TRUE(controller.ShowCompilerOutput());
    EXPECT_EQ(view.compiler, "") << "nothing changes until the next compile";
    controller.Compile();
    EXPECT_NE(view.compiler.find("Add vbl int presses local location 1000000"), std::string::npos)
        << view.compiler;

    controller.ToggleCompilerOutput();
    EXPECT_FALSE(view.compilerOutputChecked);
    controller.Compile();
    EXPECT_EQ(view.compiler, "");
}

}  // namespace
}  // namespace vorn::test
