// The client over the built-in simulator, as `vornc run` uses it.
#include <gtest/gtest.h>

#include "fsuipc/ipc_link.h"
#include "fsuipc/offsets.h"
#include "fsuipc/request_block.h"
#include "sim/inprocess_transport.h"
#include "sim/sim_server.h"
#include "tests/fakes/fault_transport.h"
#include "tests/fakes/test_clock.h"

namespace vorn {
namespace {

TEST(InProcessLink, OpensWithHandshakeAndRoundTripsOffsets) {
    SimServer server;
    RecordingClock clock;
    InProcessTransport transport(server, "FS98MAIN", clock);
    IpcLink link(transport, clock);
    IpcResult result = -1;
    ASSERT_TRUE(link.Open(0, result));
    EXPECT_EQ(result, kIpcOk);
    EXPECT_EQ(link.FsuipcVersion(), server.Options().fsuipcVersion);
    EXPECT_EQ(link.SimulatorVersion(), server.Options().simulator);
    EXPECT_EQ(server.ClientLibraryVersion(), 1004);

    EXPECT_TRUE(link.WriteLong(123456, 0x0570));
    EXPECT_EQ(link.ReadLong(0x0570), 123456);
    const std::uint8_t ff = 0xFF;
    server.Poke(0x0C48, &ff, 1);
    EXPECT_EQ(link.ReadByte(0x0C48), 255);
}

TEST(InProcessLink, AnswersOnlyToItsClass) {
    SimServer server;
    RecordingClock clock;
    InProcessTransport asUipc(server, "UIPCMAIN", clock);
    EXPECT_NE(asUipc.FindServer("UIPCMAIN"), 0u);
    EXPECT_EQ(asUipc.FindServer("FS98MAIN"), 0u);

    // Found as UIPCMAIN, a refusal is 7; found as FS98MAIN it is 14.
    SimServerOptions old;
    old.fsuipcVersion = 0x19980004;
    SimServer oldServer(old);
    InProcessTransport oldUipc(oldServer, "UIPCMAIN", clock);
    IpcLink a(oldUipc, clock);
    IpcResult result = -1;
    EXPECT_FALSE(a.Open(0, result));
    EXPECT_EQ(result, kIpcRefused);
    InProcessTransport oldFs98(oldServer, "FS98MAIN", clock);
    IpcLink b(oldFs98, clock);
    EXPECT_FALSE(b.Open(0, result));
    EXPECT_EQ(result, kIpcRefusedFs98);
}

TEST(InProcessLink, ServerThatNeverAnswersCostsTheTimeOutOnTheClock) {
    SimServerOptions options;
    options.neverAnswer = true;
    SimServer server(options);
    RecordingClock clock;
    InProcessTransport transport(server, "FS98MAIN", clock);
    IpcLink link(transport, clock);
    IpcResult result = -1;
    EXPECT_FALSE(link.Open(0, result));
    EXPECT_EQ(result, kIpcTimeout);
    EXPECT_EQ(clock.Sleeps(), 20) << "10 time-outs and 10 pauses";
    EXPECT_EQ(clock.TotalMs(), 10u * (2000 + 100));
    EXPECT_FALSE(link.IsOpen());
}

TEST(InProcessLink, SlowServerAnswersWithinTheTimeOut) {
    SimServerOptions options;
    options.delayMs = 50;
    SimServer server(options);
    RecordingClock clock;
    InProcessTransport transport(server, "FS98MAIN", clock);
    IpcLink link(transport, clock);
    IpcResult result = -1;
    ASSERT_TRUE(link.Open(0, result));
    const int before = clock.Sleeps();
    EXPECT_EQ(link.ReadLong(kOffsetHotKeyCount), 56);
    EXPECT_EQ(clock.Sleeps(), before + 1);

    link.SetSendTimeout(50);  // now the delay reaches the time-out
    EXPECT_EQ(link.ReadLong(kOffsetHotKeyCount), -1);
}

TEST(InProcessLink, BlockNamesAreUniquePerTransport) {
    SimServer server;
    RecordingClock clock;
    InProcessTransport transport(server, "FS98MAIN", clock);
    IpcLink first(transport, clock), second(transport, clock);
    IpcResult result = -1;
    ASSERT_TRUE(first.Open(0, result));
    EXPECT_FALSE(second.Open(0, result));
    EXPECT_EQ(result, kIpcCreateFailed) << "the same process's block name is taken";
    first.Close();
    EXPECT_TRUE(second.Open(0, result)) << "and free again once closed";
}

}  // namespace
}  // namespace vorn
