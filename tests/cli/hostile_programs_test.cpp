// Programs that compiled and then went wrong without a word, run through the
// real vornc: each must now be refused by the compiler or run soundly.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "tests/cli/vornc_process.h"

namespace vorn::test {
namespace {

struct HostileCase {
    const char* name;
    std::string program;
    std::vector<std::string> extraArgs;  // after "run FILE --fast"
    int status;
    std::vector<std::string> out;  // run: stdout lines, exactly; compile: the diagnostics' messages
};

const std::string kFillHotKeys = [] {
    // A double whose two halves are both non-zero fills two 4-byte entries.
    std::string args;
    for (int i = 0; i < 28; ++i) args += " --poke " + std::to_string(0x3210 + 8 * i) + ":8=1.0000000000000002";
    return args;
}();

// Every entry but the last, 55, taken.
const std::string kAllButLastHotKey = [] {
    std::string args;
    for (int i = 0; i < 27; ++i) args += " --poke " + std::to_string(0x3210 + 8 * i) + ":8=1.0000000000000002";
    return args + " --poke " + std::to_string(0x3210 + 4 * 54) + ":4=1";
}();

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

const HostileCase kCases[] = {
    {"return_ends_a_sequence",
     "int boom() { printstr(\"BOOM\"); return 0; }\n"
     "sequence s() { printstr(\"seq\"); return; printstr(\"after\"); }\n"
     "key(Control, 'G') { startseq s(); printstr(\"key\"); }\n",
     {"--ticks", "4", "--press", "Ctrl+G@1"}, 0, {"key", "seq"}},
    {"return_ends_a_key_routine",
     "key(Control, 'G') { printstr(\"once\"); return 5; printstr(\"after\"); }\n",
     {"--ticks", "4", "--press", "Ctrl+G@1", "--press", "Ctrl+G@3"}, 0, {"once", "once"}},
    {"play_refuses_a_fifo",
     "key(Control, 'G') { play(\"pipe\"); printstr(\"played\"); }\n",
     {"--ticks", "2", "--press", "Ctrl+G@1"}, 0, {"pipe not found", "played"}},
    {"play_refuses_a_folder",
     "key(Control, 'G') { play(\".\"); }\n",
     {"--ticks", "2", "--press", "Ctrl+G@1"}, 0, {". not found"}},
    {"float_rounds_halves_away_from_zero",
     "char t[80];\n"
     "key(Control, 'G') { sprintf(t, \"%f %f %f %f %f\", 0.125, -4283.625, 2.675, 0.005, 0.0049); printstr(t); }\n",
     {"--ticks", "1", "--press", "Ctrl+G@1"}, 0, {"0.13 -4283.63 2.68 0.01 0.00"}},
    {"no_free_hot_key_slot_once_per_key",
     "key(Control, 'G') { }\nkey(Control, 'G') { }\nkey(1, 'A') { }\n",
     Words("--ticks 1" + kFillHotKeys), 0, {"No free hot-key slot for Ctrl+G", "No free hot-key slot for Shift+A"}},
    {"hot_key_takes_the_last_entry", "key(Control, 'G') { printstr(\"G\"); }\n",
     Words("--ticks 2 --press Ctrl+G@1" + kAllButLastHotKey), 0, {"G"}},
    {"call_with_too_few_arguments",
     "int f(int a, int b) { return a + b; }\nkey(Control, 'G') { f(1); }\n", {}, 1,
     {"Procedure f takes 2 arguments, 1 given"}},
    {"call_without_its_argument",
     "int f(int a) { return a; }\nkey(Control, 'G') { f(); }\n", {}, 1,
     {"Procedure f takes 1 argument, 0 given"}},
    {"call_with_too_many_arguments",
     "int f(int a) { return a; }\nkey(Control, 'G') { f(f(1), 2); }\n", {}, 1,
     {"Procedure f takes 1 argument, 2 given"}},
    {"startseq_with_arguments",
     "sequence s() { }\nkey(Control, 'G') { startseq s(1); }\n", {}, 1,
     {"Sequence s takes 0 arguments, 1 given"}},
    // FSUIPC's offsets end at $FFFF: what reaches past it is refused, or
    // stops the process naming its line, instead of wrapping round to $0000.
    {"at_offset_past_the_end", "int far at $12345;\nkey(Control, 'G') { far = 1; }\n", {}, 1,
     {"far at $12345 does not fit in the FSUIPC offsets $0000 to $FFFF", "program.vrn:1"}},
    {"at_int_across_the_end", "int big at $FFFE;\nkey(Control, 'G') { big = 5; }\n", {}, 1,
     {"big at $FFFE does not fit in the FSUIPC offsets"}},
    {"at_int_one_byte_past_the_end", "int over at $FFFD;\nkey(Control, 'G') { over = 5; }\n", {}, 1,
     {"over at $FFFD does not fit in the FSUIPC offsets"}},
    {"at_array_across_the_end", "shortint sa[3] at $FFFC;\nkey(Control, 'G') { sa[2] = 1234; }\n", {}, 1,
     {"sa at $FFFC does not fit in the FSUIPC offsets"}},
    {"at_array_that_just_fits", "shortint sa[2] at $FFFC;\nkey(Control, 'G') { sa[1] = 1234; printstr(\"ok\"); }\n",
     {"--ticks", "1", "--press", "Ctrl+G@1"}, 0, {"ok"}},
    // Line ends as the window reads them: a lone CR ends a line, so the
    // comment does not swallow the key routine after it.
    {"lone_cr_ends_a_line", "// a comment\rkey(Control, 'H') { printstr(\"H\"); }\rkey(Control, 'G') { }\r",
     {"--ticks", "1", "--press", "Ctrl+H@1"}, 0, {"H"}},
    {"call_with_the_right_count",
     "int f(int a, int b) { return a + b; }\nchar t[20];\n"
     "key(Control, 'G') { sprintf(t, \"%d\", f(f(1, 2), 3)); printstr(t); }\n",
     {"--ticks", "1", "--press", "Ctrl+G@1"}, 0, {"6"}},
};

class HostilePrograms : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostilePrograms, AreRefusedOrRunSoundly) {
    const HostileCase& c = GetParam();
    TempProgram program(c.program);
    ASSERT_EQ(::mkfifo((program.Folder() + "/pipe").c_str(), 0600), 0);
    ProcessOptions options;
    options.timeoutMs = 20000;  // a program blocked on the pipe is killed, and fails
    ProcessResult r;
    if (c.extraArgs.empty()) {
        // Refused at compile time: the listing on stdout carries the diagnostic.
        r = RunVornc({"compile", program.Path()}, options);
    } else {
        std::vector<std::string> args = {"run", program.Path(), "--fast"};
        args.insert(args.end(), c.extraArgs.begin(), c.extraArgs.end());
        r = RunVornc(args, options);
    }
    EXPECT_EQ(r.status, c.status) << r.err;
    if (!c.extraArgs.empty()) {
        EXPECT_EQ(r.OutLines(), c.out) << r.err;
        return;
    }
    // Refused: one diagnostic on standard error.
    std::vector<std::string> diagnostics;
    for (const std::string& line : r.ErrLines())
        if (line.find(c.out[0]) != std::string::npos) diagnostics.push_back(line);
    ASSERT_EQ(diagnostics.size(), 1u) << r.out << r.err;
    if (c.out.size() > 1) {
        EXPECT_NE(diagnostics[0].find(c.out[1]), std::string::npos) << diagnostics[0];
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, HostilePrograms, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vorn::test
