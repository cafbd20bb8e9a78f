// One exchange per tick against the same program without it: the exchanges
// a tick makes, what a program sees of a value the simulator changes in
// mid-tick, when a failed write is noticed, and that waiting writes reach
// the simulator before a disconnect, a reload and a debugger stop.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "fsuipc/request_block.h"
#include "tests/workbench/recording_view.h"
#include "workbench/settings.h"

namespace vorn::test {
namespace {

class Batched : public WorkbenchFixture, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        WorkbenchFixture::SetUp();
        std::string error;
        ASSERT_TRUE(settings.SetOption(SettingId::kOneExchangePerTick, GetParam() ? "true" : "false", error)) << error;
        controller.UseSettings(&settings);
    }
    bool On() const { return GetParam(); }
    // Runs `action` once, after the n-th send from now.
    void AfterSend(int n, std::function<void()> action) {
        int left = n;
        faults.DamageAfterSend([left, action](std::uint8_t*) mutable {
            if (--left == 0) action();
        });
    }
    std::int32_t SimLong(std::uint16_t offset) const {
        std::uint8_t bytes[4] = {};
        sim.Peek(offset, bytes, 4);
        return static_cast<std::int32_t>(LoadU32(bytes));
    }
    void SetSimLong(std::uint16_t offset, std::uint32_t value) {
        std::uint8_t bytes[4];
        StoreU32(bytes, value);
        sim.Poke(offset, bytes, 4);
    }
    Settings settings;
};

std::string ModeName(const ::testing::TestParamInfo<bool>& info) { return info.param ? "batched" : "per_access"; }

// A sequence that reads 30 offsets every tick.
std::vector<std::string> ThirtyOffsets() {
    std::vector<std::string> lines;
    for (int i = 0; i < 30; ++i) lines.push_back("int o" + std::to_string(i) + " at " + std::to_string(0x4000 + 64 * i) + ";");
    lines.push_back("int sum;");
    std::string body = "sequence Poll() { while (1) { sum = 0";
    for (int i = 0; i < 30; ++i) body += " + o" + std::to_string(i);
    lines.push_back(body + "; wait(0) } }");
    lines.push_back("key(Control, 'G') { startseq Poll() }");
    return lines;
}

TEST_P(Batched, ExchangesPerTick) {
    Run(ThirtyOffsets());
    Press(71, 2);
    controller.TimerTick();  // the sequence starts
    controller.TimerTick();
    const auto before = sim.BlocksProcessed();
    for (int i = 0; i < 10; ++i) controller.TimerTick();
    // Without: heartbeat, the key's entry, 30 offsets.
    EXPECT_EQ(sim.BlocksProcessed() - before, On() ? 10u : 320u);
    EXPECT_NE(controller.StatusText().find(On() ? ", 1 exchange per tick" : ", 32 exchanges per tick"),
              std::string::npos)
        << controller.StatusText();
}

const std::vector<std::string> kPrintsA = {
    "int a at 0x4000;",
    "char text[32];",
    "sequence Show() { while (1) { sprintf(text, \"a=%d\", a) printstr(text) wait(0) } }",
    "key(Control, 'G') { startseq Show() }",
};

TEST_P(Batched, ValueChangedInMidTickIsSeenAtTheNextTick) {
    Run(kPrintsA);
    Press(71, 2);
    controller.TimerTick();  // the sequence starts and prints a=0
    // After this tick's first exchange (the heartbeat, or the whole tick's).
    AfterSend(1, [this] { SetSimLong(0x4000, 5); });
    controller.TimerTick();
    controller.TimerTick();
    const std::vector<std::string> seen =
        On() ? std::vector<std::string>{"a=0", "a=0", "a=5"} : std::vector<std::string>{"a=0", "a=5", "a=5"};
    EXPECT_EQ(view.output, seen);
}

const std::vector<std::string> kWritesB = {
    "int b at 0x4100;",
    "key(Control, 'G') { b = 7; printstr(\"written\") }",
};

