// Calls, returns and frames built from STP, CALL, RET, RFP and TDY.
#include "tests/machine/machine_test_util.h"

namespace vorn::test {
namespace {

using CallingSequences = MachineTest;

TEST_F(CallingSequences, TwoArgumentCallLeavesOnlyTheResult) {
    // f(x, y) = x - y, called as f(10, 3) from an empty stack.
    Asm a;
    const int f = a.NewLabel();
    a.Ins(kOpSTP).Ins(kOpPushC, {10}).Ins(kOpPushC, {3}).Ins(kOpCALL, {f}).Ins(kOpRFP);
    a.Ins(kOpWriteV, {kDataBase, 4}).Ins(kOpHLT);
    a.Mark(f).Ins(kOpPushV, {kFrameBase, 4}).Ins(kOpPushV, {kFrameBase + 4, 4}).Ins(kOpSUB).Ins(kOpRET);
    a.Ins(kOpPushC, {0}).Ins(kOpRET);
    ASSERT_TRUE(LoadCode(a, IntBytes(0)));
    debug = true;
    std::int32_t pc = 0;
    std::vector<std::int32_t> sps;
    while (pc >= 0) {
        pc = Run(pc);
        sps.push_back(machine.StackPointer(0));
    }
    // STP [f m] ; 10 ; 3 ; CALL r ; PushV x ; PushV y ; SUB ; RET ; RFP [v] ; WriteV ; HLT
    EXPECT_EQ(sps, (std::vector<std::int32_t>{2, 3, 4, 5, 6, 7, 6, 5, 1, 0, 0}));
    EXPECT_EQ(DataInt(0), 7);
    EXPECT_EQ(machine.FrameBase(0), 0);
    EXPECT_EQ(machine.FrameMark(0), 0);
    EXPECT_TRUE(output.empty());
}

TEST_F(CallingSequences, ProcedureFallingOffItsEndReturnsZero) {
    Asm a;
    const int p = a.NewLabel();
    a.Ins(kOpSTP).Ins(kOpCALL, {p}).Ins(kOpRFP).Ins(kOpHLT);
    a.Mark(p).Ins(kOpPushC, {0}).Ins(kOpRET);
    ASSERT_TRUE(LoadCode(a));
    EXPECT_EQ(RunToEnd(), -1);
    EXPECT_EQ(machine.StackPointer(0), 1);
    EXPECT_EQ(TopInt(), 0);
}

TEST_F(CallingSequences, RecursionComputesFactorial) {
    // fact(n) = n <= 1 ? 1 : n * fact(n - 1); fact(5)
    Asm a;
    const int fact = a.NewLabel();
    const int base = a.NewLabel();
    a.Ins(kOpSTP).Ins(kOpPushC, {5}).Ins(kOpCALL, {fact}).Ins(kOpRFP).Ins(kOpWriteV, {kDataBase, 4}).Ins(kOpHLT);
    a.Mark(fact).Ins(kOpPushV, {kFrameBase, 4}).Ins(kOpPushC, {1}).Ins(kOpGT).Ins(kOpIFF, {base});
    a.Ins(kOpPushV, {kFrameBase, 4});
    a.Ins(kOpSTP).Ins(kOpPushV, {kFrameBase, 4}).Ins(kOpPushC, {1}).Ins(kOpSUB).Ins(kOpCALL, {fact}).Ins(kOpRFP);
    a.Ins(kOpMUL).Ins(kOpRET);
    a.Mark(base).Ins(kOpPushC, {1}).Ins(kOpRET);
    ASSERT_TRUE(LoadCode(a, IntBytes(0)));
    EXPECT_EQ(RunToEnd(), -1);
    EXPECT_EQ(DataInt(0), 120);
    EXPECT_TRUE(output.empty());
}

TEST_F(CallingSequences, FloatArgumentReadAsIntGivesTheLeftOverIntField) {
    // The float push leaves the slot's int field as the earlier PushC 99 left it.
    Asm a;
    const int f = a.NewLabel();
    a.Ins(kOpPushC, {0}).Ins(kOpPushC, {0}).Ins(kOpPushC, {99}).Ins(kOpTDY).Ins(kOpTDY).Ins(kOpTDY);
    a.Ins(kOpSTP).Ins(kOpPushV, {kDataBase, 8}).Ins(kOpCALL, {f}).Ins(kOpRFP).Ins(kOpHLT);
    a.Mark(f).Ins(kOpPushV, {kFrameBase, 4}).Ins(kOpRET);
    ASSERT_TRUE(LoadCode(a, DoubleBytes(2.5)));
    EXPECT_EQ(RunToEnd(), -1);
    EXPECT_EQ(TopTag(), 1);
    EXPECT_EQ(TopInt(), 99);
}

}  // namespace
}  // namespace vorn::test
