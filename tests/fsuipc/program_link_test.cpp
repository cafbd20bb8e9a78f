// The Ipc* functions over the program's one link.
#include <gtest/gtest.h>

#include <memory>

#include "fsuipc/ipc.h"
#include "fsuipc/offsets.h"
#include "fsuipc/request_block.h"
#include "sim/inprocess_transport.h"
#include "sim/sim_server.h"
#include "tests/fakes/test_clock.h"

namespace vorn {
namespace {

class ProgramLinkTest : public ::testing::Test {
protected:
    void SetUp() override { SetProgramTransport(std::make_unique<InProcessTransport>(server, "FS98MAIN", clock)); }
    void TearDown() override { SetProgramTransport(nullptr); }

    SimServer server;
    RecordingClock clock;
};

TEST_F(ProgramLinkTest, FreeFunctionsDriveTheOneLink) {
    IpcResult result = -1;
    ASSERT_TRUE(IpcOpen(0, result));
    EXPECT_TRUE(ProgramLink().IsOpen());
    EXPECT_FALSE(IpcOpen(0, result));
    EXPECT_EQ(result, kIpcAlreadyOpen);

    EXPECT_TRUE(IpcWriteLong(4242, 0x0570));
    EXPECT_EQ(IpcReadLong(0x0570), 4242);
    EXPECT_TRUE(IpcWriteByte(0xFF, 0x0C48));
    EXPECT_EQ(IpcReadByte(0x0C48), 255);

    const std::uint8_t out[3] = {1, 2, 3};
    EXPECT_EQ(IpcWriteBlock(out, 0x0600, 3), kIpcOk);
    std::uint8_t in[3] = {};
    EXPECT_EQ(IpcReadBlock(in, 0x0600, 3), kIpcOk);
    EXPECT_EQ(in[2], 3);

    std::uint8_t count[4] = {};
    EXPECT_TRUE(IpcQueueRead(kOffsetHotKeyCount, 4, count, result));
    const std::uint8_t entry[4] = {71, 2, 0, 0};
    EXPECT_TRUE(IpcQueueWrite(kOffsetHotKeyTable, 4, entry, result));
    EXPECT_TRUE(IpcExchange(result));
    EXPECT_EQ(LoadU32(count), 56u);
    EXPECT_EQ(server.RegisteredKeys().size(), 1u);

    IpcClose();
    EXPECT_FALSE(ProgramLink().IsOpen());
    EXPECT_EQ(IpcReadByte(0x0C48), -1);
    EXPECT_FALSE(IpcExchange(result));
    EXPECT_EQ(result, kIpcNotOpen);
}

TEST_F(ProgramLinkTest, ReplacingTheTransportClosesTheLink) {
    IpcResult result = -1;
    ASSERT_TRUE(IpcOpen(0, result));
    SimServer other;
    SetProgramTransport(std::make_unique<InProcessTransport>(other, "UIPCMAIN", clock));
    EXPECT_FALSE(ProgramLink().IsOpen());
    ASSERT_TRUE(IpcOpen(0, result));
    EXPECT_TRUE(IpcWriteLong(99, 0x0570));
    std::uint8_t bytes[4];
    other.Peek(0x0570, bytes, 4);
    EXPECT_EQ(LoadU32(bytes), 99u) << "the new transport's server got the write";
    server.Peek(0x0570, bytes, 4);
    EXPECT_EQ(LoadU32(bytes), 0u);
}

#ifndef _WIN32
TEST(IpcNameTest, DefaultAndEnvironment) {
    ::unsetenv("VORN_IPC_NAME");
    EXPECT_EQ(IpcName(), "FsasmLib:IPC") << "the name FSUIPC servers register";
    ::setenv("VORN_IPC_NAME", "", 1);
    EXPECT_EQ(IpcName(), kDefaultIpcMessageName) << "empty counts as unset";
    ::setenv("VORN_IPC_NAME", "Test:Link", 1);
    EXPECT_EQ(IpcName(), "Test:Link");
    ::unsetenv("VORN_IPC_NAME");
}
#endif

#ifndef _WIN32
struct TimingCase {
    const char* timeout;  // nullptr: unset
    const char* attempts;
    bool accepted;
    std::uint32_t timeoutMs;
    int attemptCount;
    const char* blamed = "";  // what the refusal's message names
};

class TimingFromEnvironment : public ::testing::TestWithParam<TimingCase> {
protected:
    void TearDown() override {
        ::unsetenv("VORN_IPC_TIMEOUT_MS");
        ::unsetenv("VORN_IPC_ATTEMPTS");
    }
};

TEST_P(TimingFromEnvironment, TakesCheckedValuesOrKeepsTheDefaults) {
    const TimingCase& c = GetParam();
    if (c.timeout) ::setenv("VORN_IPC_TIMEOUT_MS", c.timeout, 1);
    if (c.attempts) ::setenv("VORN_IPC_ATTEMPTS", c.attempts, 1);
    IpcTiming timing{1, 1};
    std::string error;
    EXPECT_EQ(IpcTimingFromEnvironment(timing, error), c.accepted) << error;
    EXPECT_EQ(timing.timeoutMs, c.timeoutMs);
    EXPECT_EQ(timing.attempts, c.attemptCount);
    if (!c.accepted) {
        EXPECT_NE(error.find(c.blamed), std::string::npos) << error;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, TimingFromEnvironment,
    ::testing::Values(TimingCase{nullptr, nullptr, true, 2000, 10}, TimingCase{"", "", true, 2000, 10},
                      TimingCase{"1", "1", true, 1, 1}, TimingCase{"600000", "100", true, 600000, 100},
                      TimingCase{"0", nullptr, false, 2000, 10, "VORN_IPC_TIMEOUT_MS=0"},
                      TimingCase{"600001", nullptr, false, 2000, 10, "VORN_IPC_TIMEOUT_MS=600001"},
                      TimingCase{nullptr, "0", false, 2000, 10, "VORN_IPC_ATTEMPTS=0"},
                      TimingCase{nullptr, "101", false, 2000, 10, "VORN_IPC_ATTEMPTS=101"},
                      TimingCase{"2s", nullptr, false, 2000, 10, "VORN_IPC_TIMEOUT_MS=2s"},
                      TimingCase{"-5", nullptr, false, 2000, 10, "VORN_IPC_TIMEOUT_MS=-5"},
                      TimingCase{"250", "x", false, 2000, 10, "VORN_IPC_ATTEMPTS=x"},
                      TimingCase{"99999999999999999999", nullptr, false, 2000, 10, "VORN_IPC_TIMEOUT_MS=9"}));
#endif

TEST(IpcResultTextTest, EveryCodeHasText) {
    for (int code = 0; code <= 15; ++code) EXPECT_STRNE(IpcResultText(code), "unknown result") << code;
    EXPECT_STREQ(IpcResultText(16), "unknown result");
}

}  // namespace
}  // namespace vorn
