// Faults inside a running program end that process with one line naming
// the process, the PC and the fault; the other processes go on.
#include "tests/machine/machine_test_util.h"

namespace vorn::test {
namespace {

using RuntimeFaults = MachineTest;

struct FaultCase {
    const char* name;
    std::function<void(Asm&)> code;
    std::int32_t pc;  // PC of the faulting instruction
    const char* fault;
};

TEST_F(RuntimeFaults, EachFaultEndsTheProcessWithOneLine) {
    const std::int32_t end = kDataBase + 8;  // first address past the 8-byte segment
    const FaultCase cases[] = {
        {"PushV past the data segment", [&](Asm& a) { a.Ins(kOpPushV, {end - 2, 4}); }, 0, "data address out of range"},
        {"WriteV past the data segment",
         [&](Asm& a) { a.Ins(kOpPushC, {1}).Ins(kOpWriteV, {end, 1}); }, 2, "data address out of range"},
        {"double past the data segment", [&](Asm& a) { a.Ins(kOpPushV, {kDataBase + 4, 8}); }, 0,
         "data address out of range"},
        {"LDI below the data segment's end",
         [&](Asm& a) { a.Ins(kOpPushC, {end + 1000}).Ins(kOpLDI, {4}); }, 2, "data address out of range"},
        {"STI far away",
         [&](Asm& a) { a.Ins(kOpPushC, {0x1FFFFFF}).Ins(kOpPushC, {1}).Ins(kOpSTI, {4}); }, 4,
         "data address out of range"},
        {"PRS outside", [&](Asm& a) { a.Ins(kOpPushC, {kDataBase - 1 + 0x1000000}).Ins(kOpPRS); }, 2,
         "data address out of range"},
        {"PLAY below the segment", [&](Asm& a) { a.Ins(kOpPushC, {5}).Ins(kOpPLAY); }, 2, "data address out of range"},
        {"WRB too long",
         [&](Asm& a) { a.Ins(kOpPushC, {0x3000}).Ins(kOpPushC, {kDataBase}).Ins(kOpPushC, {9}).Ins(kOpWRB); }, 6,
         "data address out of range"},
        {"RDB negative size",
         [&](Asm& a) { a.Ins(kOpPushC, {0x3000}).Ins(kOpPushC, {kDataBase}).Ins(kOpPushC, {-1}).Ins(kOpRDB); }, 6,
         "data address out of range"},
        {"frame slot 51", [&](Asm& a) { a.Ins(kOpPushV, {kFrameBase + 51 * 4, 4}); }, 0, "frame slot out of range"},
        {"frame slot far", [&](Asm& a) { a.Ins(kOpPushC, {1}).Ins(kOpWriteV, {0x7FFFFFFF, 8}); }, 2,
         "frame slot out of range"},
        {"pop from empty", [&](Asm& a) { a.Ins(kOpADD); }, 0, "stack underflow"},
        {"TDY on empty", [&](Asm& a) { a.Ins(kOpTDY); }, 0, "stack underflow"},
        {"push onto full",
         [&](Asm& a) {
             for (int i = 0; i < 51; ++i) a.Ins(kOpPushC, {i});
             a.Ins(kOpPushC, {51});
         },
         102, "stack overflow"},
        {"STP onto almost full",
         [&](Asm& a) {
             for (int i = 0; i < 50; ++i) a.Ins(kOpPushC, {i});
             a.Ins(kOpSTP);
         },
         100, "stack overflow"},
        {"endless recursion",
         [&](Asm& a) {
             const int f = a.NewLabel();
             a.Mark(f).Ins(kOpSTP).Ins(kOpCALL, {f});
         },
         0, "stack overflow"},
        {"int division by zero", [&](Asm& a) { a.Ins(kOpPushC, {1}).Ins(kOpPushC, {0}).Ins(kOpDIV); }, 4,
         "division by zero"},
        {"mod by zero", [&](Asm& a) { a.Ins(kOpPushC, {1}).Ins(kOpPushC, {0}).Ins(kOpMOD); }, 4, "division by zero"},
        {"RET without a return point",
         [&](Asm& a) {
             // The callee drops its own return point.
             const int l = a.NewLabel();
             a.Ins(kOpCALL, {l}).Mark(l).Ins(kOpTDY).Ins(kOpRET);
         },
         3, "RET with no return point"},
        {"RET to nowhere",
         [&](Asm& a) {
             // The callee swaps its return point for 9999.
             const int l = a.NewLabel();
             a.Ins(kOpCALL, {l}).Mark(l).Ins(kOpTDY).Ins(kOpPushC, {9999}).Ins(kOpPushC, {1}).Ins(kOpRET);
         },
         7, "return outside the code"},
        {"GOTO a missing label", [&](Asm& a) { a.Ins(kOpGOTO, {7}); }, 0, "jump outside the code"},
        {"CALL a negative label", [&](Asm& a) { a.Ins(kOpCALL, {-1}); }, 0, "jump outside the code"},
        {"SSQ a missing label", [&](Asm& a) { a.Ins(kOpSSQ, {3}); }, 0, "jump outside the code"},
        {"running off the end", [&](Asm& a) { a.Ins(kOpPushC, {1}); }, 2, "PC outside the code"},
        {"operands past the end", [&](Asm& a) { a.Word(kOpPushV).Word(kDataBase); }, 0,
         "instruction runs past the end of the code"},
        {"RFP with a wild frame base",
         [&](Asm& a) {
             // A call whose saved frame base is 900: the RFP after it restores 900,
             // and the next RFP would cut the stack there.
             const int l = a.NewLabel();
             a.Ins(kOpSTP).Ins(kOpTDY).Ins(kOpTDY).Ins(kOpPushC, {900}).Ins(kOpPushC, {0}).Ins(kOpCALL, {l});
             a.Mark(l).Ins(kOpPushC, {5}).Ins(kOpRFP).Ins(kOpRFP);
         },
         12, "frame base out of range"},
        {"PRF with a wild frame mark",
         [&](Asm& a) {
             const int l = a.NewLabel();
             a.Ins(kOpSTP).Ins(kOpTDY).Ins(kOpTDY).Ins(kOpPushC, {0}).Ins(kOpPushC, {60}).Ins(kOpCALL, {l});
             a.Mark(l).Ins(kOpPushC, {5}).Ins(kOpRFP).Ins(kOpPRF);
         },
         12, "frame slot out of range"},
    };
    for (const FaultCase& c : cases) {
        Asm a;
        c.code(a);
        ASSERT_TRUE(LoadCode(a, std::vector<std::uint8_t>(4, 0))) << c.name;
        ASSERT_EQ(machine.DataSegment().size(), 8u);
        output.clear();
        for (bool debugOn : {false, true}) {
            debug = debugOn;
            output.clear();
            EXPECT_EQ(RunToEnd(5, 200), -1) << c.name;
            ASSERT_EQ(output.size(), 1u) << c.name;
            EXPECT_EQ(output[0], "Runtime error in process 5 at PC " + std::to_string(c.pc) + ": " + c.fault)
                << c.name;
            // Leave the next case a clean process slot.
            ASSERT_TRUE(LoadCode(a, std::vector<std::uint8_t>(4, 0)));
        }
    }
    debug = false;
}

TEST_F(RuntimeFaults, OtherProcessesGoOn) {
    // Key A divides by zero; key B counts. Both pressed in the same tick.
    Asm a;
    a.Ins(kOpPushC, {1}).Ins(kOpPushC, {0}).Ins(kOpDIV).Ins(kOpHLT);
    a.Ins(kOpPushC, {7}).Ins(kOpWriteV, {kDataBase, 4}).Ins(kOpHLT);
    ASSERT_TRUE(LoadImage(MakeImage(a, IntBytes(0), {{0, 65, 0, -1}, {6, 66, 0, -1}})));
    machine.Start();
    server.Press(65, 0);
    server.Press(66, 0);
    Tick();
    EXPECT_EQ(output, (std::vector<std::string>{"Runtime error in process 0 at PC 4: division by zero"}));
    EXPECT_EQ(DataInt(0), 7);
    EXPECT_EQ(machine.ProcessPc(0), -1);
    // The faulted key routine starts again at its next press.
    output.clear();
    server.Press(65, 0);
    Tick();
    EXPECT_EQ(output.size(), 1u);
}

TEST_F(RuntimeFaults, FaultedKeyRoutineStartsAgainWithAnEmptyStack) {
    // Recurses until the stack is full; a restart must fail the same way,
    // not at its first push onto the stack the fault left behind.
    Asm a;
    const int f = a.NewLabel();
    a.Ins(kOpPushC, {1}).Ins(kOpWriteV, {kDataBase, 4});
    a.Mark(f).Ins(kOpSTP).Ins(kOpCALL, {f});
    ASSERT_TRUE(LoadImage(MakeImage(a, IntBytes(0), {{0, 65, 0, -1}})));
    machine.Start();
    for (int press = 0; press < 2; ++press) {
        output.clear();
        server.Press(65, 0);
        Tick();
        EXPECT_EQ(output, (std::vector<std::string>{"Runtime error in process 0 at PC 5: stack overflow"})) << press;
        EXPECT_EQ(machine.StackPointer(0), 0);
        EXPECT_EQ(machine.FrameBase(0), 0);
        EXPECT_EQ(machine.FrameMark(0), 0);
    }
}

TEST_F(RuntimeFaults, FloatDivisionByZeroIsNoFault) {
    Asm a;
    a.Ins(kOpPushV, {kDataBase, 8}).Ins(kOpPushC, {0}).Ins(kOpDIV).Ins(kOpHLT);
    ASSERT_TRUE(LoadCode(a, DoubleBytes(-1.0)));
    EXPECT_EQ(RunToEnd(), -1);
    EXPECT_TRUE(output.empty());
    EXPECT_EQ(TopFloat(), -std::numeric_limits<double>::infinity());
}

TEST_F(RuntimeFaults, RunFromAPcPastTheCodeIsRefused) {
    Asm a;
    a.Ins(kOpHLT);
    ASSERT_TRUE(LoadCode(a));
    EXPECT_EQ(Run(12345, 2), -1);
    EXPECT_EQ(output, (std::vector<std::string>{"Runtime error in process 2 at PC 12345: PC outside the code"}));
    EXPECT_EQ(machine.Run(0, 101, OutputSink(), TraceSink()), 0) << "no such process slot";
}

}  // namespace
}  // namespace vorn::test
