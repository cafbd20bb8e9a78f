// The FSUIPC client over the Win32 transport against vorn-sim.exe, a real
// server process with hidden windows, as a user meets it on Windows.
#include <gtest/gtest.h>

#include <windows.h>
#undef AddAtom  // keep the transport's method name

#include <cstdio>
#include <string>
#include <vector>

#include "fsuipc/ipc_link.h"
#include "fsuipc/platform_transport.h"
#include "sim/sim_process.h"
#include "sim/sim_server.h"
#include "tests/fakes/test_clock.h"
#include "tests/windows/sim_exe.h"
#include "tests/windows/wine_path.h"

namespace vorn {
namespace {

const std::string kSim = test::WindowsPath(VORN_SIM_PATH);

class VornSimExe : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::WaitForNoWindow("FS98MAIN")) << "a server from an earlier test is still running";
        ASSERT_TRUE(test::WaitForNoWindow("UIPCMAIN"));
        transport_ = MakePlatformTransport();
    }
    void TearDown() override {
        // Servers quit at the end of each test; the next one must not find them.
        sim_.reset();
        test::WaitForNoWindow("FS98MAIN");
        test::WaitForNoWindow("UIPCMAIN");
    }

    SimProcess& StartSim(const std::vector<std::string>& arguments = {}) {
        sim_ = std::make_unique<SimProcess>();
        std::string error;
        EXPECT_TRUE(sim_->Start(kSim, arguments, error, 15000)) << error;
        return *sim_;
    }

    std::unique_ptr<SimProcess> sim_;
    std::unique_ptr<IpcTransport> transport_;
};

TEST_F(VornSimExe, ReportsItsWindowWhenReady) {
    SimProcess& sim = StartSim();
    EXPECT_EQ(sim.ReadyLine(), "vorn-sim ready: UIPCMAIN window");
    EXPECT_NE(FindWindowExA(nullptr, nullptr, "UIPCMAIN", nullptr), nullptr);
    EXPECT_EQ(sim.Command("quit"), "bye");
    EXPECT_EQ(sim.Wait(), 0);
    EXPECT_TRUE(test::WaitForNoWindow("UIPCMAIN"));
}

TEST_F(VornSimExe, OpensWithTheHandshake) {
    SimProcess& sim = StartSim();
    IpcLink link(*transport_);
    IpcResult result = -1;
    ASSERT_TRUE(link.Open(0, result));
    EXPECT_EQ(result, kIpcOk);
    EXPECT_EQ(link.FsuipcVersion(), kDefaultFsuipcVersion);
    EXPECT_EQ(link.SimulatorVersion(), kDefaultSimulator);
    EXPECT_EQ(sim.Command("get 0x3308:4"), "0x3308:4=-86114291 (0xFADE000D)") << "what the client was told";
}

TEST_F(VornSimExe, ReadsAndWritesRoundTrip) {
    SimProcess& sim = StartSim();
    IpcLink link(*transport_);
    IpcResult result = -1;
    ASSERT_TRUE(link.Open(0, result)) << result;

    EXPECT_TRUE(link.WriteLong(123456, 0x0570));
    EXPECT_EQ(sim.Command("get 0x0570:4"), "0x0570:4=123456 (0x0001E240)");
    EXPECT_EQ(sim.Command("set 0x0570:4=1000"), "0x0570:4=1000 (0x000003E8)");
    EXPECT_EQ(link.ReadLong(0x0570), 1000);
    EXPECT_TRUE(link.WriteByte(0xFF, 0x0C48));
    EXPECT_EQ(link.ReadByte(0x0C48), 255);

    // Several records in one exchange, a block read among them.
    std::uint8_t block[300];
    for (int i = 0; i < 300; ++i) block[i] = std::uint8_t(i * 7);
    ASSERT_EQ(link.WriteBlock(block, 0x4000, sizeof block), kIpcOk);
    std::uint8_t back[300] = {};
    std::int32_t word = 0;
    ASSERT_TRUE(link.QueueRead(0x4000, sizeof back, back, result));
    ASSERT_TRUE(link.QueueRead(0x0570, 4, &word, result));
    ASSERT_TRUE(link.Exchange(result)) << result;
    EXPECT_EQ(std::vector<std::uint8_t>(back, back + 300), std::vector<std::uint8_t>(block, block + 300));
    EXPECT_EQ(word, 1000);
}

