// The controller's share of the window's creation.
#include <gtest/gtest.h>

#include "tests/workbench/recording_view.h"

namespace vorn::test {
namespace {

class StartUpShare : public WorkbenchFixture {
protected:
    void SetUp() override {}  // the tests run StartUp themselves
};

TEST_F(StartUpShare, DisconnectsThenSetsUpThePages) {
    controller.StartUp();
    const std::vector<std::string> expected = {
        "SetConnectCaption(Connect)", "SetRunHint(Connect)", "SetRunPicture(10)",
        "SetPageVisible(0,true)",     "SetPageVisible(2,true)", "SetPageVisible(4,true)",
        "SetPageVisible(1,false)",    "SetPageVisible(3,false)", "SelectPage(0)",
    };
    EXPECT_EQ(view.Calls(), expected);
}

TEST_F(StartUpShare, LeavesEverythingOffAndEmpty) {
    controller.StartUp();
    EXPECT_FALSE(controller.Connected());
    EXPECT_FALSE(controller.Compiled());
    EXPECT_FALSE(controller.ShowCompilerOutput());
    EXPECT_FALSE(controller.Debugging());
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(controller.SourceBuffer().Size(), 0u);
    EXPECT_EQ(controller.ExpandedBuffer().Size(), 0u);
    EXPECT_EQ(controller.ListingBuffer().Size(), 0u);
    EXPECT_EQ(controller.ImageBuffer().Size(), 0u);
}

TEST_F(StartUpShare, TurnsCompilerOutputOffAgain) {
    controller.ToggleCompilerOutput();
    ASSERT_TRUE(controller.ShowCompilerOutput());
    controller.StartUp();
    EXPECT_FALSE(controller.ShowCompilerOutput());
}

TEST_F(StartUpShare, TicksBeforeAnyConnectDoNothing) {
    controller.StartUp();
    view.Forget();
    const auto blocks = sim.BlocksProcessed();
    for (int i = 0; i < 5; ++i) controller.TimerTick();
    EXPECT_EQ(sim.BlocksProcessed(), blocks) << "no FSUIPC exchange while disconnected";
    EXPECT_TRUE(view.Calls().empty());
}

}  // namespace
}  // namespace vorn::test
