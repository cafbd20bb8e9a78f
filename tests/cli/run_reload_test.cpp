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

TEST(RunReloadOnChange, AnEditChangesTheNextPressAndKeepsTheCounter) {
    TempProgram program(Program("old"), "prog.vrn");
    // Presses at 0.5 s and 3.5 s; the file changes at 1.5 s and is looked at four times a second.
    ChildProcess run(VORN_VORNC_PATH,
                     {"run", program.Path(), "--reload-on-change", "--press", "Ctrl+G@5", "--press", "Ctrl+G@35",
                      "--seconds", "4"});
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    program.Write("prog.vrn", Program("new"));
    const ProcessResult result = run.Finish();
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.OutLines(), (std::vector<std::string>{"old 1", "new 2"}));
    EXPECT_NE(result.err.find("Reloaded: 2 globals kept, 0 new, 0 dropped; hot keys: 1 kept, 0 added, 0 removed"),
              std::string::npos)
        << result.err;
}

TEST(RunReloadOnChange, AnEditThatDoesNotCompileLeavesTheProgramRunning) {
    TempProgram program(Program("old"), "prog.vrn");
    ChildProcess run(VORN_VORNC_PATH,
                     {"run", program.Path(), "--reload-on-change", "--press", "Ctrl+G@5", "--press", "Ctrl+G@35",
                      "--seconds", "4"});
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    program.Write("prog.vrn", Program("new") + "int broken\n");
    const ProcessResult result = run.Finish();
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.OutLines(), (std::vector<std::string>{"old 1", "old 2"}));
    EXPECT_NE(result.err.find("prog.vrn:8: "), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("Reload failed: 1 error; the running program is unchanged"), std::string::npos)
        << result.err;
}

}  // namespace
}  // namespace vorn::test
