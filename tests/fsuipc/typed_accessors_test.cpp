// The typed accessors: one record, one exchange, and their exact results.
#include <gtest/gtest.h>

#include <vector>

#include "fsuipc/request_block.h"
#include "tests/fsuipc/link_rig.h"

namespace vorn {
namespace {

using testing::LinkRig;

class TypedAccessors : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(rig.Open()); }
    void Poke(std::uint16_t offset, std::vector<std::uint8_t> bytes) {
        rig.server.Poke(offset, bytes.data(), bytes.size());
    }
    std::vector<std::uint8_t> Peek(std::uint16_t offset, std::size_t n) {
        std::vector<std::uint8_t> bytes(n);
        rig.server.Peek(offset, bytes.data(), n);
        return bytes;
    }
    LinkRig rig;
};

struct ByteCase {
    std::uint8_t stored;
    std::int16_t read;
};

class ReadByteValues : public TypedAccessors, public ::testing::WithParamInterface<ByteCase> {};

TEST_P(ReadByteValues, ReturnsTheUnsignedByte) {
    Poke(0x0C48, {GetParam().stored});
    EXPECT_EQ(rig.link.ReadByte(0x0C48), GetParam().read);
}

INSTANTIATE_TEST_SUITE_P(Bytes, ReadByteValues,
                         ::testing::Values(ByteCase{0x00, 0}, ByteCase{0x7F, 127}, ByteCase{0x80, 128},
                                           ByteCase{0xFF, 255}));

TEST_F(TypedAccessors, ReadByteFailureIsMinusOne) {
    Poke(0x0C48, {0xFF});
    rig.fault.FailSends(-1, 0);
    EXPECT_EQ(rig.link.ReadByte(0x0C48), -1);
    rig.link.Close();
    EXPECT_EQ(rig.link.ReadByte(0x0C48), -1);
}

