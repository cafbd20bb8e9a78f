// Hot keys end to end over the simulator: registration in FSUIPC's table,
// presses starting key routines, the parameter write, release at Stop.
#include "fsuipc/offsets.h"
#include "tests/machine/machine_test_util.h"

namespace vorn::test {
namespace {

using HotKeys = MachineTest;

constexpr std::uint16_t Entry(int i) { return static_cast<std::uint16_t>(0x3210 + 4 * i); }

std::uint8_t Flag(const SimServer& server, int i) {
    std::uint8_t f = 0;
    server.Peek(static_cast<std::uint16_t>(Entry(i) + 3), &f, 1);
    return f;
}

TEST_F(HotKeys, PressStartsTheRoutineWithItsParameter) {
    // key(Control, 'G') with an int parameter at data offset 4 that it copies to offset 0.
    Asm a;
    a.Ins(kOpPushV, {kDataBase + 4, 4}).Ins(kOpWriteV, {kDataBase, 4}).Ins(kOpHLT);
    ASSERT_TRUE(LoadImage(MakeImage(a, std::vector<std::uint8_t>(8, 0), {{0, 71, 2, kDataBase + 4}})));
    machine.Start(OutputSink());
    const auto keys = server.RegisteredKeys();
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].index, 0u);
    EXPECT_EQ(keys[0].key, 71);
    EXPECT_EQ(keys[0].modifier, 2);
    EXPECT_EQ(machine.HotKeySlot(0), 0);
    EXPECT_TRUE(machine.HotKeyRegistered(0));

    trace.clear();
    Tick();
    EXPECT_TRUE(trace.empty()) << "no press, nothing starts";
    ASSERT_EQ(server.Press(71, 2), 1);
    Tick();
    EXPECT_EQ(trace, (std::vector<std::string>{"Write 1 to loc 4", "start sequence 0 at 0"}));
    EXPECT_EQ(Flag(server, 0), 0) << "the press is consumed";
    EXPECT_EQ(DataInt(4), 1);
    EXPECT_EQ(DataInt(0), 1) << "the routine ran in the same tick";
    EXPECT_EQ(machine.ProcessPc(0), -1);
    EXPECT_TRUE(output.empty());
}

