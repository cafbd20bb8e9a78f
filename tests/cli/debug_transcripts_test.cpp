// vornc debug through the real executable: one table of sessions, each a
// script on stdin and the whole transcript it must answer on stdout.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/cli/vornc_process.h"

namespace vorn::test {
namespace {

// Line numbers matter: the scripts below name them.
const char* const kProgram =
    "#include \"lib.vrn\"\n"          // 1
    "int total;\n"                    // 2
    "int speed at 0x02BC;\n"          // 3
    "char name[8];\n"                 // 4
    "\n"                              // 5
    "int Twice(int n) {\n"            // 6
    "   int r;\n"                     // 7
    "   r = n * 2;\n"                 // 8
    "   return r;\n"                  // 9
    "}\n"                             // 10
    "\n"                              // 11
    "int AddTwice(int a, int b) {\n"  // 12
    "   return a + Twice(b);\n"       // 13
    "}\n"                             // 14
    "\n"                              // 15
    "key(Control, 'G') {\n"           // 16
    "   total = AddTwice(1, 2);\n"    // 17
    "   total = total + 1;\n"         // 18
    "   printstr(name)\n"             // 19
    "}\n"                             // 20
    "\n"                              // 21
    "key(Control, 'W') {\n"           // 22
    "   total = 0;\n"                 // 23
    "   wait(1)\n"                    // 24
    "   total = 5;\n"                 // 25
    "}\n"                             // 26
    "\n"                              // 27
    "key(Control, 'Z') {\n"           // 28
    "   total = total / Zero();\n"    // 29
    "}\n";                            // 30

const char* const kLib =
    "// helpers\n"        // 1
    "int Zero() {\n"      // 2
    "   return 0;\n"      // 3
    "}\n";                // 4

struct Session {
    const char* name;
    const char* script;
    std::vector<std::string> transcript;
    int status = 0;
};

std::ostream& operator<<(std::ostream& os, const Session& s) { return os << s.name; }

class DebugSession : public ::testing::TestWithParam<Session> {};

// Each session also with one exchange per tick: a stop sends the waiting
// writes first, so what the debugger shows and sets is the same.
TEST_P(DebugSession, AnswersAsDocumented) {
    const Session& s = GetParam();
    TempProgram program(kProgram, "prog.vrn");
    program.Write("lib.vrn", kLib);
    ProcessOptions options;
    options.folder = program.Folder();
    options.input = s.script;
    for (const char* batch : {"", "--batch"}) {
        std::vector<std::string> args = {"debug", "prog.vrn", "--fast"};
        if (*batch != '\0') args.push_back(batch);
        const ProcessResult r = RunVornc(args, options);
        EXPECT_EQ(r.OutLines(), s.transcript) << batch << r.err;
        EXPECT_EQ(r.status, s.status) << batch;
    }
}

struct OptionCase {
    std::vector<std::string> args;
    int status;
    const char* message;
};

// Options debug cannot honour are refused, never ignored; the link's settings are checked and used.
TEST(DebugOptions, AreHonouredOrRefused) {
    const OptionCase cases[] = {
        {{"--wait"}, 2, "--wait, --reload-on-change and --log are for run, not for debug"},
        {{"--reload-on-change"}, 2, "--wait, --reload-on-change and --log are for run, not for debug"},
        {{"--log", "requests.log"}, 2, "--wait, --reload-on-change and --log are for run, not for debug"},
        {{"--ipc-attempts", "0"}, 2, "--ipc-attempts 0: expected a whole number from 1 to 100"},
        {{"--ipc-timeout-ms=600001"}, 2, "--ipc-timeout-ms 600001"},
        // The built-in simulator answers FSUIPC's own message name only.
        {{"--ipc-name", "Other:IPC"}, 4, "Cannot connect to the simulator (3: registering the message failed)"},
    };
    TempProgram program(kProgram, "prog.vrn");
    program.Write("lib.vrn", kLib);
    ProcessOptions options;
    options.folder = program.Folder();
    options.input = "run\nquit\n";
    for (const OptionCase& c : cases) {
        std::vector<std::string> args = {"debug", "prog.vrn", "--fast"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ProcessResult r = RunVornc(args, options);
        EXPECT_EQ(r.status, c.status) << c.args[0];
        EXPECT_NE((r.out + r.err).find(c.message), std::string::npos) << c.args[0] << ": " << r.out << r.err;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DebugSession,
    ::testing::Values(
        Session{"BreakInKeyRoutineBacktraceAndPrint",
                "break prog.vrn:8\nrun\npress Ctrl+G\nbt\nps\nprint n\nprint r\nprint total\nprint speed\n"
                "print n * 3 + total\ninfo args\nfinish\nbt\nprint a\nprint b\ncontinue\nquit\n",
                {"breakpoint 1 at prog.vrn:8", "running", "pressed Ctrl+G", "process 0 started: key Ctrl+G",
                 "stopped: breakpoint 1 in process 0 at prog.vrn:8", "#0 Twice at prog.vrn:8",
                 "#1 AddTwice at prog.vrn:13", "#2 key Ctrl+G at prog.vrn:17",
                 "process 0: key Ctrl+G, stopped at prog.vrn:8", "n = 2", "r = 0", "total = 0", "speed = 0",
                 "n * 3 + total = 6", "int n = 2 (frame slot 8)", "stopped: step in process 0 at prog.vrn:13",
                 "#0 AddTwice at prog.vrn:13", "#1 key Ctrl+G at prog.vrn:17", "a = 1", "b = 2", "running", "output: ",
                 "process 0 ended", "bye"}},
        Session{"SetLocalGlobalTextAndFsuipc",
                "break prog.vrn:9\nrun\npress Ctrl+G\nset r = 40\nset name = \"hi\"\nset speed = 3200\nprint speed\n"
                "set name = \"far too long\"\nset nothing = 1\ncontinue\nprint total\nquit\n",
                {"breakpoint 1 at prog.vrn:9", "running", "pressed Ctrl+G", "process 0 started: key Ctrl+G",
                 "stopped: breakpoint 1 in process 0 at prog.vrn:9", "r = 40", "name = \"hi\"", "speed = 3200",
                 "speed = 3200", "error: the text needs 13 bytes, name has 8", "error: no variable nothing", "running",
                 "output: hi", "process 0 ended", "total = 42", "bye"}},
        Session{"StepIntoOverAndOutAcrossCalls",
                "break prog.vrn:17\nrun\npress Ctrl+G\nstep\nstep\nstep\nbt\nfinish\nfinish\nnext\nnext\nnext\nnext\nquit\n",
                {"breakpoint 1 at prog.vrn:17", "running", "pressed Ctrl+G", "process 0 started: key Ctrl+G",
                 "stopped: breakpoint 1 in process 0 at prog.vrn:17", "stopped: step in process 0 at prog.vrn:13",
                 "stopped: step in process 0 at prog.vrn:8", "stopped: step in process 0 at prog.vrn:9",
                 "#0 Twice at prog.vrn:9", "#1 AddTwice at prog.vrn:13", "#2 key Ctrl+G at prog.vrn:17",
                 "stopped: step in process 0 at prog.vrn:13", "stopped: step in process 0 at prog.vrn:17",
                 "stopped: step in process 0 at prog.vrn:18", "stopped: step in process 0 at prog.vrn:19",
                 "output: ", "stopped: step in process 0 at prog.vrn:20", "process 0 ended", "running", "bye"}},
        Session{"StepOverCallAndWait",
                "break prog.vrn:17\nbreak prog.vrn:24\nrun\npress Ctrl+G\nnext\ncontinue\npress Ctrl+W\nnext\nps\nnext\n"
                "print total\ncontinue\nquit\n",
                {"breakpoint 1 at prog.vrn:17", "breakpoint 2 at prog.vrn:24", "running", "pressed Ctrl+G",
                 "process 0 started: key Ctrl+G", "stopped: breakpoint 1 in process 0 at prog.vrn:17",
                 "stopped: step in process 0 at prog.vrn:18", "running", "output: ", "process 0 ended",
                 "pressed Ctrl+W", "process 1 started: key Ctrl+W", "stopped: breakpoint 2 in process 1 at prog.vrn:24",
                 "stopped: step in process 1 at prog.vrn:25, waiting 10 ticks",
                 "process 1: key Ctrl+W, waiting 10 ticks at prog.vrn:25", "stopped: step in process 1 at prog.vrn:26",
                 "total = 5", "running", "process 1 ended", "bye"}},
        Session{"BreakpointsInIncludeMovedAndPending",
                "break lib.vrn:1\nbreak lib.vrn:9\nbreak other.vrn:3\nbreak prog.vrn:5\ninfo break\ndelete 4\ndelete 4\n"
                "run\npress Ctrl+Z\nbt\nquit\n",
                {"breakpoint 1 at lib.vrn:3 (line 1 has no code)",
                 "breakpoint 2 pending at lib.vrn:9: no code at or after line 9",
                 "breakpoint 3 pending at other.vrn:3: the program has no code from other.vrn",
                 "breakpoint 4 at prog.vrn:8 (line 5 has no code)", "breakpoint 1 at lib.vrn:3, hit 0 times",
                 "breakpoint 2 pending at lib.vrn:9, hit 0 times", "breakpoint 3 pending at other.vrn:3, hit 0 times",
                 "breakpoint 4 at prog.vrn:8, hit 0 times", "deleted breakpoint 4", "error: no breakpoint 4", "running",
                 "pressed Ctrl+Z", "process 2 started: key Ctrl+Z", "stopped: breakpoint 1 in process 2 at lib.vrn:3",
                 "#0 Zero at lib.vrn:3", "#1 key Ctrl+Z at prog.vrn:29", "bye"}},
        Session{"ConditionalBreakpoint",
                "break prog.vrn:18 if total == 6\nbreak prog.vrn:19 if total == 6\nrun\npress Ctrl+G\nprint total\n"
                "info break\ncontinue\nquit\n",
                {"breakpoint 1 at prog.vrn:18", "breakpoint 2 at prog.vrn:19", "running", "pressed Ctrl+G",
                 "process 0 started: key Ctrl+G", "stopped: breakpoint 2 in process 0 at prog.vrn:19", "total = 6",
                 "breakpoint 1 at prog.vrn:18 if total == 6, hit 0 times",
                 "breakpoint 2 at prog.vrn:19 if total == 6, hit 1 time", "running", "output: ", "process 0 ended",
                 "bye"}},
        Session{"RuntimeErrorStopsThenContinueEndsIt",
                "run\npress Ctrl+Z\nbt\nnext\ncontinue\nquit\n",
                {"running", "pressed Ctrl+Z", "process 2 started: key Ctrl+Z",
                 "stopped: runtime error in process 2 at prog.vrn:29: division by zero", "#0 key Ctrl+Z at prog.vrn:29",
                 "error: process 2 stopped at a runtime error; continue ends it",
                 "output: Runtime error in process 2 at PC 82 (prog.vrn:29): division by zero", "process 2 ended",
                 "running", "bye"},
                5},
        Session{"CommandsRefusedWhereTheyCannotWork",
                "bt\nrun\nrun\npress Ctrl+Q\nnext\nset total = 1\npause\nps\nbreak prog.vrn\nfoo\nquit\n",
                {"error: the program is not running", "running", "error: the program is already running",
                 "error: the program has no hot key Ctrl+Q", "error: the program is running; pause first",
                 "error: the program is running; pause first", "stopped: pause", "no processes",
                 "error: break FILE:LINE [if EXPR]", "error: unknown command foo (help lists them)", "bye"}}));

}  // namespace
}  // namespace vorn::test
