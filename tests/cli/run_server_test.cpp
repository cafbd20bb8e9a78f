// vornc run --server against a real vorn-sim process: the program reads the
// server's offsets, a press on the server starts its key routine, the hot
// key is withdrawn at the end, and a server that goes away is noticed.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "fsuipc/ipc_link.h"
#include "sim/sim_process.h"
#include "tests/cli/vornc_process.h"
#include "tests/fsuipc/private_runtime_dir.h"

namespace vorn::test {
namespace {

const char* const kAltitudeProgram =
    "int altitude at 0x0574;\n"  // whole metres: the high half of the 8-byte altitude
    "char text[40];\n"
    "key(Control, 'G') {\n"
    "   sprintf(text, \"altitude %d\", altitude)\n"
    "   printstr(text)\n"
    "}\n";

// Waits until the server's hot-key table reads as `keys` says (a part of it).
bool WaitForKeys(SimProcess& sim, const std::string& keys, int tries = 400) {
    for (int i = 0; i < tries; ++i) {
        if (sim.Command("keys").find(keys) != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// Short time-outs, so that a lost link is noticed in well under a second.
const std::vector<std::pair<std::string, std::string>> kQuickLink = {{"VORN_IPC_TIMEOUT_MS", "300"},
                                                                     {"VORN_IPC_ATTEMPTS", "2"}};

class RunServer : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(sim_.Start(VORN_SIM_PATH, {}, error)) << error;
    }

    // Waits until the running program has registered its hot key.
    bool WaitForKey(const std::string& name) { return WaitForKeys(sim_, name); }

    testing::PrivateRuntimeDir runtime_;
    SimProcess sim_;
};

TEST_F(RunServer, ReadsOffsetsAndRunsKeyRoutinesPressedOnTheServer) {
    TempProgram program(kAltitudeProgram);
    ASSERT_EQ(sim_.Command("set 0x0574:4=4321"), "0x0574:4=4321 (0x000010E1)");
    ProcessOptions options;
    options.timeoutMs = 30000;
    ChildProcess run(VORN_VORNC_PATH, {"run", program.Path(), "--server", "--seconds", "3"}, options);
    ASSERT_TRUE(WaitForKey("Ctrl+G"));
    EXPECT_EQ(sim_.Command("press Ctrl+G"), "pressed Ctrl+G (71,2): 1 hot key flagged");
    const ProcessResult r = run.Finish();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.OutLines(), std::vector<std::string>{"altitude 4321"});
    EXPECT_EQ(sim_.Command("keys"), "no hot keys registered") << "withdrawn at disconnect";
}

TEST_F(RunServer, QuitOnStandardInputEndsTheRun) {
    TempProgram program(kAltitudeProgram);
    ProcessOptions options;
    options.input = "keys\nquit\n";
    options.keepInputOpen = true;
    options.timeoutMs = 30000;
    const ProcessResult r = RunVornc({"run", program.Path(), "--server"}, options);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("commands act on the built-in simulator"), std::string::npos) << r.err;
    EXPECT_EQ(sim_.Command("keys"), "no hot keys registered");
}

TEST_F(RunServer, ServerThatGoesAwayEndsTheRun) {
    TempProgram program(kAltitudeProgram);
    ProcessOptions options;
    options.keepInputOpen = true;
    options.timeoutMs = 60000;
    ChildProcess run(VORN_VORNC_PATH, {"run", program.Path(), "--server"}, options);
    ASSERT_TRUE(WaitForKey("Ctrl+G"));
    EXPECT_EQ(sim_.Command("quit"), "bye");
    EXPECT_EQ(sim_.Wait(), 0);
    const ProcessResult r = run.Finish();
    EXPECT_EQ(r.status, 4) << r.err;
    EXPECT_NE(r.err.find("Lost the link to the simulator at tick "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("(12: sending to the server failed)"), std::string::npos) << r.err;
}

// A simulator restarted under a running program. Without --reconnect the
// run ends with 4 and the new server is never written; with it, the program
// is started again there and its key works.
struct RestartCase {
    const char* name;
    bool reconnect;
    int status;
    const char* output;
};

class RunServerRestart : public RunServer, public ::testing::WithParamInterface<RestartCase> {};

TEST_P(RunServerRestart, IsNoticedAndReported) {
    TempProgram program(kAltitudeProgram);
    ProcessOptions options;
    options.keepInputOpen = true;
    options.environment = kQuickLink;
    std::vector<std::string> args = {"run", program.Path(), "--server"};
    if (GetParam().reconnect) args.push_back("--reconnect");
    ChildProcess run(VORN_VORNC_PATH, args, options);
    ASSERT_TRUE(WaitForKey("Ctrl+G"));
    EXPECT_EQ(sim_.Command("quit"), "bye");
    EXPECT_EQ(sim_.Wait(), 0);

    SimProcess next;
    std::string error;
    ASSERT_TRUE(next.Start(VORN_SIM_PATH, {}, error)) << error;
    EXPECT_EQ(next.Command("set 0x0574:4=777"), "0x0574:4=777 (0x00000309)");
    if (GetParam().reconnect) {
        ASSERT_TRUE(WaitForKeys(next, "1 hot key: 0x3210 Ctrl+G (71,2) flag 0")) << "registered again";
        EXPECT_EQ(next.Command("press Ctrl+G"), "pressed Ctrl+G (71,2): 1 hot key flagged");
        EXPECT_TRUE(WaitForKeys(next, "flag 0")) << "the program took the press";
        run.Signal(SIGTERM);
    }
    const ProcessResult r = run.Finish();
    EXPECT_EQ(r.status, GetParam().status) << r.err;
    EXPECT_NE(r.err.find("vornc run: Lost the link to the simulator at tick "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("(12: sending to the server failed)"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Reconnected to the simulator") != std::string::npos, GetParam().reconnect) << r.err;
    EXPECT_EQ(r.out, GetParam().output);
    EXPECT_EQ(next.Command("keys"), "no hot keys registered");
    EXPECT_EQ(next.Command("get 0x0574:4"), "0x0574:4=777 (0x00000309)");
}

INSTANTIATE_TEST_SUITE_P(Modes, RunServerRestart,
                         ::testing::Values(RestartCase{"plain", false, 4, ""},
                                           RestartCase{"reconnect", true, 0, "altitude 777\n"}),
                         [](const auto& info) { return std::string(info.param.name); });

// Whether any shared-memory block of process `pid` is left.
bool BlockLeft(pid_t pid) {
    char name[64];
    std::snprintf(name, sizeof name, "/dev/shm/%s:%X:1", kDefaultIpcMessageName, unsigned(pid));
    return std::filesystem::exists(name);
}

// Signals that end a run: healthy server or stalled one.
struct SignalCase {
    const char* name;
    int signal;
    bool stallServer;
    int status;
    const char* keysAfter;
};

class RunServerSignals : public RunServer, public ::testing::WithParamInterface<SignalCase> {};

TEST_P(RunServerSignals, EndTheRunAndLeaveNothingBehind) {
    TempProgram program(kAltitudeProgram);
    ProcessOptions options;
    options.keepInputOpen = true;
    options.timeoutMs = 15000;  // a stalled exchange would otherwise take 21 s
    ChildProcess run(VORN_VORNC_PATH, {"run", program.Path(), "--server"}, options);
    ASSERT_TRUE(WaitForKey("Ctrl+G"));
    if (GetParam().stallServer) {
        sim_.Signal(SIGSTOP);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));  // let a heartbeat get stuck
    }
    run.Signal(GetParam().signal);
    const ProcessResult r = run.Finish();
    if (GetParam().stallServer) sim_.Signal(SIGCONT);
    EXPECT_EQ(r.status, GetParam().status) << r.err;
    EXPECT_FALSE(BlockLeft(run.Pid()));
    EXPECT_EQ(sim_.Command("keys").find(GetParam().keysAfter), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, RunServerSignals,
    ::testing::Values(SignalCase{"sigterm", SIGTERM, false, 0, "no hot keys registered"},
                      SignalCase{"sighup", SIGHUP, false, 0, "no hot keys registered"},
                      SignalCase{"sigint", SIGINT, false, 0, "no hot keys registered"},
                      // The stalled exchange is cut short; the server that did
                      // not answer cannot have its key released.
                      SignalCase{"sigterm_stalled", SIGTERM, true, 4, "1 hot key"}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusedCase {
    const char* name;
    bool startServer;
    std::vector<std::string> serverArguments;
    const char* message;
};

class RunConnectFailure : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RunConnectFailure, SaysWhyWithTheResultCode) {
    testing::PrivateRuntimeDir runtime;
    SimProcess sim;
    std::string error;
    if (GetParam().startServer) {
        ASSERT_TRUE(sim.Start(VORN_SIM_PATH, GetParam().serverArguments, error)) << error;
    }
    TempProgram program(kAltitudeProgram);
    ProcessOptions options;
    options.environment = kQuickLink;
    const ProcessResult r = RunVornc({"run", program.Path(), "--server", "--ticks", "1"}, options);
    EXPECT_EQ(r.status, 4);
    EXPECT_EQ(r.err, std::string(GetParam().message) + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Causes, RunConnectFailure,
    ::testing::Values(
        RefusedCase{"no_server", false, {},
                    "vornc run: Cannot connect to the simulator (2: no FSUIPC server is running) - is vorn-sim running?"},
        RefusedCase{"handshake_refused", true, {"--version-fsuipc", "0"},
                    "vornc run: Cannot connect to the simulator (7: handshake refused (UIPCMAIN))"},
        RefusedCase{"handshake_refused_wideclient", true, {"--wideclient", "--version-fsuipc", "0"},
                    "vornc run: Cannot connect to the simulator (14: handshake refused (FS98MAIN))"},
        RefusedCase{"answer_zero", true, {"--answer", "0"},
                    "vornc run: Cannot connect to the simulator (13: the server's answer was not valid)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RunServer, StoppedServerIsReportedAfterOneTimeOut) {
    TempProgram program(kAltitudeProgram);
    ProcessOptions options;
    options.keepInputOpen = true;
    options.environment = kQuickLink;
    ChildProcess run(VORN_VORNC_PATH, {"run", program.Path(), "--server"}, options);
    ASSERT_TRUE(WaitForKey("Ctrl+G"));
    sim_.Signal(SIGSTOP);
    const ProcessResult r = run.Finish();
    sim_.Signal(SIGCONT);
    EXPECT_EQ(r.status, 4) << r.err;
    EXPECT_NE(r.err.find(": no answer in 2 attempts of 300 ms (11: the server did not answer)"), std::string::npos)
        << r.err;
    EXPECT_EQ(sim_.Command("get 0x0570:4"), "0x0570:4=0 (0x00000000)") << "the server is usable again";
}

}  // namespace
}  // namespace vorn::test

namespace vorn::test {
namespace {

TEST(RunServerModel, TheModelMovesTheServersOffsets) {
    testing::PrivateRuntimeDir runtime;
    SimProcess sim;
    std::string error;
    ASSERT_TRUE(sim.Start(VORN_SIM_PATH, {"--model"}, error)) << error;
    TempProgram program(
        "int feet at 0x3324;\n"
        "char text[40];\n"
        "key(Control, 'G') {\n"
        "   sprintf(text, \"%d\", feet)\n"
        "   printstr(text)\n"
        "}\n");
    ProcessOptions options;
    options.timeoutMs = 30000;
    ChildProcess run(VORN_VORNC_PATH, {"run", program.Path(), "--server", "--seconds", "3"}, options);
    for (int i = 0; i < 200 && sim.Command("keys").find("Ctrl+G") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_NE(sim.Command("press Ctrl+G").find("1 hot key flagged"), std::string::npos);
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    EXPECT_NE(sim.Command("press Ctrl+G").find("1 hot key flagged"), std::string::npos);
    const ProcessResult r = run.Finish();
    EXPECT_EQ(r.status, 0) << r.err;
    const auto lines = r.OutLines();
    ASSERT_EQ(lines.size(), 2u) << r.out;
    EXPECT_GT(std::stoi(lines[1]), std::stoi(lines[0])) << "the aircraft climbs between the presses";
}

}  // namespace
}  // namespace vorn::test
