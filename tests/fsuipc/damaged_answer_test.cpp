// A block that comes back damaged never makes the client read or write out
// of bounds: the walk stops, the exchange reports 13, nothing is copied.
#include <gtest/gtest.h>

#include <cstring>

#include "fsuipc/offsets.h"
#include "fsuipc/request_block.h"
#include "tests/fsuipc/link_rig.h"

namespace vorn {
namespace {

using testing::LinkRig;

struct DamageCase {
    const char* name;
    void (*damage)(std::uint8_t* block);
    bool consistent;
};

// The queue: read 4 bytes at 0x320C into `first` (record at 0, data at 16),
// read 2 bytes at 0x3304 into `second` (record at 20, data at 36), then the
// terminator at 38.
const DamageCase kDamage[] = {
    {"untouched", [](std::uint8_t*) {}, true},
    {"size_grown_past_destination", [](std::uint8_t* b) { StoreU32(b + 8, 5); }, false},
    {"second_size_grown", [](std::uint8_t* b) { StoreU32(b + 28, 3); }, false},
    {"size_past_block", [](std::uint8_t* b) { StoreU32(b + 8, 0x8000); }, false},
    {"size_wraps", [](std::uint8_t* b) { StoreU32(b + 8, 0xFFFFFFF0u); }, false},
    {"destination_out_of_table", [](std::uint8_t* b) { StoreU32(b + 12, 3); }, false},
    {"destination_huge", [](std::uint8_t* b) { StoreU32(b + 12, 0xFFFFFFFFu); }, false},
    {"terminator_replaced_by_write_past_block",
     [](std::uint8_t* b) {
         StoreU32(b + 38, kRecordWrite);
         StoreU32(b + 46, 0x7FFF);
     },
     false},
    {"record_ends_at_block_end_without_terminator",
     [](std::uint8_t* b) {
         // No room is left for the next record's id: the walk must stop
         // there, not read the 4 bytes after the block.
         StoreU32(b + 8, kBlockSize - kReadHeaderSize);
         StoreU32(b + 12, 0);
     },
     false},
    {"block_full_of_reads_without_end", [](std::uint8_t* b) {
         // Zero-size, no-destination reads all the way to the end.
         std::uint32_t pos = 38;
         for (; pos + 16 <= kBlockSize; pos += 16) {
             StoreU32(b + pos, kRecordRead);
             StoreU32(b + pos + 4, 0);
             StoreU32(b + pos + 8, 0);
             StoreU32(b + pos + 12, 0);
         }
         StoreU32(b + pos, kRecordRead);  // a header that no longer fits
     },
     false},
};

class DamagedAnswer : public ::testing::TestWithParam<DamageCase> {};

TEST_P(DamagedAnswer, WalkStaysInsideAndCopiesNothingOnDamage) {
    LinkRig rig;
    ASSERT_TRUE(rig.Open());
    rig.fault.DamageAfterSend(GetParam().damage);
    std::uint8_t first[4] = {0xAA, 0xAA, 0xAA, 0xAA};
    std::uint8_t second[2] = {0xBB, 0xBB};
    IpcResult result = -1;
    ASSERT_TRUE(rig.link.QueueRead(kOffsetHotKeyCount, 4, first, result));
    ASSERT_TRUE(rig.link.QueueRead(kOffsetFsuipcVersion, 2, second, result));
    const bool ok = rig.link.Exchange(result);
    EXPECT_EQ(ok, GetParam().consistent);
    EXPECT_EQ(result, GetParam().consistent ? kIpcOk : kIpcBadAnswer);
    if (GetParam().consistent) {
        EXPECT_EQ(LoadU32(first), 56u);
    } else {
        EXPECT_EQ(LoadU32(first), 0xAAAAAAAAu) << "nothing copied from a damaged block";
        EXPECT_EQ(second[0], 0xBB);
        EXPECT_EQ(second[1], 0xBB);
    }
    EXPECT_EQ(rig.link.QueuedBytes(), 0u);
    EXPECT_TRUE(rig.link.IsOpen());
}

INSTANTIATE_TEST_SUITE_P(Damage, DamagedAnswer, ::testing::ValuesIn(kDamage),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DamagedAnswerWalk, UnknownRecordIdEndsTheWalk) {
    LinkRig rig;
    ASSERT_TRUE(rig.Open());
    // The second record's id becomes 7: the first is handed back, the walk ends.
    rig.fault.DamageAfterSend([](std::uint8_t* b) { StoreU32(b + 20, 7); });
    std::uint8_t first[4] = {};
    std::uint8_t second[2] = {0xBB, 0xBB};
    IpcResult result = -1;
    ASSERT_TRUE(rig.link.QueueRead(kOffsetHotKeyCount, 4, first, result));
    ASSERT_TRUE(rig.link.QueueRead(kOffsetFsuipcVersion, 2, second, result));
    EXPECT_TRUE(rig.link.Exchange(result));
    EXPECT_EQ(result, kIpcOk);
    EXPECT_EQ(LoadU32(first), 56u);
    EXPECT_EQ(second[0], 0xBB);
}

TEST(DamagedAnswerWalk, OnlyTheIdsLowByteIsTested) {
    LinkRig rig;
    ASSERT_TRUE(rig.Open());
    rig.fault.DamageAfterSend([](std::uint8_t* b) { StoreU32(b, 0x12345601); });
    std::uint8_t first[4] = {};
    IpcResult result = -1;
    ASSERT_TRUE(rig.link.QueueRead(kOffsetHotKeyCount, 4, first, result));
    EXPECT_TRUE(rig.link.Exchange(result));
    EXPECT_EQ(LoadU32(first), 56u);
}

}  // namespace
}  // namespace vorn
