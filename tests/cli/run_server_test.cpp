// vornc run --server against a real vorn-sim process: the program reads the
// server's offsets, a press on the server starts its key routine, the hot
// key is withdrawn at the end, and a server that goes away is noticed.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "sim/sim_process.h"
#include "tests/cli/vornc_process.h"
#include "tests/fsuipc/private_runtime_dir.h"

namespace vorn::test {
namespace {

const char* const kAltitudeProgram =
    "int altitude at 0x0570;\n"
    "char text[40];\n"
    "key(Control, 'G') {\n"
    "   sprintf(text, \"altitude %d\", altitude)\n"
    "   printstr(text)\n"
    "}\n";

class RunServer : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(sim_.Start(VORN_SIM_PATH, {}, error)) << error;
    }

    // Waits until the running program has registered its hot key.
    bool WaitForKey(const std::string& name) {
        for (int i = 0; i < 200; ++i) {
            if (sim_.Command("keys").find(name) != std::string::npos) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    testing::PrivateRuntimeDir runtime_;
    SimProcess sim_;
};

TEST_F(RunServer, ReadsOffsetsAndRunsKeyRoutinesPressedOnTheServer) {
    TempProgram program(kAltitudeProgram);
    ASSERT_EQ(sim_.Command("set 0x0570:4=4321"), "0x0570:4=4321 (0x000010E1)");
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
    EXPECT_NE(r.err.find("the link to the simulator was lost"), std::string::npos) << r.err;
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
