// The 100 ms tick: the heartbeat read, the machine's slice, and a link that
// is lost between two ticks.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "tests/workbench/recording_view.h"

namespace vorn::test {
namespace {

using TimerTick = WorkbenchFixture;

TEST_F(TimerTick, ReadsTheHeartbeatOnceThenRunsTheMachine) {
    Run({"int a;"});  // no hot keys: the heartbeat is the tick's only exchange
    const auto before = sim.BlocksProcessed();
    controller.TimerTick();
    EXPECT_EQ(sim.BlocksProcessed(), before + 1);
}

TEST_F(TimerTick, RunsPressedKeyRoutines) {
    Run(kHotKeyProgram);
    controller.TimerTick();
    EXPECT_TRUE(view.output.empty());
    Press(71, 2);
    controller.TimerTick();
    EXPECT_EQ(view.output, std::vector<std::string>{"press 1"});
    EXPECT_EQ(view.Calls(), std::vector<std::string>{"AppendOutputLine(press 1)"});
}

struct LostLinkCase {
    const char* name;
    void (*breakLink)(FaultTransport&);
};

std::ostream& operator<<(std::ostream& os, const LostLinkCase& c) { return os << c.name; }

class LostLink : public WorkbenchFixture, public ::testing::WithParamInterface<LostLinkCase> {};

TEST_P(LostLink, IsNoticedAtTheNextTickAndDisconnectsQuietly) {
    Run(kHotKeyProgram);
    Press(71, 2);
    controller.TimerTick();
    ASSERT_EQ(view.output, std::vector<std::string>{"press 1"});
    view.Forget();

    GetParam().breakLink(faults);
    controller.TimerTick();
    EXPECT_FALSE(controller.Connected());
    EXPECT_FALSE(link.IsOpen());
    const std::vector<std::string> expected = {"SetConnectCaption(Connect)", "SetRunHint(Connect)",
                                               "SetRunPicture(10)"};
    EXPECT_EQ(view.Calls(), expected) << "no message, Program Output not cleared";
    EXPECT_EQ(view.output, std::vector<std::string>{"press 1"});
    EXPECT_TRUE(view.errors.empty());

    const int sends = faults.SendCalls();
    controller.TimerTick();
    EXPECT_EQ(faults.SendCalls(), sends) << "ticks after the loss do nothing";
}

INSTANTIATE_TEST_SUITE_P(
    Faults, LostLink,
    ::testing::Values(LostLinkCase{"StopsAnswering", [](FaultTransport& f) { f.FailSends(-1, 0); }},
                      LostLinkCase{"SendFails", [](FaultTransport& f) { f.FailSends(-1, 1460); }},
                      LostLinkCase{"AnswersWrongly", [](FaultTransport& f) { f.AnswerWith(-1, 0); }}),
    [](const ::testing::TestParamInfo<LostLinkCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vorn::test
