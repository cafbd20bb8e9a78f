#pragma once
// Table-driven cases of the window core's rules, shared by the core's own
// tests and the window tests of both toolkits (plain data, no test framework).
#include <string>
#include <vector>

namespace vorn::test {

// File bytes and the editor lines they read as; writing the lines gives
// `written` back (CR LF after every line).
struct LineEndCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
    std::string written;
};

inline const std::vector<LineEndCase> kLineEndCases = {
    {"empty", "", {}, ""},
    {"one line, no end", "a", {"a"}, "a\r\n"},
    {"CR LF", "a\r\nb\r\n", {"a", "b"}, "a\r\nb\r\n"},
    {"LF", "a\nb", {"a", "b"}, "a\r\nb\r\n"},
    {"lone CR", "a\rb\r", {"a", "b"}, "a\r\nb\r\n"},
    {"blank lines kept", "\r\n\r\nx\r\n\r\n", {"", "", "x", ""}, "\r\n\r\nx\r\n\r\n"},
    {"LF CR is two ends", "a\n\rb", {"a", "", "b"}, "a\r\n\r\nb\r\n"},
    {"empty last line", "int a;\r\n\r\n", {"int a;", ""}, "int a;\r\n\r\n"},
    {"only an empty line", "\r\n", {""}, "\r\n"},
};

// A search from (row, col) for `text`; `expected` is "line:column" or the
// not-found message.
struct SearchCase {
    const char* name;
    std::vector<std::string> lines;
    std::string text;
    int col;
    bool matchCase;
    int row;
    std::string expected;
};

inline const std::vector<std::string> kSearchCode = {"int Alpha;", "alpha = 1;", "ALPHA = 2;"};

inline const std::vector<SearchCase> kSearchCases = {
    {"capitals find mixed case", kSearchCode, "ALPHA", 0, false, 0, "0:4"},
    {"match case skips other cases", kSearchCode, "ALPHA", 0, true, 0, "2:0"},
    {"match case exact", kSearchCode, "alpha", 0, true, 0, "1:0"},
    {"start column counts", {"abab"}, "ab", 1, false, 0, "0:2"},
    {"later lines from column 0", {"ab", "xab"}, "ab", 1, false, 0, "1:1"},
    {"caret beyond line end", {"ab", "ab"}, "a", 9, false, 0, "1:0"},
    {"never wraps", kSearchCode, "int", 0, false, 1, "int not found"},
    {"not found in lower case", kSearchCode, "ZZZ", 0, false, 0, "zzz not found"},
    {"not found as typed", kSearchCode, "ZZZ", 0, true, 0, "ZZZ not found"},
    {"empty search text", kSearchCode, "", 0, false, 0, " not found"},
    {"empty text", {}, "x", 0, false, 0, "x not found"},
    {"columns count UTF-16 units", {"\xc3\xa9t\xc3\xa9 caf\xc3\x89"}, "CAF\xc3\xa9", 0, false, 0, "0:4"},
    {"last column of the last line", {"ab"}, "b", 1, true, 0, "0:1"},
};

// Lines appended to "Program Output": all are kept; the newest is in view
// unless the reader scrolled to the top before the last one came.
struct GrowingPageCase {
    const char* name;
    int lines;
    bool scrolledUp;
};

inline const std::vector<GrowingPageCase> kGrowingPageCases = {
    {"every line kept, the newest in view", 1000, false},
    {"a reader who scrolled up keeps the view", 1000, true},
};

inline std::string GrowingPageLine(int index) { return "output line " + std::to_string(index + 1); }

}  // namespace vorn::test
