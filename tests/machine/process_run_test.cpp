// Running processes tick by tick: the budget, debug mode's single steps and
// trace lines, WAIT timing, SSQ scheduling, illegal instructions.
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

TEST_F(ProcessRun, RunBudgetBoundsATickAndIsClamped) {
    // 5 instructions per round, as above; the budget is clamped to 1..500.
    Asm a;
    const int l = a.NewLabel();
    a.Mark(l).Ins(kOpPushV, {kDataBase, 4}).Ins(kOpPushC, {1}).Ins(kOpADD).Ins(kOpWriteV, {kDataBase, 4});
    a.Ins(kOpGOTO, {l});
    const struct {
        int budget;
        std::int32_t rounds;
    } cases[] = {{50, 10}, {1, 0}, {0, 0}, {-7, 0}, {500, 100}, {501, 100}};
    for (const auto& c : cases) {
        ASSERT_TRUE(LoadCode(a, IntBytes(0)));
        machine.SetRunBudget(c.budget);
        const std::int32_t pc = Run(0);
        EXPECT_EQ(DataInt(0), c.rounds) << c.budget;
        // One instruction: the PushV alone, 3 words on.
        if (c.budget <= 1) {
            EXPECT_EQ(pc, 3) << c.budget;
        }
    }
}

// Runs `a` once for 500 instructions and once in 500 debug steps per tick;
// the machine state (every field of every stack slot, the registers, the data
// segment) and the output lines must be the same after every tick. Leaves
// the final PC, output and first data int of the fast run in `end`.
struct RunEnd {
    std::int32_t pc = 0;
    std::vector<std::string> output;
    std::int32_t firstInt = 0;
};
void ExpectSameStateBothWays(const Asm& a, std::vector<std::uint8_t> data, int ticks, RunEnd* end = nullptr) {
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
    std::vector<std::string> fastOutput;
    std::vector<std::string> slowOutput;
    const LineSink toFast = [&](const std::string& line) { fastOutput.push_back(line); };
    const LineSink toSlow = [&](const std::string& line) { slowOutput.push_back(line); };
    std::int32_t pcFast = 0;
    std::int32_t pcSlow = 0;
    for (int t = 0; t < ticks && (pcFast >= 0 || pcSlow >= 0); ++t) {
        if (pcFast >= 0) pcFast = fast.Run(pcFast, 0, toFast, nullptr);
        for (int i = 0; i < kRunBudget && pcSlow >= 0; ++i) pcSlow = slow.Run(pcSlow, 0, toSlow, nullptr);
        ASSERT_EQ(pcFast, pcSlow) << "tick " << t;
        ASSERT_EQ(fast.StackPointer(0), slow.StackPointer(0)) << "tick " << t;
        ASSERT_EQ(fast.FrameBase(0), slow.FrameBase(0)) << "tick " << t;
        ASSERT_EQ(fast.FrameMark(0), slow.FrameMark(0)) << "tick " << t;
        for (int s = 0; s < kStackSlots; ++s) {
            ASSERT_EQ(fast.StackInt(0, s), slow.StackInt(0, s)) << "slot " << s << ", tick " << t;
            ASSERT_EQ(fast.StackTag(0, s), slow.StackTag(0, s)) << "slot " << s << ", tick " << t;
            const double ff = fast.StackFloat(0, s);
            const double sf = slow.StackFloat(0, s);
            ASSERT_EQ(std::memcmp(&ff, &sf, sizeof ff), 0) << "slot " << s << ", tick " << t;
        }
        ASSERT_TRUE(std::equal(fast.DataSegment().begin(), fast.DataSegment().end(), slow.DataSegment().begin()))
            << "tick " << t;
        ASSERT_EQ(fastOutput, slowOutput) << "tick " << t;
    }
    if (end != nullptr) {
        end->pc = pcFast;
        end->output = fastOutput;
        std::memcpy(&end->firstInt, fast.DataSegment().data(), 4);
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

// The sequences the decoder specialises or fuses, each in a loop whose
// length lets the budget end fall inside the sequence at some tick.
TEST(ProcessRunFused, SpecialisedAndFusedEntriesMatchSingleSteps) {
    struct Case {
        const char* name;
        Asm code;
        std::vector<std::uint8_t> data;
        std::int32_t firstInt;     // data int 0 at the end
        const char* fault;         // the runtime error's end, or nullptr
    };
    std::vector<Case> cases;
    {
        // fib(n) = n < 2 ? n : fib(n - 1) + fib(n - 2), summed into data 0
        // by a loop of 97 calls of fib(7): frame compare and arithmetic, CALL,
        // RET into RFP.
        Asm a;
        const int fib = a.NewLabel();
        const int leaf = a.NewLabel();
        const int top = a.NewLabel();
        const int done = a.NewLabel();
        a.Mark(top).Ins(kOpPushV, {kDataBase + 4, 4}).Ins(kOpPushC, {97}).Ins(kOpLT).Ins(kOpIFF, {done});
        a.Ins(kOpPushV, {kDataBase, 4}).Ins(kOpSTP).Ins(kOpPushC, {7}).Ins(kOpCALL, {fib}).Ins(kOpRFP);
        a.Ins(kOpADD).Ins(kOpWriteV, {kDataBase, 4});
        a.Ins(kOpPushV, {kDataBase + 4, 4}).Ins(kOpPushC, {1}).Ins(kOpADD).Ins(kOpWriteV, {kDataBase + 4, 4});
        a.Ins(kOpGOTO, {top});
        a.Mark(done).Ins(kOpHLT);
        a.Mark(fib).Ins(kOpPushV, {kFrameBase, 4}).Ins(kOpPushC, {2}).Ins(kOpLT).Ins(kOpIFF, {leaf});
        a.Ins(kOpPushV, {kFrameBase, 4}).Ins(kOpRET);
        a.Mark(leaf).Ins(kOpSTP).Ins(kOpPushV, {kFrameBase, 4}).Ins(kOpPushC, {1}).Ins(kOpSUB);
        a.Ins(kOpCALL, {fib}).Ins(kOpRFP);
        a.Ins(kOpSTP).Ins(kOpPushV, {kFrameBase, 4}).Ins(kOpPushC, {2}).Ins(kOpSUB).Ins(kOpCALL, {fib}).Ins(kOpRFP);
        a.Ins(kOpADD).Ins(kOpRET);
        cases.push_back({"recursive calls", a, Bytes({0, 0, 0, 0, 0, 0, 0, 0}), 97 * 13, nullptr});
    }
    {
        // x = x * 0.999 + 1.5 / 3.0 while x < 400, with x a double in the
        // data segment compared with an int, and a frame double and int
        // written and read back; x truncated into data int 0 at the end.
        Asm a;
        const int top = a.NewLabel();
        const int done = a.NewLabel();
        constexpr std::int32_t x = kDataBase + 8;
        a.Ins(kOpSTP).Ins(kOpPushC, {0}).Ins(kOpPushC, {0});
        a.Mark(top).Ins(kOpPushV, {x, 8}).Ins(kOpPushC, {400}).Ins(kOpLT).Ins(kOpIFF, {done});
        a.Ins(kOpPushV, {x, 8}).Ins(kOpPushV, {x + 8, 8}).Ins(kOpMUL);
        a.Ins(kOpPushV, {x + 16, 8}).Ins(kOpPushV, {x + 24, 8}).Ins(kOpDIV).Ins(kOpADD);
        a.Ins(kOpWriteV, {x, 8});
        a.Ins(kOpPushV, {x, 8}).Ins(kOpPushC, {2}).Ins(kOpSUB).Ins(kOpWriteV, {kFrameBase, 8});
        a.Ins(kOpPushV, {kFrameBase, 8}).Ins(kOpWriteV, {kFrameBase + 4, 4});
        a.Ins(kOpPushV, {kFrameBase + 4, 8}).Ins(kOpPushV, {kFrameBase + 4, 4}).Ins(kOpADD).Ins(kOpTDY);
        a.Ins(kOpGOTO, {top});
        a.Mark(done).Ins(kOpPushV, {x, 8}).Ins(kOpWriteV, {kDataBase, 4}).Ins(kOpHLT);
        std::vector<std::uint8_t> data(8, 0);
        for (double v : {0.0, 0.999, 1.5, 3.0}) {
            const auto bytes = DoubleBytes(v);
            data.insert(data.end(), bytes.begin(), bytes.end());
        }
        cases.push_back({"float recurrence", a, data, 400, nullptr});
    }
    {
        // a[j % 20] = j * 3 for j < 2000, then s = s + a[j % 20] for j < 600:
        // data arithmetic, constant arithmetic, LDI and STI. Both loops are
        // 23 instructions long, so budget ends fall at every position.
        Asm a;
        const int fill = a.NewLabel();
        const int sum = a.NewLabel();
        const int next = a.NewLabel();
        const int done = a.NewLabel();
        constexpr std::int32_t kArray = kDataBase + 12;
        a.Mark(fill).Ins(kOpPushV, {kDataBase + 4, 4}).Ins(kOpPushC, {2000}).Ins(kOpLT).Ins(kOpIFF, {sum});
        a.Ins(kOpPushV, {kDataBase + 4, 4}).Ins(kOpPushC, {4}).Ins(kOpMUL).Ins(kOpPushC, {80}).Ins(kOpMOD);
        a.Ins(kOpPushC, {kArray}).Ins(kOpADD);
        a.Ins(kOpPushV, {kDataBase + 4, 4}).Ins(kOpPushC, {3}).Ins(kOpMUL).Ins(kOpSTI, {4});
        a.Ins(kOpPushV, {kDataBase + 4, 4}).Ins(kOpPushC, {1}).Ins(kOpADD).Ins(kOpWriteV, {kDataBase + 4, 4});
        a.Ins(kOpPushC, {7}).Ins(kOpNEG).Ins(kOpTDY);
        a.Ins(kOpGOTO, {fill});
        a.Mark(sum).Ins(kOpPushC, {0}).Ins(kOpWriteV, {kDataBase + 4, 4});
        a.Mark(next).Ins(kOpPushV, {kDataBase + 4, 4}).Ins(kOpPushC, {600}).Ins(kOpLT).Ins(kOpIFF, {done});
        a.Ins(kOpPushV, {kDataBase, 4}).Ins(kOpPushV, {kDataBase + 4, 4}).Ins(kOpPushC, {20}).Ins(kOpMOD);
        a.Ins(kOpPushC, {4}).Ins(kOpMUL).Ins(kOpPushC, {kArray}).Ins(kOpADD).Ins(kOpLDI, {4});
        a.Ins(kOpADD).Ins(kOpWriteV, {kDataBase, 4});
        a.Ins(kOpPushV, {kDataBase + 4, 4}).Ins(kOpPushC, {1}).Ins(kOpADD).Ins(kOpWriteV, {kDataBase + 4, 4});
        a.Ins(kOpPushC, {7}).Ins(kOpNEG).Ins(kOpTDY);
        a.Ins(kOpGOTO, {next});
        a.Mark(done).Ins(kOpHLT);
        cases.push_back({"array sum", a, std::vector<std::uint8_t>(12 + 80, 0), 30 * 3 * (20 * 1980 + 190), nullptr});
    }
    for (const int pushes : {40, 47, 48}) {
        // A call of f(slot 0 - 1) after `pushes` slots. With 40 the frame
        // base is 42: frame slot 8 is stack slot 50 and slot 9 lies past the
        // stack. With 47 the call fills the stack and f's first push
        // overflows; with 48 the call itself has too little room.
        const std::int32_t k = pushes == 40 ? 8 : 1;
        Asm a;
        const int f = a.NewLabel();
        for (int i = 0; i < pushes; ++i) a.Ins(kOpPushC, {i});
        a.Ins(kOpSTP).Ins(kOpPushV, {kFrameBase, 4}).Ins(kOpPushC, {1}).Ins(kOpSUB).Ins(kOpCALL, {f});
        a.Ins(kOpRFP).Ins(kOpHLT);
        a.Mark(f).Ins(kOpPushV, {kFrameBase + 4 * k, 4}).Ins(kOpPushC, {1}).Ins(kOpADD).Ins(kOpTDY);
        a.Ins(kOpPushV, {kFrameBase + 4 * k, 4}).Ins(kOpPushC, {1}).Ins(kOpLT).Ins(kOpIFF, {f});
        a.Ins(kOpPushV, {kFrameBase + 4 * k + 4, 4}).Ins(kOpRET);
        if (pushes == 40) {
            cases.push_back({"frame past the stack", a, {}, 0, "frame slot out of range"});
        } else {
            cases.push_back({"full stack", a, {}, 0, "stack overflow"});
        }
    }
    {
        // Sequences that pop below the slots they find: each fused entry
        // must leave the underflow to its single steps.
        Asm constArith;
        constArith.Ins(kOpPushC, {1}).Ins(kOpADD).Ins(kOpHLT);
        Asm constCompare;
        const int l = constCompare.NewLabel();
        constCompare.Mark(l).Ins(kOpPushC, {1}).Ins(kOpLT).Ins(kOpIFF, {l}).Ins(kOpHLT);
        Asm indexLoad;
        indexLoad.Ins(kOpPushC, {kDataBase}).Ins(kOpADD).Ins(kOpLDI, {4}).Ins(kOpHLT);
        Asm arithWrite;
        arithWrite.Ins(kOpPushV, {kDataBase, 4}).Ins(kOpADD).Ins(kOpWriteV, {kDataBase, 4}).Ins(kOpHLT);
        for (const Asm* a : {&constArith, &constCompare, &indexLoad, &arithWrite}) {
            cases.push_back({"underflow", *a, IntBytes(0), 0, "stack underflow"});
        }
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RunEnd end;
        ExpectSameStateBothWays(c.code, c.data, 200, &end);
        EXPECT_EQ(end.pc, -1);
        if (c.fault == nullptr) {
            EXPECT_TRUE(end.output.empty());
            EXPECT_EQ(end.firstInt, c.firstInt);
        } else {
            ASSERT_EQ(end.output.size(), 1u);
            EXPECT_TRUE(end.output[0].ends_with(c.fault)) << end.output[0];
        }
    }
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