TEST_F(VornSimExe, HotKeyRegisteredByTheClientIsPressedByTheServer) {
    SimProcess& sim = StartSim();
    IpcLink link(*transport_);
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

TEST_F(VornSimExe, OpeningTwiceReportsOneAndKeepsTheFirstLink) {
    StartSim();
    IpcLink link(*transport_);
    IpcResult result = -1;
    ASSERT_TRUE(link.Open(0, result));
    EXPECT_FALSE(link.Open(0, result));
    EXPECT_EQ(result, kIpcAlreadyOpen);
    EXPECT_TRUE(link.IsOpen());
    EXPECT_TRUE(link.WriteLong(77, 0x0570));
    EXPECT_EQ(link.ReadLong(0x0570), 77);
}

TEST_F(VornSimExe, NoServerReportsTwo) {
    IpcLink link(*transport_);
    IpcResult result = -1;
    EXPECT_FALSE(link.Open(0, result));
    EXPECT_EQ(result, kIpcNoServer);
    EXPECT_FALSE(link.IsOpen());
}

struct RefusalCase {
    const char* name;
    std::vector<std::string> arguments;
    std::uint32_t requested;
    IpcResult expected;
};

class VornSimRefusals : public VornSimExe, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(VornSimRefusals, OpenFailsWithTheResultAndLeavesTheLinkClosed) {
    StartSim(GetParam().arguments);
    RecordingClock clock;
    IpcLink link(*transport_, clock);
    IpcResult result = -1;
    EXPECT_FALSE(link.Open(GetParam().requested, result));
    EXPECT_EQ(result, GetParam().expected);
    EXPECT_FALSE(link.IsOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VornSimRefusals,
    ::testing::Values(RefusalCase{"old_fsuipc_as_uipcmain", {"--uipcmain", "--version-fsuipc", "0x19980004"}, 0, kIpcRefused},
                      RefusalCase{"old_fsuipc_as_fs98main", {"--wideclient", "--version-fsuipc", "0x19980004"}, 0, kIpcRefusedFs98},
                      RefusalCase{"other_simulator", {"--simulator", "7"}, 8, kIpcWrongSimulator},
                      RefusalCase{"bad_answer", {"--answer", "0"}, 0, kIpcBadAnswer}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(VornSimExe, ServerThatNeverAnswersTimesOutWithEleven) {
    StartSim({"--no-answer"});
    RecordingClock clock;
    IpcLink link(*transport_, clock);
    link.SetSendTimeout(50);  // ten attempts of 50 ms instead of 2000
    IpcResult result = -1;
    EXPECT_FALSE(link.Open(0, result));
    EXPECT_EQ(result, kIpcTimeout);
    EXPECT_EQ(clock.TotalMs(), 10u * 100u) << "a pause after every attempt";
}

TEST_F(VornSimExe, ServerThatAnswersLateTimesOutWithEleven) {
    StartSim({"--delay-ms", "400"});
    RecordingClock clock;
    IpcLink link(*transport_, clock);
    link.SetSendTimeout(50);
    IpcResult result = -1;
    EXPECT_FALSE(link.Open(0, result));
    EXPECT_EQ(result, kIpcTimeout);
}

TEST_F(VornSimExe, ServerGoneMidLinkReportsTwelve) {
    SimProcess& sim = StartSim();
    RecordingClock clock;
    IpcLink link(*transport_, clock);
    IpcResult result = -1;
    ASSERT_TRUE(link.Open(0, result));
    EXPECT_EQ(sim.Command("quit"), "bye");
    EXPECT_EQ(sim.Wait(), 0);
    ASSERT_TRUE(test::WaitForNoWindow("UIPCMAIN"));
    std::int32_t value = 0;
    ASSERT_TRUE(link.QueueRead(0x0570, 4, &value, result));
    EXPECT_FALSE(link.Exchange(result));
    EXPECT_EQ(result, kIpcSendFailed) << "the window is gone: a system error, not a time-out";
    EXPECT_EQ(link.ReadByte(0x0C48), -1);
    EXPECT_TRUE(link.IsOpen()) << "the caller decides to close";
}

TEST_F(VornSimExe, RecordThatDoesNotFitReportsFifteen) {
    StartSim();
    IpcLink link(*transport_);
    IpcResult result = -1;
    ASSERT_TRUE(link.Open(0, result));
    std::vector<std::uint8_t> big(0x7F00);
    EXPECT_FALSE(link.QueueRead(0, 0x7F00 - 16 - 4 + 1, big.data(), result));
    EXPECT_EQ(result, kIpcTooLarge);
    EXPECT_EQ(link.QueuedBytes(), 0u);
    // Exactly up to the limit is accepted, and the server fills it.
    ASSERT_TRUE(link.QueueRead(0, 0x7F00 - 16 - 4, big.data(), result)) << result;
    EXPECT_TRUE(link.Exchange(result)) << result;
}

TEST_F(VornSimExe, ServesBothClassesAtOnce) {
    StartSim({"--class", "FS98MAIN", "--class", "UIPCMAIN"});
    EXPECT_NE(FindWindowExA(nullptr, nullptr, "FS98MAIN", nullptr), nullptr);
    EXPECT_NE(FindWindowExA(nullptr, nullptr, "UIPCMAIN", nullptr), nullptr);
    IpcLink link(*transport_);
    IpcResult result = -1;
    EXPECT_TRUE(link.Open(0, result)) << result;
}

TEST_F(VornSimExe, SecondServerOfTheSameClassIsRefused) {
    SimProcess& first = StartSim();
    SimProcess second;
    std::string error;
    EXPECT_FALSE(second.Start(kSim, {}, error, 5000));
    EXPECT_EQ(second.Wait(), 1);
    EXPECT_EQ(first.Command("get 0x320C:4"), "0x320C:4=56 (0x00000038)");
}

TEST_F(VornSimExe, EndOfInputStopsIt) {
    SimProcess& sim = StartSim({"--uipcmain"});
    sim.CloseInput();
    EXPECT_EQ(sim.Wait(), 0);
    EXPECT_TRUE(test::WaitForNoWindow("UIPCMAIN"));
}

TEST_F(VornSimExe, IpcNameChangesTheNameBothSidesUse) {
    test::ScopedEnvironment name("VORN_IPC_NAME", "VornTest:Other");
    StartSim();  // inherits the name
    IpcLink link(*transport_);
    IpcResult result = -1;
    ASSERT_TRUE(link.Open(0, result)) << result;
    // The block's atom carries the new name.
    char atomName[64];
    std::snprintf(atomName, sizeof atomName, "VornTest:Other:%lX:1", GetCurrentProcessId());
    EXPECT_NE(GlobalFindAtomA(atomName), 0) << atomName;
    EXPECT_TRUE(link.WriteLong(5, 0x0570));
    EXPECT_EQ(link.ReadLong(0x0570), 5);
}

TEST_F(VornSimExe, ClientWithAnotherNameIsNotServed) {
    StartSim();  // the default name
    test::ScopedEnvironment name("VORN_IPC_NAME", "VornTest:Other");
    RecordingClock clock;
    IpcLink link(*transport_, clock);
    IpcResult result = -1;
    EXPECT_FALSE(link.Open(0, result));
    EXPECT_EQ(result, kIpcBadAnswer) << "the window does not know the other message";
}

}  // namespace
}  // namespace vorn
