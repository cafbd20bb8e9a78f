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

TEST_P(AllAttemptsFail, TenAttemptsTenPausesThenTheCode) {
    rig.fault.FailSends(-1, GetParam().errorCode);
    ASSERT_TRUE(QueueOneRead());
    IpcResult result = -1;
    EXPECT_FALSE(rig.link.Exchange(result));
    EXPECT_EQ(result, GetParam().expected);
    EXPECT_EQ(Sends(), 10);
    EXPECT_EQ(Sleeps(), 10) << "the tenth failure is followed by a pause too";
    EXPECT_EQ(rig.clock.TotalMs() - 100u * sleepsAfterOpen, 1000u);
    EXPECT_TRUE(rig.link.IsOpen()) << "only the caller closes";
    EXPECT_EQ(rig.link.QueuedBytes(), 0u);
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

}  // namespace
}  // namespace vorn
