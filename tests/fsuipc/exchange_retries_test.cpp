// The exchange: terminator, emptied queue, ten attempts with pauses, answers.
#include <gtest/gtest.h>

#include "fsuipc/offsets.h"
#include "fsuipc/request_block.h"
#include "tests/fsuipc/link_rig.h"

namespace vorn {
namespace {

using testing::LinkRig;

class ExchangeRetries : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(rig.Open());
        sendsAfterOpen = rig.fault.SendCalls();
        sleepsAfterOpen = rig.clock.Sleeps();
    }
    bool QueueOneRead() {
        IpcResult result;
        return rig.link.QueueRead(kOffsetHotKeyCount, 4, value, result);
    }
    int Sends() const { return rig.fault.SendCalls() - sendsAfterOpen; }
    int Sleeps() const { return rig.clock.Sleeps() - sleepsAfterOpen; }

    LinkRig rig;
    std::uint8_t value[4] = {};
    int sendsAfterOpen = 0;
    int sleepsAfterOpen = 0;
};

TEST_F(ExchangeRetries, NothingQueuedGivesTenWithoutSending) {
    IpcResult result = -1;
    EXPECT_FALSE(rig.link.Exchange(result));
    EXPECT_EQ(result, kIpcNothingQueued);
    EXPECT_EQ(Sends(), 0);
}

TEST_F(ExchangeRetries, SuccessWritesTheTerminatorAndEmptiesTheQueue) {
    ASSERT_TRUE(QueueOneRead());
    std::uint8_t* block = rig.fault.LastView();
    StoreU32(block + 20, 0xDEADBEEF);  // where the terminator goes
    IpcResult result = -1;
    ASSERT_TRUE(rig.link.Exchange(result));
    EXPECT_EQ(result, kIpcOk);
    EXPECT_EQ(LoadU32(block + 20), 0u);
    EXPECT_EQ(LoadU32(value), 56u);
    EXPECT_EQ(rig.link.QueuedBytes(), 0u);
    EXPECT_EQ(Sends(), 1);
    EXPECT_EQ(Sleeps(), 0) << "no pause after a delivered attempt";
    EXPECT_EQ(rig.fault.LastTimeout(), 2000u);
}

struct FailureCase {
    const char* name;
    std::uint32_t errorCode;
    IpcResult expected;
};

class AllAttemptsFail : public ExchangeRetries, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(AllAttemptsFail, TenAttemptsTenPausesThenTheCodeAndTheLinkIsDead) {
    rig.fault.FailSends(-1, GetParam().errorCode);
    ASSERT_TRUE(QueueOneRead());
    IpcResult result = -1;
    EXPECT_FALSE(rig.link.Dead());
    EXPECT_FALSE(rig.link.Exchange(result));
    EXPECT_EQ(result, GetParam().expected);
    EXPECT_EQ(Sends(), 10);
    EXPECT_EQ(Sleeps(), 10) << "the tenth failure is followed by a pause too";
    EXPECT_EQ(rig.clock.TotalMs() - 100u * sleepsAfterOpen, 1000u);
    EXPECT_TRUE(rig.link.IsOpen()) << "only the caller closes";
    EXPECT_EQ(rig.link.QueuedBytes(), 0u);
    EXPECT_EQ(LoadU32(rig.fault.LastView()), 0u) << "a server that wakes up later finds nothing to apply";

    // Dead: later exchanges fail at once with the same code, sending nothing.
    EXPECT_TRUE(rig.link.Dead());
    EXPECT_EQ(rig.link.WriteLong(5, 0x0B00), false);
    EXPECT_EQ(rig.link.LastResult(), GetParam().expected);
    EXPECT_EQ(LoadU32(rig.fault.LastView()), 0u) << "the write queued on the dead link is wiped";
    EXPECT_EQ(rig.link.ReadByte(0x0C48), -1);
    EXPECT_EQ(Sends(), 10);
    EXPECT_EQ(Sleeps(), 10);

    rig.link.Close();
    rig.fault.FailSends(0, 0);
    ASSERT_TRUE(rig.Open()) << "a new link starts alive";
    EXPECT_FALSE(rig.link.Dead());
    EXPECT_EQ(rig.link.ReadLong(kOffsetHotKeyCount), 56);
}

INSTANTIATE_TEST_SUITE_P(Errors, AllAttemptsFail,
                         ::testing::Values(FailureCase{"timeout", 0, kIpcTimeout},
                                           FailureCase{"system_error", 1400, kIpcSendFailed}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ExchangeRetries, TenthAttemptCanStillSucceed) {
    rig.fault.FailSends(9, 0);
    ASSERT_TRUE(QueueOneRead());
    IpcResult result = -1;
    EXPECT_TRUE(rig.link.Exchange(result));
    EXPECT_EQ(result, kIpcOk);
    EXPECT_EQ(Sends(), 10);
    EXPECT_EQ(Sleeps(), 9);
    EXPECT_EQ(LoadU32(value), 56u);
}

TEST_F(ExchangeRetries, AnswerOtherThanOneGivesThirteenWithoutCopying) {
    for (std::uint32_t answer : {0u, 2u, 0xFFFFFFFFu}) {
        rig.fault.AnswerWith(1, answer);
        StoreU32(value, 0x11111111);
        ASSERT_TRUE(QueueOneRead());
        IpcResult result = -1;
        EXPECT_FALSE(rig.link.Exchange(result)) << answer;
        EXPECT_EQ(result, kIpcBadAnswer) << answer;
        EXPECT_EQ(LoadU32(value), 0x11111111u) << answer;
    }
}

TEST_F(ExchangeRetries, AfterAFailedExchangeTheNextStartsFromAnEmptyBlock) {
    const std::uint8_t dropped = 0x77;
    IpcResult result = -1;
    ASSERT_TRUE(rig.link.QueueWrite(0x0900, 1, &dropped, result));
    rig.fault.FailSends(10, 0);
    EXPECT_FALSE(rig.link.Exchange(result));
    EXPECT_EQ(rig.link.QueuedBytes(), 0u);
    rig.link.Close();
    ASSERT_TRUE(rig.Open());

    ASSERT_TRUE(QueueOneRead());
    ASSERT_TRUE(rig.link.Exchange(result));
    std::uint8_t byte = 0;
    rig.server.Peek(0x0900, &byte, 1);
    EXPECT_EQ(byte, 0) << "the dropped write never reached the server";
    EXPECT_EQ(LoadU32(value), 56u);
}

TEST_F(ExchangeRetries, SendTimeoutIsConfigurable) {
    rig.link.SetSendTimeout(25);
    ASSERT_TRUE(QueueOneRead());
    IpcResult result;
    ASSERT_TRUE(rig.link.Exchange(result));
    EXPECT_EQ(rig.fault.LastTimeout(), 25u);
}

TEST_F(ExchangeRetries, AttemptsAreConfigurable) {
    rig.link.SetTiming({40, 3});
    rig.fault.FailSends(-1, 0);
    ASSERT_TRUE(QueueOneRead());
    IpcResult result;
    EXPECT_FALSE(rig.link.Exchange(result));
    EXPECT_EQ(result, kIpcTimeout);
    EXPECT_EQ(Sends(), 3);
    EXPECT_EQ(rig.fault.LastTimeout(), 40u);
}

}  // namespace
}  // namespace vorn
