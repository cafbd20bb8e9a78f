// Many vornc runs sharing one vorn-sim's hot-key table, and a run that
// reconnects to a server that stalled: every key has an entry of its own,
// a full table is reported, nothing is left behind.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "sim/sim_process.h"
#include "tests/cli/vornc_process.h"
#include "tests/fsuipc/private_runtime_dir.h"

namespace vorn::test {
namespace {

// A program whose `keys` hot keys use modifier `modifier` and the letters from A.
std::string KeysProgram(int modifier, int keys) {
    std::string text = "int presses;\n";
    for (int i = 0; i < keys; ++i)
        text += "key(" + std::to_string(modifier) + ", '" + std::string(1, char('A' + i)) + "') { presses = presses + 1; }\n";
    return text;
}

int CountOf(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

int KeyCount(const std::string& keys) { return keys.rfind("no hot keys", 0) == 0 ? 0 : std::stoi(keys); }

// The number of entries `keys` reports once it has stopped changing. An
// empty table is not settled: the runs may not have connected yet (a loaded
// machine starts eight sanitized processes slowly).
int SettledKeyCount(SimProcess& sim) {
    std::string last;
    int same = 0;
    for (int i = 0; i < 600 && same < 25; ++i) {
        const std::string now = sim.Command("keys");
        same = now == last && KeyCount(now) > 0 ? same + 1 : 0;
        last = now;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return KeyCount(last);
}

struct CrowdCase {
    const char* name;
    int clients;
    int keysEach;
};

class HotKeyCrowd : public ::testing::TestWithParam<CrowdCase> {
protected:
    testing::PrivateRuntimeDir runtime_;
};

TEST_P(HotKeyCrowd, EveryRegisteredKeyHasItsOwnEntry) {
    SimProcess sim;
    std::string error;
    ASSERT_TRUE(sim.Start(VORN_SIM_PATH, {}, error)) << error;
    const CrowdCase& c = GetParam();
    std::vector<std::unique_ptr<TempProgram>> programs;
    std::vector<std::unique_ptr<ChildProcess>> runs;
    ProcessOptions options;
    options.keepInputOpen = true;
    for (int i = 0; i < c.clients; ++i)
        programs.push_back(std::make_unique<TempProgram>(KeysProgram(i + 1, c.keysEach)));
    for (int i = 0; i < c.clients; ++i)
        runs.push_back(std::make_unique<ChildProcess>(VORN_VORNC_PATH,
                                                      std::vector<std::string>{"run", programs[i]->Path(), "--server"},
                                                      options));
    // Every run has connected once each key is in the table or refused;
    // a key that shares an entry keeps the sum short until the deadline.
    const int total = c.clients * c.keysEach;
    for (int i = 0; i < 1000; ++i) {
        int said = 0;
        for (auto& run : runs) said += CountOf(run->OutSoFar(), "No free hot-key slot for ");
        if (KeyCount(sim.Command("keys")) + said >= total) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const int entries = SettledKeyCount(sim);
    for (auto& run : runs) run->Signal(SIGTERM);
    int refused = 0;
    std::string said;
    for (auto& run : runs) {
        const ProcessResult r = run->Finish();
        EXPECT_EQ(r.status, 0) << r.err;
        refused += CountOf(r.out, "No free hot-key slot for ");
        said += r.out + r.err;
    }
    EXPECT_EQ(entries, std::min(total, 56));
    EXPECT_EQ(entries + refused, total) << "a key neither refused nor in the table shares an entry";
    EXPECT_EQ(sim.Command("keys"), "no hot keys registered") << said;
}

INSTANTIATE_TEST_SUITE_P(Clients, HotKeyCrowd,
                         ::testing::Values(CrowdCase{"two_filling_the_table", 2, 28},
                                           CrowdCase{"eight_overfilling_it", 8, 8},
                                           CrowdCase{"twenty_overfilling_it", 20, 3}),
                         [](const auto& info) { return std::string(info.param.name); });

// A server stalled long enough for the link to be lost keeps the entry the
// run wrote; the reconnect takes that entry again instead of a second one.
TEST(HotKeyReconnect, StalledThenResumedServerKeepsOneEntryForTheKey) {
    testing::PrivateRuntimeDir runtime;
    SimProcess sim;
    std::string error;
    ASSERT_TRUE(sim.Start(VORN_SIM_PATH, {}, error)) << error;
    TempProgram program("int n;\nkey(Control, 'G') { n = n + 1; printstr(\"pressed\") }\n");
    ProcessOptions options;
    options.keepInputOpen = true;
    options.environment = {{"VORN_IPC_TIMEOUT_MS", "200"}, {"VORN_IPC_ATTEMPTS", "1"}};
    ChildProcess run(VORN_VORNC_PATH, {"run", program.Path(), "--server", "--reconnect", "--debug"}, options);
    const std::string one = "1 hot key: 0x3210 Ctrl+G (71,2) flag 0";
    ASSERT_EQ(SettledKeyCount(sim), 1);
    sim.Signal(SIGSTOP);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // lost, and a reconnect tried
    sim.Signal(SIGCONT);
    std::string flagged;
    for (int i = 0; i < 300 && flagged.find("1 hot key flagged") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (sim.Command("keys") == one) flagged = sim.Command("press Ctrl+G");
    }
    for (int i = 0; i < 300 && sim.Command("keys") != one; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the press taken
    EXPECT_EQ(SettledKeyCount(sim), 1);
    EXPECT_EQ(sim.Command("keys"), one);
    run.Signal(SIGTERM);
    const ProcessResult r = run.Finish();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("Reconnected to the simulator"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("hot key Ctrl+G takes its entry 0 again"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("pressed"), std::string::npos) << "the press reached the program";
    EXPECT_EQ(sim.Command("keys"), "no hot keys registered");
}

}  // namespace
}  // namespace vorn::test
