// Load: its trace lines in order, the data segment it builds, the process
// table it leaves, and the refusal of malformed images.
#include "tests/machine/machine_test_util.h"

namespace vorn::test {
namespace {

using LoaderTrace = MachineTest;

TEST_F(LoaderTrace, EveryLineInOrder) {
    Asm a;
    const int l0 = a.NewLabel();
    a.Mark(l0).Ins(kOpPushC, {5}).Ins(kOpHLT);
    const CodeImage img = MakeImage(a, Bytes({200, 1, 2, 3, 4}), {{0, 71, 2, kDataBase}, {2, 65, 0, -1}});
    ASSERT_TRUE(LoadImage(img));
    const std::vector<std::string> expected = {
        "Interpreter started",
        "File Size 76",
        "Proc Size       2",
        "Proc[0]=0,71,2,1000000",
        "Proc[1]=2,65,0,FFFFFFFF",
        "Jump Size       1",
        "Jump[0]=0",
        "Code[0]=3",
        "Code[1]=5",
        "Code[2]=1",
        "Data segment size initially 16777225",
        "Data segment size second attempt 2",
        "Data[0]=200",
        "Data[1]=1",
        "Data[2]=2",
        "Data[3]=3",
        "Data[4]=4",
        "Data[5]=0",
        "Data[6]=0",
        "Data[7]=0",
    };
    EXPECT_EQ(trace, expected);
    EXPECT_TRUE(output.empty());
    EXPECT_EQ(machine.DataSegment().size(), 9u);
}

TEST_F(LoaderTrace, NoKeysNoLabels) {
    Asm a;
    a.Ins(kOpHLT);
    ASSERT_TRUE(LoadCode(a));
    EXPECT_NE(std::find(trace.begin(), trace.end(), "Proc Size       0"), trace.end());
    EXPECT_NE(std::find(trace.begin(), trace.end(), "Jump Size       0"), trace.end());
    for (const std::string& line : trace) {
        EXPECT_NE(line.rfind("Proc[", 0), 0u) << line;
        EXPECT_NE(line.rfind("Jump[", 0), 0u) << line;
    }
}

TEST_F(LoaderTrace, DataLinesAreFourTimesTheDataWords) {
    for (std::size_t n : {0u, 3u, 4u, 11u}) {
        trace.clear();
        Asm a;
        a.Ins(kOpHLT);
        ASSERT_TRUE(LoadCode(a, std::vector<std::uint8_t>(n, 9)));
        const auto lines = std::count_if(trace.begin(), trace.end(),
                                         [](const std::string& l) { return l.rfind("Data[", 0) == 0; });
        EXPECT_EQ(static_cast<std::size_t>(lines), 4 * (n / 4 + 1)) << n;
        EXPECT_EQ(machine.DataSegment().size(), n + 4);
    }
}

TEST_F(LoaderTrace, LoadIdlesEveryProcessAndResetsItsRegisters) {
    Asm a;
    const int loop = a.NewLabel();
    // Leaves something on the stack and keeps running.
    a.Ins(kOpPushC, {1}).Ins(kOpPushC, {2}).Mark(loop).Ins(kOpGOTO, {loop});
    ASSERT_TRUE(LoadCode(a));
    EXPECT_EQ(Run(0, 7), 4);
    EXPECT_EQ(machine.StackPointer(7), 2);
    ASSERT_TRUE(LoadCode(a));
    for (int slot = 0; slot < kProcessSlots; ++slot) {
        EXPECT_EQ(machine.ProcessPc(slot), -1);
        EXPECT_EQ(machine.StackPointer(slot), 0);
        EXPECT_EQ(machine.FrameBase(slot), 0);
        EXPECT_EQ(machine.WaitCount(slot), 0);
    }
}

TEST_F(LoaderTrace, LoadingAgainRestoresTheInitialData) {
    Asm a;
    a.Ins(kOpPushC, {77}).Ins(kOpWriteV, {kDataBase, 4}).Ins(kOpHLT);
    const CodeImage img = MakeImage(a, IntBytes(5));
    ASSERT_TRUE(LoadImage(img));
    EXPECT_EQ(RunToEnd(), -1);
    EXPECT_EQ(DataInt(0), 77);
    ASSERT_TRUE(LoadImage(img));
    EXPECT_EQ(DataInt(0), 5);
}

TEST_F(LoaderTrace, RefusedImageSaysWhyAndNothingRuns) {
    Asm a;
    a.Ins(kOpPushC, {1}).Ins(kOpWriteV, {kDataBase, 4}).Ins(kOpHLT);
    CodeImage img = MakeImage(a, IntBytes(0), {{0, 71, 2, -1}});
    ASSERT_TRUE(LoadImage(img));
    machine.Start();
    ASSERT_EQ(server.RegisteredKeys().size(), 1u);
    machine.Stop();

    trace.clear();
    std::vector<std::uint8_t> bytes = WriteCodeImage(img);
    bytes.resize(bytes.size() - 2);
    EXPECT_FALSE(machine.Load(bytes, TraceSink(), OutputSink()));
    ASSERT_EQ(output.size(), 1u);
    EXPECT_EQ(output[0], "Code image refused: 6 data bytes follow where the data word count says 8");
    EXPECT_EQ(machine.LoadError(), output[0]);
    EXPECT_EQ(trace, (std::vector<std::string>{"Interpreter started", "File Size 66"}));
    EXPECT_FALSE(machine.Loaded());

    machine.Start();
    EXPECT_TRUE(server.RegisteredKeys().empty());
    server.Press(71, 2);
    Tick();
    EXPECT_EQ(Run(0, 0), 0) << "Run does nothing without a program";
    for (int slot = 0; slot < kProcessSlots; ++slot) EXPECT_EQ(machine.ProcessPc(slot), -1);
}

TEST_F(LoaderTrace, EmptyImageIsRefused) {
    EXPECT_FALSE(machine.Load({}, TraceSink(), OutputSink()));
    EXPECT_EQ(output, (std::vector<std::string>{"Code image refused: the image is empty"}));
    EXPECT_EQ(trace, (std::vector<std::string>{"Interpreter started", "File Size 0"}));
}

}  // namespace
}  // namespace vorn::test