TEST_F(HotKeys, TakenEntriesAreSkipped) {
    PokeInt(Entry(0), 0x0000'0241);  // another client's keys
    PokeInt(Entry(2), 0x0000'0242);
    Asm a;
    a.Ins(kOpHLT);
    a.Ins(kOpPushC, {5}).Ins(kOpWAIT).Ins(kOpHLT);
    ASSERT_TRUE(LoadImage(MakeImage(a, {}, {{0, 65, 0, -1}, {1, 66, 0, -1}})));
    machine.Start(OutputSink());
    EXPECT_EQ(machine.HotKeySlot(0), 1);
    EXPECT_EQ(machine.HotKeySlot(1), 3);
    EXPECT_EQ(PeekInt(Entry(1)), 65);
    EXPECT_EQ(PeekInt(Entry(3)), 66);
    server.Press(66, 0);
    Tick();
    EXPECT_EQ(machine.ProcessPc(3), 4) << "key routine 1 waits in process slot 3";
    EXPECT_EQ(machine.ProcessPc(1), -1);

    machine.Stop();
    EXPECT_EQ(PeekInt(Entry(0)), 0x0241) << "other clients' entries stay";
    EXPECT_EQ(PeekInt(Entry(2)), 0x0242);
    EXPECT_EQ(PeekInt(Entry(1)), 0);
    EXPECT_EQ(PeekInt(Entry(3)), 0);
    EXPECT_FALSE(machine.HotKeyRegistered(1));
    EXPECT_EQ(machine.ProcessPc(3), -1);
}

TEST_F(HotKeys, PressDuringARunningRoutineIsConsumedNotQueued) {
    // Counts its starts, then waits one second.
    Asm a;
    a.Ins(kOpPushV, {kDataBase, 4}).Ins(kOpPushC, {1}).Ins(kOpADD).Ins(kOpWriteV, {kDataBase, 4});
    a.Ins(kOpPushC, {1}).Ins(kOpWAIT).Ins(kOpHLT);
    ASSERT_TRUE(LoadImage(MakeImage(a, IntBytes(0), {{0, 65, 0, -1}})));
    machine.Start();
    server.Press(65, 0);
    Tick();
    EXPECT_EQ(DataInt(0), 1);
    server.Press(65, 0);
    Tick();
    EXPECT_EQ(Flag(server, 0), 0);
    for (int t = 0; t < 30; ++t) Tick();
    EXPECT_EQ(machine.ProcessPc(0), -1);
    EXPECT_EQ(DataInt(0), 1) << "the second press started nothing";
}

TEST_F(HotKeys, NoFreeEntryIsReportedAndEntriesPastTheTableAreNotTouched) {
    for (int i = 0; i < kHotKeyEntries; ++i) PokeInt(Entry(i), 0x100 + i);
    Asm a;
    a.Ins(kOpHLT);
    // Two routines of Shift+A and one of Ctrl+G: one line per key, naming it.
    ASSERT_TRUE(LoadImage(MakeImage(a, {}, {{0, 65, 1, -1}, {0, 65, 1, -1}, {0, 71, 2, -1}})));
    machine.Start(OutputSink());
    EXPECT_EQ(output, (std::vector<std::string>{"No free hot-key slot for Shift+A", "No free hot-key slot for Ctrl+G"}));
    EXPECT_EQ(machine.HotKeySlot(0), -1);
    EXPECT_EQ(PeekInt(0x32F0), 0) << "0x32F0 and beyond are not hot-key entries";
    for (int i = 0; i < kProcessSlots; ++i) EXPECT_FALSE(machine.HotKeyRegistered(i));
}

TEST_F(HotKeys, FailedFlagReadIsNoPress) {
    Asm a;
    a.Ins(kOpPushC, {1}).Ins(kOpWriteV, {kDataBase, 4}).Ins(kOpHLT);
    ASSERT_TRUE(LoadImage(MakeImage(a, IntBytes(0), {{0, 65, 0, -1}})));
    machine.Start();
    server.Press(65, 0);
    faults.AnswerWith(-1, 0);
    Tick();
    EXPECT_EQ(machine.ProcessPc(0), -1);
    EXPECT_EQ(DataInt(0), 0);
    faults.AnswerWith(0, 0);
    server.Press(65, 0);
    Tick();
    EXPECT_EQ(DataInt(0), 1) << "the link is back: presses count again";
}

TEST_F(HotKeys, SecondStartDoesNotLeaveEntriesBehind) {
    Asm a;
    a.Ins(kOpHLT);
    ASSERT_TRUE(LoadImage(MakeImage(a, {}, {{0, 65, 0, -1}})));
    machine.Start();
    machine.Start();
    EXPECT_EQ(server.RegisteredKeys().size(), 1u);
    machine.Stop();
    EXPECT_TRUE(server.RegisteredKeys().empty());
}


// Another client that worked from an older table wrote over this machine's
// entry: the next tick sees the key is gone, takes the next free entry and
// leaves the other client's entry alone, also at Stop.
TEST_F(HotKeys, AnEntryTakenByAnotherClientMovesTheKey) {
    Asm a;
    a.Ins(kOpPushC, {1}).Ins(kOpWriteV, {kDataBase, 4}).Ins(kOpHLT);
    ASSERT_TRUE(LoadImage(MakeImage(a, IntBytes(0), {{0, 65, 0, -1}})));
    machine.Start(OutputSink(), TraceSink());
    ASSERT_EQ(machine.HotKeySlot(0), 0);
    PokeInt(Entry(0), 0x0000'0247 | 0x0100'0000);  // its Ctrl+G, flagged
    trace.clear();
    Tick();
    EXPECT_EQ(machine.HotKeySlot(0), 1);
    EXPECT_EQ(PeekInt(Entry(1)), 65);
    EXPECT_EQ(DataInt(0), 0) << "the other client's press is not this program's";
    EXPECT_EQ(trace, (std::vector<std::string>{"hot-key entry 0 of A was taken by another client"}));
    server.Press(65, 0);
    Tick();
    EXPECT_EQ(DataInt(0), 1) << "the key works from its new entry";
    machine.Stop();
    EXPECT_EQ(PeekInt(Entry(0)), 0x0100'0247) << "released only what this machine holds";
    EXPECT_EQ(PeekInt(Entry(1)), 0);
}

// Taken over and nothing free: the key is reported, not left sharing.
TEST_F(HotKeys, AnEntryTakenWhenTheTableIsFullIsReported) {
    Asm a;
    a.Ins(kOpHLT);
    ASSERT_TRUE(LoadImage(MakeImage(a, {}, {{0, 65, 0, -1}})));
    machine.Start(OutputSink());
    for (int i = 0; i < kHotKeyEntries; ++i) PokeInt(Entry(i), 0x200 + i);
    Tick();
    EXPECT_EQ(output, (std::vector<std::string>{"No free hot-key slot for A"}));
    EXPECT_EQ(machine.HotKeySlot(0), -1);
    EXPECT_FALSE(machine.HotKeyRegistered(0));
}

struct LeftEntryCase {
    const char* name;
    std::int32_t entryMeanwhile;  // entry 0 when the link is back; -1: as it was left
    std::int32_t slot;            // where the key is registered then
    bool takenAgain;
    std::size_t entries;  // in the table then
};

class HotKeysAfterALostLink : public HotKeys, public ::testing::WithParamInterface<LeftEntryCase> {};

// The release over a lost link leaves the entry on the server; once the link
// is back, the key takes that entry again if it still holds exactly what was
// written (its flag byte aside), and otherwise a fresh one.
TEST_P(HotKeysAfterALostLink, TakeTheirLeftEntryAgainOnlyWhileItHoldsTheKey) {
    const LeftEntryCase& c = GetParam();
    Asm a;
    a.Ins(kOpHLT);
    ASSERT_TRUE(LoadImage(MakeImage(a, {}, {{0, 65, 0, -1}})));
    machine.Start(OutputSink(), TraceSink());
    faults.FailSends(-1, 0);
    machine.Stop();
    EXPECT_EQ(PeekInt(Entry(0)), 65) << "left on the server";
    faults.FailSends(0, 0);
    link.Close();
    IpcResult result = 0;
    ASSERT_TRUE(link.Open(0, result)) << result;
    if (c.entryMeanwhile >= 0) PokeInt(Entry(0), c.entryMeanwhile);
    trace.clear();
    machine.Start(OutputSink(), TraceSink());
    EXPECT_EQ(machine.HotKeySlot(0), c.slot);
    const std::vector<std::string> said = {"hot key A takes its entry 0 again"};
    EXPECT_EQ(trace, c.takenAgain ? said : std::vector<std::string>{});
    EXPECT_EQ(server.RegisteredKeys().size(), c.entries);
}

INSTANTIATE_TEST_SUITE_P(Cases, HotKeysAfterALostLink,
                         ::testing::Values(LeftEntryCase{"StillThere", -1, 0, true, 1},
                                           LeftEntryCase{"StillThereAndFlagged", 0x0100'0041, 0, true, 1},
                                           LeftEntryCase{"ClearedMeanwhile", 0, 0, false, 1},
                                           LeftEntryCase{"AnotherKeyNow", 0x0000'0242, 1, false, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vorn::test
