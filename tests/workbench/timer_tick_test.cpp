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
    const char* message;
    int sendsOfTheLostTick;  // the heartbeat's attempts; the release adds none
};

std::ostream& operator<<(std::ostream& os, const LostLinkCase& c) { return os << c.name; }

class LostLink : public WorkbenchFixture, public ::testing::WithParamInterface<LostLinkCase> {};

TEST_P(LostLink, IsNoticedAtTheNextTickAndReportedWithItsCause) {
    Run(kHotKeyProgram);
    Press(71, 2);
    controller.TimerTick();
    ASSERT_EQ(view.output, std::vector<std::string>{"press 1"});
    view.Forget();

    GetParam().breakLink(faults);
    const int before = faults.SendCalls();
    controller.TimerTick();
    EXPECT_EQ(faults.SendCalls() - before, GetParam().sendsOfTheLostTick);
    EXPECT_FALSE(controller.Connected());
    EXPECT_FALSE(link.IsOpen());
    const std::vector<std::string> expected = {"SetConnectCaption(Connect)", "SetRunHint(Connect)", "SetRunPicture(10)",
                                               std::string("AppendOutputLine(") + GetParam().message + ")"};
    EXPECT_EQ(view.Calls(), expected) << "Program Output is not cleared";
    EXPECT_EQ(view.output, (std::vector<std::string>{"press 1", GetParam().message}));
    EXPECT_TRUE(view.errors.empty());

    const int sends = faults.SendCalls();
    for (int i = 0; i < 2 * kReconnectTicks; ++i) controller.TimerTick();
    EXPECT_EQ(faults.SendCalls(), sends) << "ticks after the loss do nothing while reconnecting is off";
}

INSTANTIATE_TEST_SUITE_P(
    Faults, LostLink,
    ::testing::Values(
        LostLinkCase{"StopsAnswering", [](FaultTransport& f) { f.FailSends(-1, 0); },
                     "Lost the link to the simulator at tick 2: no answer in 10 attempts of 2000 ms "
                     "(11: the server did not answer)",
                     10},
        LostLinkCase{"SendFails", [](FaultTransport& f) { f.FailSends(-1, 1460); },
                     "Lost the link to the simulator at tick 2 (12: sending to the server failed)", 10},
        LostLinkCase{"AnswersWrongly", [](FaultTransport& f) { f.AnswerWith(-1, 0); },
                     "Lost the link to the simulator at tick 2 (13: the server's answer was not valid)", 2}),
    [](const ::testing::TestParamInfo<LostLinkCase>& info) { return std::string(info.param.name); });

TEST_F(TimerTick, ReconnectsEveryTwoSecondsAndStartsTheProgramAgain) {
    controller.ToggleReconnect();
    EXPECT_TRUE(controller.ReconnectEnabled());
    Run(kHotKeyProgram);
    faults.FailSends(-1, 1460);
    controller.TimerTick();
    ASSERT_FALSE(controller.Connected());
    EXPECT_TRUE(controller.Reconnecting());
    EXPECT_EQ(view.output.back(), "Trying to reconnect every 2 s");

    faults.HideServer(true);  // the simulator is away: attempts fail quietly
    faults.FailSends(0, 0);
    const int finds = faults.FindCalls();
    for (int i = 0; i < kReconnectTicks - 1; ++i) controller.TimerTick();
    EXPECT_EQ(faults.FindCalls(), finds) << "no attempt before 2 s";
    controller.TimerTick();
    EXPECT_GT(faults.FindCalls(), finds) << "an attempt at 2 s";
    EXPECT_FALSE(controller.Connected());
    EXPECT_TRUE(controller.Reconnecting());

    faults.HideServer(false);  // back
    view.Forget();
    for (int i = 0; i < kReconnectTicks && !controller.Connected(); ++i) controller.TimerTick();
    ASSERT_TRUE(controller.Connected());
    EXPECT_FALSE(controller.Reconnecting());
    EXPECT_EQ(controller.LinkProblem(), "");
    EXPECT_TRUE(view.Called("SetConnectCaption(Disconnect)"));
    EXPECT_EQ(view.output.back(), "Reconnected to the simulator");
    EXPECT_EQ(view.output.front(), "Lost the link to the simulator at tick 1 (12: sending to the server failed)")
        << "Program Output keeps what was said";
    Press(71, 2);
    controller.TimerTick();
    EXPECT_EQ(view.output.back(), "press 1") << "the program starts afresh and its key is registered again";
}

// Every 2 s of 100 ms ticks, counted in ticks here, not from the constant:
// 20 ticks from the loss to the first attempt and between attempts.
TEST_F(TimerTick, ReconnectAttemptsComeEveryTwentyTicks) {
    controller.ToggleReconnect();
    Run(kHotKeyProgram);
    faults.FailSends(-1, 1460);
    controller.TimerTick();
    ASSERT_TRUE(controller.Reconnecting());
    faults.HideServer(true);
    faults.FailSends(0, 0);
    std::vector<int> attempts;
    for (int tick = 1; tick <= 60; ++tick) {
        const int finds = faults.FindCalls();
        controller.TimerTick();
        if (faults.FindCalls() > finds) attempts.push_back(tick);
    }
    EXPECT_EQ(attempts, (std::vector<int>{20, 40, 60}));
}

TEST_F(TimerTick, DisconnectOrSwitchingOffEndsTheReconnecting) {
    controller.ToggleReconnect();
    Run(kHotKeyProgram);
    faults.FailSends(-1, 1460);
    controller.TimerTick();
    ASSERT_TRUE(controller.Reconnecting());
    controller.ToggleReconnect();
    EXPECT_FALSE(controller.ReconnectEnabled());
    EXPECT_FALSE(controller.Reconnecting());

    controller.ToggleReconnect();
    faults.FailSends(0, 0);
    controller.ToggleConnection();
    ASSERT_TRUE(controller.Connected());
    faults.FailSends(-1, 1460);
    controller.TimerTick();
    ASSERT_TRUE(controller.Reconnecting());
    CompileProgram(kHotKeyProgram);
    EXPECT_FALSE(controller.Reconnecting()) << "a compile ends the program for good";
}

}  // namespace
}  // namespace vorn::test
