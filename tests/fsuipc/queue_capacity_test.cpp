// Queuing records: layout in the block, the capacity rule, closed links.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "fsuipc/request_block.h"
#include "tests/fsuipc/link_rig.h"

namespace vorn {
namespace {

using testing::LinkRig;

TEST(QueueCapacity, ClosedLinkRefusesWithNine) {
    LinkRig rig;
    IpcResult result = -1;
    std::uint8_t byte = 0;
    EXPECT_FALSE(rig.link.QueueRead(0, 1, &byte, result));
    EXPECT_EQ(result, kIpcNotOpen);
    result = -1;
    EXPECT_FALSE(rig.link.QueueWrite(0, 1, &byte, result));
    EXPECT_EQ(result, kIpcNotOpen);
    result = -1;
    EXPECT_FALSE(rig.link.Exchange(result));
    EXPECT_EQ(result, kIpcNotOpen);
    EXPECT_EQ(rig.fault.SendCalls(), 0);
}

TEST(QueueCapacity, RecordsArePackedAsReadAndWriteHeaders) {
    LinkRig rig;
    ASSERT_TRUE(rig.Open());
    std::uint8_t* block = rig.fault.LastView();
    ASSERT_NE(block, nullptr);
    std::memset(block, 0xCC, 64);

    std::uint8_t destination[3];
    const std::uint8_t source[2] = {0x12, 0x34};
    IpcResult result = -1;
    ASSERT_TRUE(rig.link.QueueRead(0x1234, 3, destination, result));
    EXPECT_EQ(result, kIpcOk);
    ASSERT_TRUE(rig.link.QueueWrite(0x5678, 2, source, result));
    EXPECT_EQ(rig.link.QueuedBytes(), 16u + 3 + 12 + 2);

    EXPECT_EQ(LoadU32(block + 0), 1u);
    EXPECT_EQ(LoadU32(block + 4), 0x1234u);
    EXPECT_EQ(LoadU32(block + 8), 3u);
    EXPECT_NE(LoadU32(block + 12), 0u) << "a destination is named";
    EXPECT_EQ(block[16], 0);
    EXPECT_EQ(block[17], 0);
    EXPECT_EQ(block[18], 0) << "read data is zero-filled when queued";
    EXPECT_EQ(LoadU32(block + 19), 2u);
    EXPECT_EQ(LoadU32(block + 23), 0x5678u);
    EXPECT_EQ(LoadU32(block + 27), 2u);
    EXPECT_EQ(block[31], 0x12);
    EXPECT_EQ(block[32], 0x34);
    EXPECT_EQ(block[33], 0xCC) << "no terminator until the exchange";
}

TEST(QueueCapacity, NullDestinationIsStoredAsZero) {
    LinkRig rig;
    ASSERT_TRUE(rig.Open());
    IpcResult result = -1;
    ASSERT_TRUE(rig.link.QueueRead(0x0100, 4, nullptr, result));
    EXPECT_EQ(LoadU32(rig.fault.LastView() + 12), 0u);
}

struct CapacityCase {
    const char* name;
    bool read;
    std::uint32_t size;
    bool fits;
};

// 32512 = queued bytes + header + size + 4-byte terminator.
const CapacityCase kCapacity[] = {
    {"read_exact", true, 32512 - 16 - 4, true},
    {"read_one_more", true, 32512 - 16 - 4 + 1, false},
    {"write_exact", false, 32512 - 12 - 4, true},
    {"write_one_more", false, 32512 - 12 - 4 + 1, false},
    {"read_huge", true, 0xFFFFFFFF, false},
    {"write_huge", false, 0xFFFFFFF0, false},
};

class Capacity : public ::testing::TestWithParam<CapacityCase> {};

TEST_P(Capacity, ExactlyFullIsAcceptedOneByteMoreIsFifteen) {
    LinkRig rig;
    ASSERT_TRUE(rig.Open());
    const CapacityCase& c = GetParam();
    std::vector<std::uint8_t> buffer(c.fits ? c.size : 1, 0x5A);
    IpcResult result = -1;
    const bool ok = c.read ? rig.link.QueueRead(0, c.size, buffer.data(), result)
                           : rig.link.QueueWrite(0, c.size, buffer.data(), result);
    EXPECT_EQ(ok, c.fits);
    EXPECT_EQ(result, c.fits ? kIpcOk : kIpcTooLarge);
    EXPECT_EQ(rig.link.QueuedBytes(), c.fits ? 32512u - 4 : 0u);
    if (c.fits) {
        EXPECT_TRUE(rig.link.Exchange(result)) << "a full block goes through";
        EXPECT_EQ(result, kIpcOk);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, Capacity, ::testing::ValuesIn(kCapacity),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(QueueCapacity, RefusedRecordLeavesTheQueueUnchanged) {
    LinkRig rig;
    ASSERT_TRUE(rig.Open());
    IpcResult result = -1;
    const std::uint8_t value = 7;
    ASSERT_TRUE(rig.link.QueueWrite(0x0600, 1, &value, result));
    const std::uint32_t queued = rig.link.QueuedBytes();
    const std::vector<std::uint8_t> before(rig.fault.LastView(), rig.fault.LastView() + kBlockSize);
    std::vector<std::uint8_t> big(32512, 1);
    EXPECT_FALSE(rig.link.QueueWrite(0, 32512 - 12 - 4 - queued + 1, big.data(), result));
    EXPECT_EQ(result, kIpcTooLarge);
    EXPECT_EQ(rig.link.QueuedBytes(), queued);
    EXPECT_EQ(std::vector<std::uint8_t>(rig.fault.LastView(), rig.fault.LastView() + kBlockSize), before);
    EXPECT_TRUE(rig.link.QueueWrite(0, 32512 - 12 - 4 - queued, big.data(), result)) << "the rest still fits";
}

TEST(QueueCapacity, ZeroSizeAndNullDestinationReadsCopyNothing) {
    LinkRig rig;
    ASSERT_TRUE(rig.Open());
    const std::uint8_t stored[4] = {1, 2, 3, 4};
    rig.server.Poke(0x0700, stored, 4);
    std::uint8_t untouched[4] = {9, 9, 9, 9};
    IpcResult result = -1;
    ASSERT_TRUE(rig.link.QueueRead(0x0700, 0, untouched, result));
    ASSERT_TRUE(rig.link.QueueRead(0x0700, 4, nullptr, result));
    ASSERT_TRUE(rig.link.Exchange(result));
    EXPECT_EQ(result, kIpcOk);
    EXPECT_EQ(untouched[0], 9);
    EXPECT_EQ(untouched[3], 9);
}

TEST(QueueCapacity, ManyRecordsEachFindTheirDestination) {
    LinkRig rig;
    ASSERT_TRUE(rig.Open());
    for (std::uint16_t i = 0; i < 200; ++i) {
        const std::uint8_t v = std::uint8_t(i);
        rig.server.Poke(std::uint16_t(0x1000 + i), &v, 1);
    }
    std::vector<std::uint8_t> out(200, 0xEE);
    IpcResult result = -1;
    for (std::uint16_t i = 0; i < 200; ++i) ASSERT_TRUE(rig.link.QueueRead(0x1000 + i, 1, &out[i], result));
    ASSERT_TRUE(rig.link.Exchange(result));
    for (std::uint16_t i = 0; i < 200; ++i) EXPECT_EQ(out[i], i);
}

}  // namespace
}  // namespace vorn
