// vornc run --reload-on-change: an edit of the running program's file is
// swapped in while it runs; its counter keeps counting.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/cli/vornc_process.h"

namespace vorn::test {
namespace {

std::string Program(const std::string& word) {
    return "int presses;\nchar text[32];\n"
           "key(Control, 'G') {\n"
           "    presses = presses + 1;\n"
           "    sprintf(text, \"" + word + " %d\", presses)\n"
           "    printstr(text)\n"
           "}\n";
}

struct ReloadRun {
    const char* name;
    std::string edit;                  // the file's text from 1.5 s on
    std::vector<std::string> output;   // the two presses' lines
    std::vector<const char*> stderrHas;
};

TEST(RunReloadOnChange, AnEditIsSwappedInAndABrokenOneLeavesTheProgramRunning) {
    const ReloadRun runs[] = {
        {"an edit changes the next press and keeps the counter", Program("new"), {"old 1", "new 2"},
         {"Reloaded: 2 globals kept, 0 new, 0 dropped; hot keys: 1 kept, 0 added, 0 removed"}},
        {"an edit that does not compile leaves the program running", Program("new") + "int broken\n",
         {"old 1", "old 2"}, {"prog.vrn:8: ", "Reload failed: 1 error; the running program is unchanged"}},
    };
    for (const ReloadRun& r : runs) {
        SCOPED_TRACE(r.name);
        TempProgram program(Program("old"), "prog.vrn");
        // Presses at 0.5 s and 3.5 s; the file changes at 1.5 s and is looked at four times a second.
        ChildProcess run(VORN_VORNC_PATH, {"run", program.Path(), "--reload-on-change", "--press", "Ctrl+G@5",
                                           "--press", "Ctrl+G@35", "--seconds", "4"});
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        program.Write("prog.vrn", r.edit);
        const ProcessResult result = run.Finish();
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.OutLines(), r.output);
        for (const char* text : r.stderrHas) EXPECT_NE(result.err.find(text), std::string::npos) << result.err;
    }
}

}  // namespace
}  // namespace vorn::test
