// vorn-sim as a user runs it: ready line, commands on stdin, clean exits.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include "fsuipc/ipc_link.h"
#include "fsuipc/posix_transport.h"
#include "sim/sim_process.h"
#include "tests/fsuipc/private_runtime_dir.h"

namespace vorn {
namespace {

class VornSimProcess : public ::testing::Test {
protected:
    std::string SocketFor(const std::string& className) const {
        return dir_.SocketDir() + "/" + kDefaultIpcMessageName + "." + className;
    }
    bool Exists(const std::string& path) const { return std::filesystem::exists(path); }

    testing::PrivateRuntimeDir dir_;
};

TEST_F(VornSimProcess, PrintsReadyLineAndAnswersCommands) {
    SimProcess sim;
    std::string error;
    ASSERT_TRUE(sim.Start(VORN_SIM_PATH, {}, error)) << error;
    EXPECT_EQ(sim.ReadyLine(), "vorn-sim ready: UIPCMAIN at " + SocketFor("UIPCMAIN"));
    EXPECT_TRUE(Exists(SocketFor("UIPCMAIN")));
    EXPECT_EQ(sim.Command("set 0x0570:4=1000"), "0x0570:4=1000 (0x000003E8)");
    EXPECT_EQ(sim.Command("get 0x0570:4"), "0x0570:4=1000 (0x000003E8)");
    EXPECT_EQ(sim.Command("set lights=0x13"), "Lights=0x0013 (nav, beacon, strobe)");
    EXPECT_EQ(sim.Command("set 0x02BC:4=15360"), "0x02BC:4=15360 (0x00003C00)");
    EXPECT_EQ(sim.Command("get IndicatedAirspeed"), "IndicatedAirspeed=15360 (120.0 kt)");
    EXPECT_EQ(sim.Command("keys"), "no hot keys registered");
    EXPECT_EQ(sim.Command("quit"), "bye");
    EXPECT_EQ(sim.Wait(), 0);
    EXPECT_FALSE(Exists(SocketFor("UIPCMAIN"))) << "the socket is removed";
}

TEST_F(VornSimProcess, ClientWritesAreVisibleToCommands) {
    SimProcess sim;
    std::string error;
    ASSERT_TRUE(sim.Start(VORN_SIM_PATH, {}, error)) << error;
    auto transport = MakePosixTransport();
    IpcLink link(*transport);
    IpcResult result = -1;
    ASSERT_TRUE(link.Open(0, result)) << result;
    const std::uint8_t entry[4] = {71, 2, 0, 0};
    EXPECT_EQ(link.WriteBlock(entry, 0x3210, 4), kIpcOk);
    EXPECT_EQ(sim.Command("keys"), "1 hot key: 0x3210 Ctrl+G (71,2) flag 0");
    EXPECT_EQ(sim.Command("press Ctrl+G"), "pressed Ctrl+G (71,2): 1 hot key flagged");
    EXPECT_NE(link.ReadByte(0x3213), 0);
    EXPECT_TRUE(link.WriteByte(0, 0x3213));
    EXPECT_EQ(sim.Command("keys"), "1 hot key: 0x3210 Ctrl+G (71,2) flag 0");
}

struct StopCase {
    const char* name;
    void (*stop)(SimProcess&);
    bool midRequest = false;  // stopped while a client's request waits out --delay-ms
};

const StopCase kStops[] = {
    {"quit", [](SimProcess& p) { p.Command("quit"); }},
    {"end_of_input", [](SimProcess& p) { p.CloseInput(); }},
    {"sigterm", [](SimProcess& p) { p.Signal(SIGTERM); }},
    {"sigint", [](SimProcess& p) { p.Signal(SIGINT); }},
    {"sigterm_during_delay", [](SimProcess& p) { p.Signal(SIGTERM); }, true},
};

class VornSimStops : public VornSimProcess, public ::testing::WithParamInterface<StopCase> {};

TEST_P(VornSimStops, ExitsCleanlyAndRemovesItsSocket) {
    SimProcess sim;
    std::string error;
    std::vector<std::string> arguments = {"--uipcmain"};
    if (GetParam().midRequest) arguments.insert(arguments.end(), {"--delay-ms", "600000"});
    ASSERT_TRUE(sim.Start(VORN_SIM_PATH, arguments, error)) << error;
    ASSERT_TRUE(Exists(SocketFor("UIPCMAIN")));
    std::thread client;
    if (GetParam().midRequest) {
        client = std::thread([] {
            auto transport = MakePosixTransport();
            IpcLink link(*transport);
            link.SetTiming({600000, 1});
            IpcResult result = -1;
            link.Open(0, result);  // waits until the server goes away
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the request reaches the server
    }
    GetParam().stop(sim);
    EXPECT_EQ(sim.Wait(), 0) << "within the default wait of 5 s, not after the delay";
    EXPECT_FALSE(Exists(SocketFor("UIPCMAIN")));
    if (client.joinable()) client.join();
}

INSTANTIATE_TEST_SUITE_P(Ways, VornSimStops, ::testing::ValuesIn(kStops),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(VornSimProcess, BackgroundIgnoresStdinUntilSignalled) {
    SimProcess sim;
    std::string error;
    ASSERT_TRUE(sim.Start(VORN_SIM_PATH, {"--background"}, error)) << error;
    sim.CloseInput();
    EXPECT_EQ(sim.Wait(300), -1) << "still running after end of input";
    auto transport = MakePosixTransport();
    IpcLink link(*transport);
    IpcResult result = -1;
    EXPECT_TRUE(link.Open(0, result)) << result;
    sim.Signal(SIGTERM);
    EXPECT_EQ(sim.Wait(), 0);
    EXPECT_FALSE(Exists(SocketFor("UIPCMAIN")));
}

TEST_F(VornSimProcess, SecondServerOfTheSameClassIsRefused) {
    SimProcess first, second;
    std::string error;
    ASSERT_TRUE(first.Start(VORN_SIM_PATH, {}, error)) << error;
    EXPECT_FALSE(second.Start(VORN_SIM_PATH, {}, error, 2000));
    EXPECT_EQ(second.Wait(), 1);
    EXPECT_TRUE(Exists(SocketFor("UIPCMAIN"))) << "the first server keeps its socket";
    EXPECT_EQ(first.Command("get 0x320C:4"), "0x320C:4=56 (0x00000038)");
}

TEST_F(VornSimProcess, StaleSocketOfACrashedServerIsReplaced) {
    SimProcess crashed;
    std::string error;
    ASSERT_TRUE(crashed.Start(VORN_SIM_PATH, {}, error)) << error;
    crashed.Signal(SIGKILL);
    EXPECT_EQ(crashed.Wait(), 128 + SIGKILL);
    ASSERT_TRUE(Exists(SocketFor("UIPCMAIN"))) << "a killed server leaves its socket";

    SimProcess next;
    ASSERT_TRUE(next.Start(VORN_SIM_PATH, {}, error)) << error;
    EXPECT_EQ(next.Command("quit"), "bye");
    EXPECT_EQ(next.Wait(), 0);
}

TEST_F(VornSimProcess, BothClassesAtOnce) {
    SimProcess sim;
    std::string error;
    ASSERT_TRUE(sim.Start(VORN_SIM_PATH, {"--class", "FS98MAIN", "--class", "UIPCMAIN"}, error)) << error;
    EXPECT_TRUE(Exists(SocketFor("FS98MAIN")));
    EXPECT_TRUE(Exists(SocketFor("UIPCMAIN")));
}

struct BadArguments {
    std::vector<std::string> arguments;
};

class VornSimUsage : public VornSimProcess, public ::testing::WithParamInterface<BadArguments> {};

TEST_P(VornSimUsage, BadOptionsExitWithTwo) {
    SimProcess sim;
    std::string error;
    EXPECT_FALSE(sim.Start(VORN_SIM_PATH, GetParam().arguments, error, 2000));
    EXPECT_EQ(sim.Wait(), 2);
}

INSTANTIATE_TEST_SUITE_P(Cases, VornSimUsage,
                         ::testing::Values(BadArguments{{"--fly"}}, BadArguments{{"--answer"}},
                                           BadArguments{{"--answer", "x"}}, BadArguments{{"--answer", "-1"}},
                                           BadArguments{{"--answer", "0x100000000"}},
                                           BadArguments{{"--delay-ms", "99999999"}},
                                           BadArguments{{"--simulator", "65536"}},
                                           BadArguments{{"--class", "a/b"}}),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

TEST_F(VornSimProcess, SocketFolderIsPrivate) {
    SimProcess sim;
    std::string error;
    ASSERT_TRUE(sim.Start(VORN_SIM_PATH, {}, error)) << error;
    const auto perms = std::filesystem::status(dir_.SocketDir()).permissions();
    EXPECT_EQ(perms & (std::filesystem::perms::group_all | std::filesystem::perms::others_all),
              std::filesystem::perms::none);
}

}  // namespace
}  // namespace vorn
