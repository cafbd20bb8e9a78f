// Diagnostic lines: their form, line numbers and token texts, and what ends
// a parse.
#include <gtest/gtest.h>

#include <string>

#include "compiler/script_parser.h"
#include "frontend_test_util.h"

namespace vorn {
namespace {

using testing_frontend::ParseResult;
using testing_frontend::ParseSource;
using testing_frontend::RecordingActions;

// Reports "Statement expected" for the empty body, as the back end does.
class EmptyBodyActions : public SemanticActions {
public:
    void Reduce(int rule, TScriptParser& parser) override {
        if (rule == 65) parser.ReportError("Statement expected");
    }
};

struct DiagCase {
    const char* name;
    std::string source;
    int result;
    int errors;
    std::string listing;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const DiagCase& c, std::ostream* os) { *os << c.name; }

class ParserDiagnostics : public ::testing::TestWithParam<DiagCase> {};

TEST_P(ParserDiagnostics, WritesTheExpectedLines) {
    EmptyBodyActions actions;
    const ParseResult r = ParseSource(GetParam().source, &actions);
    EXPECT_EQ(r.listing, GetParam().listing);
    EXPECT_EQ(r.errors, GetParam().errors);
    EXPECT_EQ(r.result, GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParserDiagnostics,
    ::testing::Values(
        DiagCase{"EmptySource", "", 1, 1, ": 0: syntax error at or before \r\n"},
        DiagCase{"OnlyComments", "// nothing\n/* at all */\n", 1, 1, ": 2: syntax error at or before \r\n"},
        DiagCase{"MissingSemicolonAtEnd", "int x", 1, 1, ": 1: syntax error at or before \r\n"},
        DiagCase{"MissingSemicolonBeforeBrace", "f() {\n  x = 1\n}\n", 1, 1, ": 3: syntax error at or before }\r\n"},
        DiagCase{"LineAfterMultiLineComment", "/*\n\n*/ int x x;", 1, 1, ": 3: syntax error at or before x\r\n"},
        DiagCase{"ChainedComparison", "f() { x = a < b < c; }", 1, 1, ": 1: syntax error at or before <\r\n"},
        DiagCase{"ChainedBar", "f() { x = a | b | c; }", 1, 1, ": 1: syntax error at or before |\r\n"},
        DiagCase{"ComparisonAsArgument", "f() { f(a > b); }", 1, 1, ": 1: syntax error at or before >\r\n"},
        DiagCase{"ComparisonAsIndex", "f() { x = a[b == c]; }", 1, 1, ": 1: syntax error at or before ==\r\n"},
        DiagCase{"WriteblockNeedsSemicolon", "f() { writeblock(a, b, c) }", 1, 1,
                 ": 1: syntax error at or before }\r\n"},
        DiagCase{"DotOutsideNumber", "f() { x = a.b; }", 1, 1, ": 1: syntax error at or before .\r\n"},
        DiagCase{"DeclarationAfterStatement", "f() { x = 1; int y; }", 1, 1,
                 ": 1: syntax error at or before int\r\n"},
        DiagCase{"StringTokenTextKeepsQuotes", "f() { x = 1 \"str\"; }", 1, 1,
                 ": 1: syntax error at or before \"str\"\r\n"},
        DiagCase{"OnlyFirstSyntaxErrorReported", "f() { x = ; y = ; }\n}}}", 1, 1,
                 ": 1: syntax error at or before ;\r\n"},
        DiagCase{"EmptyIfBody", "f() { if (a) else b = 1; }", 0, 1, ": 1: Statement expected at or before else\r\n"},
        DiagCase{"EmptyWhileBody", "f() { while (a) }", 0, 1, ": 1: Statement expected at or before }\r\n"},
        DiagCase{"EmptyBodyThenSyntaxError", "f() { while (a) }\nint", 1, 2,
                 ": 1: Statement expected at or before }\r\n: 2: syntax error at or before \r\n"},
        DiagCase{"UnterminatedCommentAfterProgram", "int x; /* open\n", 0, 1,
                 ": 1: Unterminated comment at or before /*\r\n"},
        DiagCase{"UnterminatedCommentInsideProgram", "int x /* open\nmore\n", 1, 2,
                 ": 2: Unterminated comment at or before /*\r\n: 2: syntax error at or before \r\n"},
        DiagCase{"LongTokenTextWrittenWhole", "int " + std::string(300, 'v') + " x;", 1, 1,
                 ": 1: syntax error at or before x\r\n"},
        DiagCase{"LongIdentInDiagnostic", "f() { x = 1 " + std::string(300, 'v') + "; }", 1, 1,
                 ": 1: syntax error at or before " + std::string(300, 'v') + "\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ParserDiagnostics, ActionDiagnosticsStayAndParseGoesOn) {
    RecordingActions actions;
    actions.onReduce = [](int rule, TScriptParser& p) {
        if (rule == 5) p.ReportError("Duplicate");
    };
    const ParseResult r = ParseSource("int x;\nint y;\nint z", &actions);
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.errors, 3);
    EXPECT_EQ(r.listing,
              ": 1: Duplicate at or before ;\r\n: 2: Duplicate at or before ;\r\n: 3: syntax error at or before \r\n");
}

TEST(ParserListing, WriteListingLineAppendsCrLfAndKeepsLongLines) {
    MemoryStream source;
    TScriptParser parser(source);
    const std::string longLine(500, 'L');
    parser.WriteListingLine("first");
    parser.WriteListingLine("");
    parser.WriteListingLine(longLine);
    EXPECT_EQ(parser.ListingStream().Text(), "first\r\n\r\n" + longLine + "\r\n");
    EXPECT_EQ(parser.ErrorCount(), 0);
    parser.ReportError("custom");
    EXPECT_EQ(parser.ErrorCount(), 1);
}

std::string Globals(int count) {
    std::string s;
    for (int i = 0; i < count; ++i) s += "int x;\n";
    return s;
}

// Each top-level item holds one stack entry until the end of the program:
// the stacks grow to the driver's bound, far past their starting size.
TEST(ParserStack, TheLastItemThatFits) {
    const ParseResult r = ParseSource(Globals(kParseStackDepth - 3));
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.errors, 0);
    EXPECT_EQ(r.listing, "");
}

TEST(ParserStack, OverflowsAtTheItemPastTheBound) {
    const ParseResult r = ParseSource(Globals(kParseStackDepth - 2));
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.errors, 1);
    EXPECT_EQ(r.listing, ": " + std::to_string(kParseStackDepth - 2) + ": yyparse stack overflow at or before ;\r\n");
}

TEST(ParserStack, ItemsPastTheStartingSizeParse) {
    const ParseResult r = ParseSource(Globals(kParseStackStart + 1));
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.errors, 0);
}

struct NestingCase {
    int parentheses;
    int result;
};

class ParserNesting : public ::testing::TestWithParam<NestingCase> {};

TEST_P(ParserNesting, GrowsOrOverflowsWithoutCrashing) {
    const int n = GetParam().parentheses;
    const std::string source = "f() { x = " + std::string(n, '(') + "1" + std::string(n, ')') + "; }";
    const ParseResult r = ParseSource(source);
    EXPECT_EQ(r.result, GetParam().result);
    EXPECT_EQ(r.listing.find("yyparse stack overflow") != std::string::npos, GetParam().result == 1) << r.listing;
}

INSTANTIATE_TEST_SUITE_P(Depths, ParserNesting,
                         ::testing::Values(NestingCase{5000, 0}, NestingCase{kParseStackDepth, 1}));

TEST(ParserStack, ParserCanBeUsedForOneParseOnly) {
    // A second Parse sees the exhausted input: a syntax error at its end, no crash.
    MemoryStream source;
    source.Write("int x;");
    TScriptParser parser(source);
    EXPECT_EQ(parser.Parse(), 0);
    EXPECT_EQ(parser.Parse(), 1);
    EXPECT_EQ(parser.ErrorCount(), 1);
}

}  // namespace
}  // namespace vorn
