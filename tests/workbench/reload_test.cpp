// Reload: a recompiled program swapped into a connected machine keeps the
// globals and hot-key entries that stay, and a failed compile changes nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/workbench/recording_view.h"

namespace vorn::test {
namespace {

using Lines = std::vector<std::string>;

const Lines kTwoKeys = {
    "int presses;",
    "char text[32];",
    "sequence Later() { wait(1) printstr(\"late\") }",
    "key(Control, 'G') { presses = presses + 1; sprintf(text, \"press %d\", presses) printstr(text) }",
    "key(Control, 'K') { startseq Later(); }",
};

struct ReloadCase {
    const char* name;
    Lines after;
    bool pressBeforeReload;  // Ctrl+G flagged in FSUIPC's table between the last tick and the reload
    const char* report;      // the link line the reload gives
    Lines output;            // what the program prints in the ticks after it
    const char* keys;        // FSUIPC's table afterwards: "index:key "
};

std::string Entries(const SimServer& sim) {
    std::string text;
    for (const SimHotKey& k : sim.RegisteredKeys()) text += std::to_string(k.index) + ":" + std::to_string(k.key) + " ";
    return text;
}

std::string Joined(const Lines& lines) {
    std::string text;
    for (const std::string& l : lines) text += l + " ";
    return text;
}

using Reload = WorkbenchFixture;

TEST_F(Reload, KeepsWhatStaysAndChangesNothingOnErrors) {
    const ReloadCase cases[] = {
        {"a counter survives a new routine body",
         {"int presses;", "char text[32];", "sequence Later() { wait(1) printstr(\"late\") }",
          "key(Control, 'G') { presses = presses + 1; sprintf(text, \"now %d\", presses) printstr(text) }",
          "key(Control, 'K') { startseq Later(); }"},
         false,
         "Reloaded: 2 globals kept, 0 new, 0 dropped; hot keys: 2 kept, 0 added, 0 removed",
         {"now 3"},
         "0:71 1:75 "},
        {"a global whose type changed starts afresh",
         {"shortint presses;", "char text[32];",
          "key(Control, 'G') { presses = presses + 1; sprintf(text, \"press %d\", presses) printstr(text) }"},
         false,
         "Reloaded: 1 global kept, 1 new, 0 dropped; hot keys: 1 kept, 0 added, 1 removed",
         {"press 1"},
         "0:71 "},
        {"a kept key keeps its entry, a press waiting in it included; a gone key's entry is freed",
         {"int presses;", "int extra;",
          "key(Control, 'G') { presses = presses + 10; extra = presses; printstr(\"ten\") }",
          "key(Control, 'P') { printstr(\"pee\") }"},
         true,
         "Reloaded: 1 global kept, 1 new, 1 dropped; hot keys: 1 kept, 1 added, 1 removed",
         {"ten"},
         "0:71 1:80 "},
        {"a program with errors leaves the running one",
         {"int presses", "key(Control, 'G') { }"},
         false,
         "Reload failed: 1 error; the running program is unchanged",
         {"press 3", "late"},
         "0:71 1:75 "},
    };
    for (const ReloadCase& c : cases) {
        SCOPED_TRACE(c.name);
        controller.ToggleConnection();  // a fresh link and machine for each case
        Run(kTwoKeys);
        for (int i = 0; i < 2; ++i) {
            Press(71, 2);
            controller.TimerTick();
        }
        Press(75, 2);  // a sequence that waits
        controller.TimerTick();
        if (c.pressBeforeReload) Press(71, 2);
        view.Forget();
        view.editor = c.after;
        controller.Reload();
        ASSERT_FALSE(view.output.empty());
        EXPECT_EQ(view.output.back(), c.report);
        EXPECT_TRUE(controller.Connected()) << "the link stays open";
        view.output.clear();
        if (!c.pressBeforeReload) Press(71, 2);
        for (int i = 0; i < 15; ++i) controller.TimerTick();  // the waiting sequence had its second
        EXPECT_EQ(Joined(view.output), Joined(c.output)) ;  // "late" only where no reload ended the sequence
        EXPECT_EQ(Entries(sim), c.keys);
    }
}

TEST_F(Reload, OnlyWhileConnected) {
    CompileProgram(kHotKeyProgram);
    view.Forget();
    EXPECT_FALSE(controller.Reload());
    EXPECT_TRUE(view.output.empty());
}

}  // namespace
}  // namespace vorn::test
