// Line numbers as the lexer reports them, across comments and line ends.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "compiler/script_lexer.h"
#include "compiler/tokens.h"

namespace vorn {
namespace {

struct Seen {
    std::vector<std::pair<std::string, int>> tokens;   // text, LineNumber when returned
    int endLine = -1;                                  // LineNumber with the end token
    std::vector<std::string> diagnostics;
};

Seen Scan(const std::string& source) {
    MemoryStream stream;
    stream.Write(source);
    TScriptLexer lexer(stream);
    Seen seen;
    lexer.SetDiagnosticSink([&](const std::string& m) { seen.diagnostics.push_back(m); });
    for (int t = lexer.NextToken(); t != kTokEnd && seen.tokens.size() < 1000; t = lexer.NextToken()) {
        seen.tokens.emplace_back(lexer.TokenText(), lexer.LineNumber());
    }
    seen.endLine = lexer.LineNumber();
    return seen;
}

using Tokens = std::vector<std::pair<std::string, int>>;

struct LineCase {
    const char* name;
    std::string source;
    Tokens tokens;
    int endLine;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class LexerLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(LexerLines, ReportsTheLineOfEachToken) {
    const Seen seen = Scan(GetParam().source);
    EXPECT_EQ(seen.tokens, GetParam().tokens);
    EXPECT_EQ(seen.endLine, GetParam().endLine);
    EXPECT_TRUE(seen.diagnostics.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LexerLines,
    ::testing::Values(
        LineCase{"EmptyInputReadsNoLine", "", {}, 0},
        LineCase{"OneLine", "a b", {{"a", 1}, {"b", 1}}, 1},
        LineCase{"LinesCounted", "a\n\nb\n", {{"a", 1}, {"b", 3}}, 3},
        LineCase{"CrLfLines", "a\r\nb\r\n", {{"a", 1}, {"b", 2}}, 2},
        LineCase{"TrailingBlankLinesCountAtEnd", "a\n\n\n", {{"a", 1}}, 3},
        LineCase{"CommentLinesCount", "// one\n// two\nx", {{"x", 3}}, 3},
        LineCase{"BlockCommentAcrossLines", "a\n\n/* three\nfour\nfive */ b\nc", {{"a", 1}, {"b", 5}, {"c", 6}}, 6},
        LineCase{"CommentEndsLastLine", "a /* x\n*/", {{"a", 1}}, 2},
        LineCase{"CtrlZEndsInput", "a\n\x1A" "b\n", {{"a", 1}}, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LexerComments, UnterminatedCommentEndsTheScanWithADiagnostic) {
    const Seen seen = Scan("a /* open\nstill open\n");
    EXPECT_EQ(seen.tokens, (Tokens{{"a", 1}}));
    EXPECT_EQ(seen.diagnostics, (std::vector<std::string>{"Unterminated comment"}));
    EXPECT_EQ(seen.endLine, 2);
}

TEST(LexerComments, UnterminatedCommentReportsOnce) {
    MemoryStream stream;
    stream.Write("/* x *");
    TScriptLexer lexer(stream);
    int count = 0;
    lexer.SetDiagnosticSink([&](const std::string&) { ++count; });
    EXPECT_EQ(lexer.NextToken(), kTokEnd);
    EXPECT_EQ(lexer.NextToken(), kTokEnd);
    EXPECT_EQ(lexer.NextToken(), kTokEnd);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(lexer.TokenText(), "");
}

TEST(LexerComments, WithoutSinkUnterminatedCommentJustEnds) {
    MemoryStream stream;
    stream.Write("x /*");
    TScriptLexer lexer(stream);
    EXPECT_EQ(lexer.NextToken(), kTokIdent);
    EXPECT_EQ(lexer.NextToken(), kTokEnd);
}

TEST(LexerReadChar, ReadsAcrossLinesAndUnreads) {
    MemoryStream stream;
    stream.Write("ab\nc");
    TScriptLexer lexer(stream);
    EXPECT_EQ(lexer.ReadChar(), 'a');
    EXPECT_EQ(lexer.LineNumber(), 1);
    lexer.UnreadChar('z');
    EXPECT_EQ(lexer.ReadChar(), 'z');
    EXPECT_EQ(lexer.ReadChar(), 'b');
    EXPECT_EQ(lexer.ReadChar(), '\n');
    EXPECT_EQ(lexer.ReadChar(), 'c');
    EXPECT_EQ(lexer.LineNumber(), 2);
    EXPECT_EQ(lexer.ReadChar(), '\n');
    EXPECT_EQ(lexer.ReadChar(), TCustomLexer::kEndOfInput);
    lexer.UnreadChar('q');
    EXPECT_EQ(lexer.NextToken(), kTokIdent);
    EXPECT_EQ(lexer.TokenText(), "q");
}

TEST(LexerLines, ScanStartsAtTheStreamStart) {
    MemoryStream stream;
    stream.Write("first second");
    stream.Seek(6);
    TScriptLexer lexer(stream);
    EXPECT_EQ(lexer.NextToken(), kTokIdent);
    EXPECT_EQ(lexer.TokenText(), "first");
}

}  // namespace
}  // namespace vorn
