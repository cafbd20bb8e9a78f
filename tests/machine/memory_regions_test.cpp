// The three address regions: frame slots (separate int and float fields),
// the data segment and FSUIPC offsets through the link.
#include "tests/machine/machine_test_util.h"

namespace vorn::test {
namespace {

using MemoryRegions = MachineTest;

constexpr std::int32_t kSlot5 = kFrameBase + 5 * 4;

TEST_F(MemoryRegions, FrameKeepsTheWholeIntWhateverTheSize) {
    Asm a;
    a.Ins(kOpPushC, {70000}).Ins(kOpWriteV, {kSlot5, 2}).Ins(kOpHLT);
    a.Ins(kOpPushV, {kSlot5, 2}).Ins(kOpHLT);
    ASSERT_TRUE(LoadCode(a));
    EXPECT_EQ(Run(0), -1);
    EXPECT_EQ(machine.StackInt(0, 5), 70000);
    EXPECT_EQ(Run(6), -1);
    EXPECT_EQ(TopInt(), 4464);
}

TEST_F(MemoryRegions, FrameByteSignExtendsOnLoadOnly) {
    Asm a;
    a.Ins(kOpPushC, {0x80}).Ins(kOpWriteV, {kSlot5, 1});
    a.Ins(kOpPushV, {kSlot5, 1}).Ins(kOpPushV, {kSlot5, 4}).Ins(kOpHLT);
    ASSERT_TRUE(LoadCode(a));
    EXPECT_EQ(RunToEnd(), -1);
    EXPECT_EQ(machine.StackInt(0, 0), -128);
    EXPECT_EQ(machine.StackInt(0, 1), 128);
}

TEST_F(MemoryRegions, FrameIntAndFloatFieldsAreSeparate) {
    Asm a;
    a.Ins(kOpPushC, {7}).Ins(kOpWriteV, {kSlot5, 4});  // int field 7
    a.Ins(kOpPushC, {3}).Ins(kOpWriteV, {kSlot5, 8});  // float field 3.0
    a.Ins(kOpHLT);
    ASSERT_TRUE(LoadCode(a));
    EXPECT_EQ(RunToEnd(), -1);
    EXPECT_EQ(machine.StackInt(0, 5), 7);
    EXPECT_EQ(machine.StackFloat(0, 5), 3.0);
}

TEST_F(MemoryRegions, FrameFollowsTheFrameBase) {
    // STP; PushC 11; PushC 22; CALL f. In f, frame variable 1 is 22.
    Asm a;
    const int f = a.NewLabel();
    a.Ins(kOpSTP).Ins(kOpPushC, {11}).Ins(kOpPushC, {22}).Ins(kOpCALL, {f}).Ins(kOpRFP).Ins(kOpHLT);
    a.Mark(f).Ins(kOpPushV, {kFrameBase + 4, 4}).Ins(kOpRET);
    ASSERT_TRUE(LoadCode(a));
    EXPECT_EQ(RunToEnd(), -1);
    EXPECT_EQ(machine.StackPointer(0), 1);
    EXPECT_EQ(TopInt(), 22);
}

TEST_F(MemoryRegions, FsuipcLoadsAndStoresUseTheOffset) {
    PokeInt(0x0570, 1000);
    const std::uint8_t ff = 0xFF;
    server.Poke(0x0600, &ff, 1);
    const double pi = 3.25;
    server.Poke(0x0700, &pi, 8);
    Asm a;
    a.Ins(kOpPushV, {0x0570, 4});
    a.Ins(kOpPushV, {0x0570, 2});
    a.Ins(kOpPushV, {0x0600, 1});
    a.Ins(kOpPushV, {0x0700, 8});
    a.Ins(kOpPushC, {-2}).Ins(kOpWriteV, {0x0800, 2});
    a.Ins(kOpPushC, {5}).Ins(kOpWriteV, {0x0808, 8});
    a.Ins(kOpHLT);
    ASSERT_TRUE(LoadCode(a));
    EXPECT_EQ(RunToEnd(), -1);
    EXPECT_EQ(machine.StackInt(0, 0), 1000);
    EXPECT_EQ(machine.StackInt(0, 1), 1000);
    EXPECT_EQ(machine.StackInt(0, 2), -1);
    EXPECT_EQ(machine.StackFloat(0, 3), 3.25);
    EXPECT_EQ(PeekInt(0x0800), 0xFFFE);
    double five = 0;
    server.Peek(0x0808, &five, 8);
    EXPECT_EQ(five, 5.0);
    EXPECT_EQ(machine.LinkError(), 0);
}

// FSUIPC's offsets are 16 bits: an access that would reach past $FFFF, or
// start below 0, ends the process instead of landing at a wrapped offset.
struct OffsetCase {
    const char* name;
    Op op;
    std::int32_t address;
    std::int32_t size;
    bool faults;
};

class FsuipcOffsetBounds : public MemoryRegions, public ::testing::WithParamInterface<OffsetCase> {};

TEST_P(FsuipcOffsetBounds, AccessPastTheLastOffsetFaults) {
    const OffsetCase& c = GetParam();
    PokeInt(0x0000, 0x5A5A5A5A);
    Asm a;
    if (c.op == kOpWriteV) a.Ins(kOpPushC, {0x1234});
    a.Ins(c.op, {c.address, c.size}).Ins(kOpPushC, {1}).Ins(kOpHLT);
    ASSERT_TRUE(LoadCode(a));
    RunToEnd();
    const bool faulted = !output.empty() && output.back().find("FSUIPC offset out of range") != std::string::npos;
    EXPECT_EQ(faulted, c.faults) << (output.empty() ? "" : output.back());
    EXPECT_EQ(PeekInt(0x0000), 0x5A5A5A5A) << "nothing wrapped round to offset 0";
}

INSTANTIATE_TEST_SUITE_P(
    Accesses, FsuipcOffsetBounds,
    ::testing::Values(OffsetCase{"LoadIntAtTheEnd", kOpPushV, 0xFFFC, 4, false},
                      OffsetCase{"LoadIntAcrossTheEnd", kOpPushV, 0xFFFD, 4, true},
                      OffsetCase{"LoadFloatAcrossTheEnd", kOpPushV, 0xFFF9, 8, true},
                      OffsetCase{"LoadPastTheEnd", kOpPushV, 0x10000, 1, true},
                      OffsetCase{"LoadBelowZero", kOpPushV, -1, 1, true},
                      OffsetCase{"StoreShortAtTheEnd", kOpWriteV, 0xFFFE, 2, false},
                      OffsetCase{"StoreShortAcrossTheEnd", kOpWriteV, 0xFFFF, 2, true},
                      OffsetCase{"StoreFloatAcrossTheEnd", kOpWriteV, 0xFFF9, 8, true},
                      OffsetCase{"StoreWrappingToZero", kOpWriteV, 0x10000, 4, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MemoryRegions, FailedFsuipcLoadPushesZeroAndEndsTheRun) {
    PokeInt(0x0570, 1000);
    Asm a;
    a.Ins(kOpPushV, {0x0570, 4}).Ins(kOpPushC, {1}).Ins(kOpHLT);
    ASSERT_TRUE(LoadCode(a));
    faults.FailSends(10, 0);  // every attempt of one exchange times out
    EXPECT_EQ(Run(0), 3) << "the instruction completes, the run ends after it";
    EXPECT_EQ(machine.LinkError(), kIpcTimeout);
    EXPECT_EQ(TopInt(), 0);
    EXPECT_EQ(Run(3), -1) << "the next tick resumes";
    EXPECT_EQ(machine.LinkError(), 0);
}

TEST_F(MemoryRegions, BlockTransfersCopyBetweenDataAndFsuipc) {
    server.Poke(0x3000, "hello", 6);
    Asm a;
    // readblock(0x3000, data + 0, 6); writeblock(0x3100, data + 0, 6)
    a.Ins(kOpPushC, {0x3000}).Ins(kOpPushC, {kDataBase}).Ins(kOpPushC, {6}).Ins(kOpRDB);
    a.Ins(kOpPushC, {0x3100}).Ins(kOpPushC, {kDataBase}).Ins(kOpPushC, {6}).Ins(kOpWRB);
    a.Ins(kOpHLT);
    ASSERT_TRUE(LoadCode(a, std::vector<std::uint8_t>(8, 0)));
    EXPECT_EQ(RunToEnd(), -1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(machine.DataSegment().data())), "hello");
    char back[6] = {};
    server.Peek(0x3100, back, 6);
    EXPECT_STREQ(back, "hello");
    EXPECT_EQ(machine.StackPointer(0), 0);
}

}  // namespace
}  // namespace vorn::test
