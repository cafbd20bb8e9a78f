// Connect and Disconnect: when Connect is refused, what a successful one
// does and in which order, and what Disconnect leaves behind.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/workbench/recording_view.h"

namespace vorn::test {
namespace {

using Connection = WorkbenchFixture;

TEST_F(Connection, ConnectBeforeAnyCompileDoesNothing) {
    view.editor = kHotKeyProgram;
    controller.ToggleConnection();
    EXPECT_TRUE(view.Calls().empty());
    EXPECT_FALSE(controller.Connected());
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(sim.BlocksProcessed(), 0u) << "not even the handshake";
}

TEST_F(Connection, ConnectOpensLoadsStartsAndShowsProgramOutput) {
    CompileProgram(kHotKeyProgram);
    view.Forget();
    controller.ToggleConnection();
    const std::vector<std::string> expected = {
        "SetConnectCaption(Disconnect)", "SetRunHint(Disconnect)", "SetRunPicture(9)", "EnableTimer",
        "ClearOutput",                   "SelectPage(4)",
    };
    EXPECT_EQ(view.Calls(), expected);
    EXPECT_TRUE(controller.Connected());
    EXPECT_TRUE(link.IsOpen());
    const auto keys = sim.RegisteredKeys();
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].key, 71);
    EXPECT_EQ(keys[0].modifier, 2);
}

TEST_F(Connection, DisconnectWithdrawsKeysClosesLinkAndKeepsOutput) {
    Run(kHotKeyProgram);
    Press(71, 2);
    controller.TimerTick();
    ASSERT_EQ(view.output, std::vector<std::string>{"press 1"});
    view.Forget();
    controller.ToggleConnection();
    const std::vector<std::string> expected = {"SetConnectCaption(Connect)", "SetRunHint(Connect)",
                                               "SetRunPicture(10)"};
    EXPECT_EQ(view.Calls(), expected);
    EXPECT_FALSE(controller.Connected());
    EXPECT_FALSE(link.IsOpen());
    EXPECT_TRUE(sim.RegisteredKeys().empty());
    EXPECT_EQ(view.output, std::vector<std::string>{"press 1"}) << "Program Output keeps the last run";
    EXPECT_TRUE(controller.Compiled());
}

TEST_F(Connection, NoSimulatorIsReportedWithItsCode) {
    CompileProgram(kHotKeyProgram);
    view.Forget();
    faults.HideServer(true);
    controller.ToggleConnection();
    const std::vector<std::string> expected = {
        "AppendOutputLine(Cannot connect to the simulator (2: no FSUIPC server is running))", "SelectPage(4)"};
    EXPECT_EQ(view.Calls(), expected) << "no captions";
    EXPECT_EQ(controller.LinkProblem(), "Cannot connect to the simulator (2: no FSUIPC server is running)");
    EXPECT_EQ(controller.LinkResult(), kIpcNoServer);
    EXPECT_FALSE(controller.Connected());
    EXPECT_FALSE(link.IsOpen());
    EXPECT_TRUE(view.errors.empty());
}

TEST_F(Connection, TimeOutAndAttemptsComeFromTheEnvironment) {
    CompileProgram(kHotKeyProgram);
    ::setenv("VORN_IPC_TIMEOUT_MS", "250", 1);
    ::setenv("VORN_IPC_ATTEMPTS", "3", 1);
    controller.ToggleConnection();
    EXPECT_TRUE(controller.Connected());
    EXPECT_EQ(link.Timing().timeoutMs, 250u);
    EXPECT_EQ(link.Timing().attempts, 3);
    controller.ToggleConnection();

    ::setenv("VORN_IPC_ATTEMPTS", "many", 1);
    view.Forget();
    controller.ToggleConnection();
    ::unsetenv("VORN_IPC_TIMEOUT_MS");
    ::unsetenv("VORN_IPC_ATTEMPTS");
    EXPECT_FALSE(controller.Connected());
    EXPECT_FALSE(link.IsOpen());
    ASSERT_EQ(view.errors.size(), 1u);
    EXPECT_NE(view.errors[0].find("VORN_IPC_ATTEMPTS=many"), std::string::npos) << view.errors[0];
}

TEST_F(Connection, EditsWhileRunningKeepTheProgramRunning) {
    Run(kHotKeyProgram);
    controller.SourceChanged();
    EXPECT_EQ(view.Calls(), (std::vector<std::string>{"SetCompilePicture(11)", "SetModified(true)"}));
    EXPECT_FALSE(controller.Compiled());
    EXPECT_TRUE(controller.Connected());
    Press(71, 2);
    controller.TimerTick();
    EXPECT_EQ(view.output, std::vector<std::string>{"press 1"});

    controller.ToggleConnection();
    ASSERT_FALSE(controller.Connected());
    view.Forget();
    controller.ToggleConnection();
    EXPECT_FALSE(controller.Connected()) << "Connect is refused until the next successful compile";
    EXPECT_TRUE(view.Calls().empty());
    CompileProgram(kHotKeyProgram);
    controller.ToggleConnection();
    EXPECT_TRUE(controller.Connected());
}

TEST_F(Connection, EveryConnectStartsTheProgramAfresh) {
    Run(kHotKeyProgram);
    Press(71, 2);
    controller.TimerTick();
    Press(71, 2);
    controller.TimerTick();
    ASSERT_EQ(view.output, (std::vector<std::string>{"press 1", "press 2"}));
    controller.ToggleConnection();
    controller.ToggleConnection();
    ASSERT_TRUE(controller.Connected());
    EXPECT_TRUE(view.output.empty()) << "a successful Connect clears Program Output";
    Press(71, 2);
    controller.TimerTick();
    EXPECT_EQ(view.output, std::vector<std::string>{"press 1"}) << "the data segment starts from its initial bytes";
}

TEST_F(Connection, HotKeyLeftUnregisteredIsReportedAfterTheClear) {
    // Another client holds every hot-key entry.
    for (std::uint16_t entry = 0; entry < 56; ++entry) {
        const std::uint8_t taken[4] = {65, 4, 0, 0};
        sim.Poke(static_cast<std::uint16_t>(0x3210 + 4 * entry), taken, 4);
    }
    CompileProgram(kHotKeyProgram);
    controller.ToggleConnection();
    ASSERT_TRUE(controller.Connected());
    EXPECT_EQ(view.output, std::vector<std::string>{"No free hot-key slot"});
}

}  // namespace
}  // namespace vorn::test
