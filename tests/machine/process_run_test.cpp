// Running processes tick by tick: the budget, debug mode's single steps and
// trace lines, WAIT timing, SSQ scheduling, illegal instructions.
#include "tests/fakes/test_clock.h"
#include "tests/machine/machine_test_util.h"

namespace vorn::test {
namespace {

using ProcessRun = MachineTest;

TEST_F(ProcessRun, DebugModeRunsOneInstructionPerTickWithATraceLine) {
    Asm a;
    const int l = a.NewLabel();
    a.Ins(kOpPushV, {kDataBase + 8, 4}).Ins(kOpPushC, {-5}).Ins(kOpIFF, {l}).Ins(kOpCALL, {l});
    a.Mark(l).Ins(kOpPushC, {0}).Ins(kOpRET);
    a.Ins(kOpGOTO, {l});
    ASSERT_TRUE(LoadCode(a, std::vector<std::uint8_t>(12, 0)));
    debug = true;
    trace.clear();
    std::int32_t pc = 0;
    for (int i = 0; i < 6; ++i) pc = Run(pc, 3);
    EXPECT_EQ(trace, (std::vector<std::string>{
                         "Process:003, PC 0000: PushV loc=1000008,size=4",
                         "Process:003, PC 0003: PushC -5",
                         "Process:003, PC 0005: IFF goto L0, location 9, result=-5",
                         "Process:003, PC 0007: CALL L0, location 9",
                         "Process:003, PC 0009: PushC 0",
                         "Process:003, PC 0011: RET to 9",
                     }));
}

TEST_F(ProcessRun, TraceShowsFsuipcAddressesInUpperCaseHex) {
    Asm a;
    a.Ins(kOpPushV, {0x2BC, 2}).Ins(kOpHLT);
    ASSERT_TRUE(LoadCode(a));
    debug = true;
    trace.clear();
    Run(0, 0);
    EXPECT_EQ(trace, (std::vector<std::string>{"Process:000, PC 0000: PushV loc=02BC,size=2"}));
}

TEST_F(ProcessRun, NormalRunUsesTheWholeBudget) {
    // 5 instructions per round: 100 rounds in 500 instructions.
    Asm a;
    const int l = a.NewLabel();
    a.Mark(l).Ins(kOpPushV, {kDataBase, 4}).Ins(kOpPushC, {1}).Ins(kOpADD).Ins(kOpWriteV, {kDataBase, 4});
    a.Ins(kOpGOTO, {l});
    ASSERT_TRUE(LoadCode(a, IntBytes(0)));
    trace.clear();
    EXPECT_EQ(Run(0), 0);
    EXPECT_EQ(DataInt(0), 100);
    EXPECT_TRUE(trace.empty()) << "no text is built while debug mode is off";
    debug = true;
    EXPECT_EQ(Run(0), 3);
    EXPECT_EQ(DataInt(0), 100);
}

// Runs `a` once for 500 instructions and once in 500 debug steps; the
// machine state must be the same.
void ExpectSameStateBothWays(const Asm& a, std::vector<std::uint8_t> data, int ticks) {
    RecordingClock clock;
    SimServer server;
    InProcessTransport transport(server, "FS98MAIN", clock);
    IpcLink link(transport, clock);
    IpcResult r = 0;
    ASSERT_TRUE(link.Open(0, r));
    bool fastSwitch = false;
    bool debugSwitch = true;
    Machine fast(link, fastSwitch);
    Machine slow(link, debugSwitch);
    const auto bytes = WriteCodeImage(MakeImage(a, data));
    ASSERT_TRUE(fast.Load(bytes, nullptr));
    ASSERT_TRUE(slow.Load(bytes, nullptr));
    std::int32_t pcFast = 0;
    std::int32_t pcSlow = 0;
    for (int t = 0; t < ticks; ++t) {
        pcFast = fast.Run(pcFast, 0, nullptr, nullptr);
        for (int i = 0; i < kRunBudget && pcSlow >= 0; ++i) pcSlow = slow.Run(pcSlow, 0, nullptr, nullptr);
        ASSERT_EQ(pcFast, pcSlow) << "tick " << t;
        ASSERT_EQ(fast.StackPointer(0), slow.StackPointer(0)) << "tick " << t;
        for (int s = 0; s < kStackSlots; ++s) {
            ASSERT_EQ(fast.StackInt(0, s), slow.StackInt(0, s)) << "slot " << s;
            ASSERT_EQ(fast.StackTag(0, s), slow.StackTag(0, s)) << "slot " << s;
        }
        ASSERT_TRUE(std::equal(fast.DataSegment().begin(), fast.DataSegment().end(), slow.DataSegment().begin()));
    }
}

TEST(ProcessRunFused, CountingLoopMatchesSingleSteps) {
    // i = 0; while (i < 1000) { i = i + 1; } with a 7-instruction body
    // so that budget ends fall at every position of the sequences.
    Asm a;
    const int top = a.NewLabel();
    const int done = a.NewLabel();
    a.Mark(top).Ins(kOpPushV, {kDataBase, 4}).Ins(kOpPushC, {1000}).Ins(kOpLT).Ins(kOpIFF, {done});
    a.Ins(kOpPushV, {kDataBase, 4}).Ins(kOpPushC, {1}).Ins(kOpADD).Ins(kOpWriteV, {kDataBase, 4});
    a.Ins(kOpPushC, {7}).Ins(kOpTDY).Ins(kOpGOTO, {top});
    a.Mark(done).Ins(kOpHLT);
    ExpectSameStateBothWays(a, IntBytes(0), 40);
}

TEST(ProcessRunFused, FullStackFallsBackToSingleSteps) {
    // 49 slots taken: the fused sequences need two, so they run one by one
    // until the second push overflows.
    Asm a;
    for (int i = 0; i < 49; ++i) a.Ins(kOpPushC, {i});
    const int top = a.NewLabel();
    a.Mark(top).Ins(kOpPushV, {kDataBase, 4}).Ins(kOpPushC, {3}).Ins(kOpSUB).Ins(kOpWriteV, {kDataBase, 4});
    a.Ins(kOpGOTO, {top});
    ExpectSameStateBothWays(a, IntBytes(0), 3);
}

TEST_F(ProcessRun, WaitOneSecondResumesTenTicksLater) {
    for (std::int32_t seconds : {1, 0, -3}) {
        Asm a;
        a.Ins(kOpPushC, {seconds}).Ins(kOpWAIT).Ins(kOpPushC, {1}).Ins(kOpWriteV, {kDataBase, 4}).Ins(kOpHLT);
        ASSERT_TRUE(LoadImage(MakeImage(a, IntBytes(0), {{0, 65, 0, -1}})));
        machine.Start();
        server.Press(65, 0);
        int tick = 1;
        Tick();  // tick T: WAIT runs
        EXPECT_EQ(DataInt(0), 0);
        while (DataInt(0) == 0 && tick < 50) {
            Tick();
            ++tick;
        }
        EXPECT_EQ(tick, seconds > 0 ? 1 + 10 * seconds : 2) << "WAIT " << seconds;
        machine.Stop();
    }
}

TEST_F(ProcessRun, SequenceStartedFromALowerSlotRunsInTheSameTick) {
    // Key routine in process slot 3 (entries 0..2 taken) starts a sequence: slot 56.
    for (int i = 0; i < 3; ++i) PokeInt(static_cast<std::uint16_t>(0x3210 + 4 * i), 0x41);
    Asm a;
    const int seq = a.NewLabel();
    a.Ins(kOpSTP).Ins(kOpPushC, {9}).Ins(kOpSSQ, {seq}).Ins(kOpRFP).Ins(kOpTDY).Ins(kOpHLT);
    a.Mark(seq).Ins(kOpPushV, {kFrameBase, 4}).Ins(kOpWriteV, {kDataBase, 4}).Ins(kOpHLT);
    ASSERT_TRUE(LoadImage(MakeImage(a, IntBytes(0), {{0, 65, 0, -1}})));
    machine.Start();
    ASSERT_EQ(machine.HotKeySlot(0), 3);
    server.Press(65, 0);
    Tick();
    EXPECT_EQ(DataInt(0), 9) << "slot 56 ran after slot 3 in the same tick, with its argument";
    EXPECT_EQ(machine.ProcessPc(56), -1);
    EXPECT_EQ(machine.StackPointer(3), 0) << "the starter's frame is restored";
    EXPECT_TRUE(output.empty());
}

TEST_F(ProcessRun, SequenceStartedFromAHigherSlotRunsFromTheNextTick) {
    // Slot 0 starts 14 sleepers (56..69) and then `late` (70). The sleepers
    // end after 1 s; `late` wakes after 2 s and gets slot 56 for `writer`.
    Asm a;
    const int loop = a.NewLabel();
    const int sleeper = a.NewLabel();
    const int late = a.NewLabel();
    const int writer = a.NewLabel();
    a.Mark(loop).Ins(kOpSTP).Ins(kOpSSQ, {sleeper}).Ins(kOpRFP).Ins(kOpTDY);
    a.Ins(kOpPushV, {kDataBase + 4, 4}).Ins(kOpPushC, {1}).Ins(kOpADD).Ins(kOpWriteV, {kDataBase + 4, 4});
    a.Ins(kOpPushV, {kDataBase + 4, 4}).Ins(kOpPushC, {14}).Ins(kOpGE).Ins(kOpIFF, {loop});
    a.Ins(kOpSTP).Ins(kOpSSQ, {late}).Ins(kOpRFP).Ins(kOpTDY).Ins(kOpHLT);
    a.Mark(sleeper).Ins(kOpPushC, {1}).Ins(kOpWAIT).Ins(kOpHLT);
    a.Mark(late).Ins(kOpPushC, {2}).Ins(kOpWAIT).Ins(kOpSTP).Ins(kOpSSQ, {writer}).Ins(kOpRFP).Ins(kOpTDY).Ins(kOpHLT);
    a.Mark(writer).Ins(kOpPushC, {1}).Ins(kOpWriteV, {kDataBase, 4}).Ins(kOpHLT);
    ASSERT_TRUE(LoadImage(MakeImage(a, std::vector<std::uint8_t>(8, 0), {{0, 65, 0, -1}})));
    machine.Start();
    server.Press(65, 0);
    Tick();
    for (int s = 56; s <= 70; ++s) EXPECT_GE(machine.ProcessPc(s), 0) << s;
    EXPECT_EQ(machine.ProcessPc(71), -1);
    for (int t = 2; t <= 21; ++t) Tick();
    EXPECT_EQ(machine.ProcessPc(70), -1);
    EXPECT_GE(machine.ProcessPc(56), 0) << "the new process has not run yet";
    EXPECT_EQ(DataInt(0), 0);
    Tick();
    EXPECT_EQ(DataInt(0), 1);
    EXPECT_EQ(machine.ProcessPc(56), -1);
    EXPECT_TRUE(output.empty());
}

TEST_F(ProcessRun, SequenceWithEverySlotBusyFailsAndTheStarterGoesOn) {
    // Starts 46 sleepers; the 46th does not fit into slots 56..100.
    Asm a;
    const int loop = a.NewLabel();
    const int sleeper = a.NewLabel();
    const int done = a.NewLabel();
    a.Mark(loop).Ins(kOpSTP).Ins(kOpPushC, {5}).Ins(kOpSSQ, {sleeper}).Ins(kOpRFP);
    a.Ins(kOpWriteV, {kDataBase + 8, 4});  // SSQ's result
    a.Ins(kOpPushV, {kDataBase, 4}).Ins(kOpPushC, {1}).Ins(kOpADD).Ins(kOpWriteV, {kDataBase, 4});
    a.Ins(kOpPushV, {kDataBase, 4}).Ins(kOpPushC, {46}).Ins(kOpLT).Ins(kOpIFF, {done});
    a.Ins(kOpGOTO, {loop});
    a.Mark(done).Ins(kOpPushC, {1}).Ins(kOpWriteV, {kDataBase + 4, 4}).Ins(kOpHLT);
    a.Mark(sleeper).Ins(kOpPushC, {100}).Ins(kOpWAIT).Ins(kOpHLT);
    ASSERT_TRUE(LoadImage(MakeImage(a, std::vector<std::uint8_t>(12, 0), {{0, 65, 0, -1}})));
    machine.Start();
    server.Press(65, 0);
    for (int t = 0; t < 5; ++t) Tick();
    EXPECT_EQ(output, (std::vector<std::string>{"SSQ - Create process failed"}));
    EXPECT_EQ(DataInt(0), 46);
    EXPECT_EQ(DataInt(4), 1) << "the starter went on to its end";
    EXPECT_EQ(DataInt(8), -1);
    EXPECT_EQ(machine.ProcessPc(0), -1);
    EXPECT_EQ(machine.StackPointer(0), 0);
    EXPECT_EQ(machine.FrameBase(0), 0);
    EXPECT_EQ(machine.FrameMark(0), 0);
    for (int s = 56; s < kProcessSlots; ++s) EXPECT_GE(machine.ProcessPc(s), 0) << s;
    for (int s = 1; s < 56; ++s) EXPECT_EQ(machine.ProcessPc(s), -1) << s;
    EXPECT_EQ(machine.FindFreeProcessSlot(), -1) << "slots below 56 are never handed out";
}

TEST_F(ProcessRun, IllegalInstructionRepeatsWithoutMoving) {
    Asm a;
    a.Word(99);
    ASSERT_TRUE(LoadCode(a));
    trace.clear();
    EXPECT_EQ(Run(0), 0);
    EXPECT_EQ(trace.size(), 500u);
    EXPECT_EQ(trace.front(), "Illegal instruction 99");
    debug = true;
    for (std::int32_t opcode : {99, 0, -4}) {
        Asm b;
        b.Word(opcode);
        ASSERT_TRUE(LoadCode(b));
        for (int tick = 0; tick < 2; ++tick) {
            trace.clear();
            EXPECT_EQ(Run(0), 0);
            EXPECT_EQ(trace, (std::vector<std::string>{"Illegal instruction " + std::to_string(opcode),
                                                       "Process:000, PC 0000: Error:Mnem"}));
        }
    }
    EXPECT_TRUE(output.empty());
}

}  // namespace
}  // namespace vorn::test