TEST_P(Batched, FailedWriteIsNoticedOneTickLater) {
    Run(kWritesB);
    Press(71, 2);
    // Per access the tick sends heartbeat, entry, flag, then b; batched the
    // tick's exchange and the flag, and b waits for the next tick.
    AfterSend(On() ? 2 : 3, [this] { faults.FailSends(-1, 1460); });
    controller.TimerTick();
    EXPECT_EQ(view.output, On() ? std::vector<std::string>{"written"} : std::vector<std::string>{})
        << "without batching the failed write ends the routine's run";
    EXPECT_TRUE(controller.Connected());
    controller.TimerTick();
    EXPECT_FALSE(controller.Connected());
    EXPECT_EQ(view.output.back(), "Lost the link to the simulator at tick 2 (12: sending to the server failed)");
    EXPECT_EQ(SimLong(0x4100), 0);
}

struct Flush {
    const char* name;
    std::function<void(WorkbenchController&, Machine&, RecordingView&)> act;
};

class WaitingWrites : public Batched {};

TEST_P(WaitingWrites, ReachTheSimulatorBeforeDisconnectReloadAndStop) {
    const std::vector<Flush> flushes = {
        {"disconnect", [](WorkbenchController& c, Machine&, RecordingView&) { c.ToggleConnection(); }},
        {"reload", [](WorkbenchController& c, Machine&, RecordingView& v) {
             v.editor.push_back("int more;");
             EXPECT_TRUE(c.Reload());
         }},
        {"debugger_pause", [](WorkbenchController&, Machine& m, RecordingView&) { m.Hold(); }},
    };
    for (const Flush& f : flushes) {
        SCOPED_TRACE(f.name);
        if (controller.Connected()) controller.ToggleConnection();
        SetSimLong(0x4100, 0);
        Run(kWritesB);
        Press(71, 2);
        controller.TimerTick();
        EXPECT_EQ(SimLong(0x4100), On() ? 0 : 7) << "batched, the write waits for the next tick";
        f.act(controller, machine, view);
        EXPECT_EQ(SimLong(0x4100), 7);
    }
}

// Offsets read at the tick's exchange: the records it carries and how many
// exchanges it takes when they do not fit one block.
struct Layout {
    const char* name;
    std::vector<std::string> program;
    int records;    // of the tick's exchanges together
    int exchanges;  // per tick
};

std::ostream& operator<<(std::ostream& os, const Layout& l) { return os << l.name; }

class TickLayout : public WorkbenchFixture, public ::testing::WithParamInterface<Layout> {};

TEST_P(TickLayout, ReadsInAsFewRecordsAndExchangesAsFit) {
    Settings settings;
    std::string error;
    ASSERT_TRUE(settings.SetOption(SettingId::kOneExchangePerTick, "true", error));
    controller.UseSettings(&settings);
    Run(GetParam().program);
    int records = 0;
    faults.DamageAfterSend([&records](std::uint8_t* block) {
        for (std::uint32_t pos = 0; LoadU32(block + pos) != 0; ++records)
            pos += (LoadU32(block + pos) == kRecordRead ? kReadHeaderSize : kWriteHeaderSize) + LoadU32(block + pos + 8);
    });
    const auto before = sim.BlocksProcessed();
    controller.TimerTick();
    EXPECT_EQ(sim.BlocksProcessed() - before, std::uint64_t(GetParam().exchanges));
    EXPECT_EQ(records, GetParam().records);
}

// The heartbeat (0x0C48) is one record of its own in every case.
INSTANTIATE_TEST_SUITE_P(
    Blocks, TickLayout,
    ::testing::Values(Layout{"gap_of_a_header_is_merged", {"int a at 0x4000;", "int b at 0x4014;"}, 2, 1},
                      Layout{"longer_gap_is_two_records", {"int a at 0x4000;", "int b at 0x4015;"}, 3, 1},
                      Layout{"overlapping_globals_are_one", {"int a at 0x4000;", "shortint b at 0x4002;"}, 2, 1},
                      // 32,475 bytes fill a block beside the heartbeat, with
                      // two headers and the terminator; one more goes on in a second.
                      Layout{"block_filled", {"char big[32475] at 0x4000;"}, 2, 1},
                      Layout{"one_byte_more_in_two_pieces", {"char big[32476] at 0x4000;"}, 3, 2},
                      Layout{"heartbeat_inside_a_long_global", {"char big[65000] at 0x0100;"}, 3, 3}),
    [](const ::testing::TestParamInfo<Layout>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(Modes, Batched, ::testing::Bool(), ModeName);
INSTANTIATE_TEST_SUITE_P(Modes, WaitingWrites, ::testing::Bool(), ModeName);

}  // namespace
}  // namespace vorn::test