TEST_F(TypedAccessors, ReadLongIsLittleEndianAndMinusOneOnFailure) {
    Poke(0x0570, {0x78, 0x56, 0x34, 0x12});
    EXPECT_EQ(rig.link.ReadLong(0x0570), 0x12345678);
    Poke(0x0570, {0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(rig.link.ReadLong(0x0570), -1) << "a stored -1 reads the same as a failure";
    Poke(0x0570, {0, 0, 0, 0x80});
    EXPECT_EQ(rig.link.ReadLong(0x0570), INT32_MIN);
    rig.fault.AnswerWith(1, 0);
    EXPECT_EQ(rig.link.ReadLong(0x0570), -1);
}

TEST_F(TypedAccessors, ReadAtTheLastOffsetIsRefusedByTheServer) {
    EXPECT_EQ(rig.link.ReadLong(0xFFFE), -1) << "0xFFFE + 4 bytes runs past the offset space";
    EXPECT_EQ(rig.link.ReadByte(0xFFFF), 0);
}

TEST_F(TypedAccessors, WriteByteWritesOnlyTheLowByte) {
    Poke(0x0B00, {1, 2, 3});
    EXPECT_TRUE(rig.link.WriteByte(0xAB, 0x0B01));
    EXPECT_EQ(Peek(0x0B00, 3), (std::vector<std::uint8_t>{1, 0xAB, 3}));
}

TEST_F(TypedAccessors, WriteLongWritesFourLittleEndianBytes) {
    EXPECT_TRUE(rig.link.WriteLong(-2, 0x0B10));
    EXPECT_EQ(Peek(0x0B10, 5), (std::vector<std::uint8_t>{0xFE, 0xFF, 0xFF, 0xFF, 0}));
}

TEST_F(TypedAccessors, WritesReportTheExchange) {
    rig.fault.FailSends(-1, 5);
    EXPECT_FALSE(rig.link.WriteByte(1, 0x0B00));
    EXPECT_FALSE(rig.link.WriteLong(1, 0x0B00));
    const std::uint8_t bytes[2] = {1, 2};
    EXPECT_EQ(rig.link.WriteBlock(bytes, 0x0B00, 2), kIpcSendFailed);
    std::uint8_t out[2];
    EXPECT_EQ(rig.link.ReadBlock(out, 0x0B00, 2), kIpcSendFailed);
}

TEST_F(TypedAccessors, BlocksRoundTrip) {
    std::vector<std::uint8_t> data(1000);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = std::uint8_t(i * 7);
    EXPECT_EQ(rig.link.WriteBlock(data.data(), 0x4000, std::uint16_t(data.size())), kIpcOk);
    std::vector<std::uint8_t> back(1000, 0);
    EXPECT_EQ(rig.link.ReadBlock(back.data(), 0x4000, std::uint16_t(back.size())), kIpcOk);
    EXPECT_EQ(back, data);
}

TEST_F(TypedAccessors, ClosedLinkResults) {
    rig.link.Close();
    std::uint8_t buffer[4] = {};
    EXPECT_FALSE(rig.link.WriteByte(1, 0));
    EXPECT_FALSE(rig.link.WriteLong(1, 0));
    EXPECT_EQ(rig.link.WriteBlock(buffer, 0, 4), kIpcNotOpen);
    EXPECT_EQ(rig.link.ReadBlock(buffer, 0, 4), kIpcNotOpen);
}

TEST_F(TypedAccessors, OversizedBlockRunsTheExchangeWhichFindsNothingQueued) {
    std::vector<std::uint8_t> big(65535, 1);
    const int sends = rig.fault.SendCalls();
    EXPECT_EQ(rig.link.WriteBlock(big.data(), 0, 65535), kIpcNothingQueued);
    EXPECT_EQ(rig.link.ReadBlock(big.data(), 0, 65535), kIpcNothingQueued);
    EXPECT_EQ(rig.fault.SendCalls(), sends);
}

TEST_F(TypedAccessors, QueuingFailureIsNotHiddenByOtherQueuedRecords) {
    // Something is already queued; the oversized record cannot join it. The
    // exchange still runs (the queued write reaches the server), but the
    // accessor reports the record it could not carry.
    IpcResult result = -1;
    const std::uint8_t earlier = 0x42;
    std::vector<std::uint8_t> big(65535, 1);

    ASSERT_TRUE(rig.link.QueueWrite(0x0D00, 1, &earlier, result));
    EXPECT_EQ(rig.link.ReadBlock(big.data(), 0, 65535), kIpcTooLarge);
    EXPECT_EQ(Peek(0x0D00, 1)[0], 0x42);
    EXPECT_EQ(big[0], 1) << "nothing read";
    EXPECT_EQ(rig.link.QueuedBytes(), 0u);

    ASSERT_TRUE(rig.link.QueueWrite(0x0D01, 1, &earlier, result));
    EXPECT_EQ(rig.link.WriteBlock(big.data(), 0, 65535), kIpcTooLarge);
    EXPECT_EQ(Peek(0x0D01, 1)[0], 0x42);

    // A near-full queue leaves no room for even one byte.
    std::vector<std::uint8_t> filler(32490, 0);  // 32502 queued: no room for another record
    ASSERT_TRUE(rig.link.QueueWrite(0x1000, std::uint32_t(filler.size()), filler.data(), result));
    EXPECT_FALSE(rig.link.WriteByte(1, 0x0D02));
    EXPECT_EQ(Peek(0x0D02, 1)[0], 0);
    ASSERT_TRUE(rig.link.QueueWrite(0x1000, std::uint32_t(filler.size()), filler.data(), result));
    EXPECT_FALSE(rig.link.WriteLong(1, 0x0D02));
    EXPECT_EQ(rig.link.QueuedBytes(), 0u) << "the exchange ran and emptied the queue";
}

TEST_F(TypedAccessors, ReadsDoNotExchangeWhenQueuingFails) {
    IpcResult result = -1;
    std::vector<std::uint8_t> filler(32490, 0);  // 32502 queued: no room for another record
    ASSERT_TRUE(rig.link.QueueWrite(0x1000, std::uint32_t(filler.size()), filler.data(), result));
    const std::uint32_t queued = rig.link.QueuedBytes();
    const int sends = rig.fault.SendCalls();
    EXPECT_EQ(rig.link.ReadByte(0x0C48), -1);
    EXPECT_EQ(rig.link.ReadLong(0x0C48), -1);
    EXPECT_EQ(rig.fault.SendCalls(), sends);
    EXPECT_EQ(rig.link.QueuedBytes(), queued) << "the caller's records are still queued";
}

}  // namespace
}  // namespace vorn
