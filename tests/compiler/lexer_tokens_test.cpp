// What token stream the lexer makes of a text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/tokens.h"
#include "frontend_test_util.h"

namespace vorn {
namespace {

using testing_frontend::LexAll;
using testing_frontend::Tok;

struct LexCase {
    const char* name;
    std::string source;
    std::vector<Tok> tokens;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const LexCase& c, std::ostream* os) { *os << c.name; }

class LexerTokens : public ::testing::TestWithParam<LexCase> {};

TEST_P(LexerTokens, ScansAsExpected) { EXPECT_EQ(LexAll(GetParam().source), GetParam().tokens); }

const std::string kNul(1, '\0');

INSTANTIATE_TEST_SUITE_P(
    Keywords, LexerTokens,
    ::testing::Values(LexCase{"Lower", "while", {{kTokWhile, "while"}}},
                      LexCase{"Upper", "WHILE", {{kTokWhile, "WHILE"}}},
                      LexCase{"Mixed", "While", {{kTokWhile, "While"}}},
                      LexCase{"LongerWordIsIdent", "whilex", {{kTokIdent, "whilex"}}},
                      LexCase{"UnderscoreSuffixIsIdent", "while_1", {{kTokIdent, "while_1"}}},
                      LexCase{"UnderscorePrefixIsIdent", "_while", {{kTokIdent, "_while"}}},
                      LexCase{"PrefixOfKeywordIsIdent", "whil", {{kTokIdent, "whil"}}},
                      LexCase{"KeywordThenPunctuation", "if(", {{kTokIf, "if"}, {kTokLParen, "("}}},
                      LexCase{"DigitEndsNoKeyword", "int2", {{kTokIdent, "int2"}}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Numbers, LexerTokens,
    ::testing::Values(LexCase{"HexLower", "0x1F", {{kTokNumber, "0x1F"}}},
                      LexCase{"HexUpperX", "0X1f", {{kTokNumber, "0X1f"}}},
                      LexCase{"Dollar", "$1f", {{kTokNumber, "$1f"}}},
                      LexCase{"HexWithoutDigits", "0xZ", {{kTokNumber, "0"}, {kTokIdent, "xZ"}}},
                      LexCase{"LoneDollarDropped", "$ 5", {{kTokNumber, "5"}}},
                      LexCase{"DollarThenNonHex", "$g", {{kTokIdent, "g"}}},
                      LexCase{"LeadingZeros", "007", {{kTokNumber, "007"}}},
                      LexCase{"Float", "1.5", {{kTokFloatLit, "1.5"}}},
                      LexCase{"TrailingDot", "1.", {{kTokNumber, "1"}, {kTokDot, "."}}},
                      LexCase{"LeadingDot", ".5", {{kTokDot, "."}, {kTokNumber, "5"}}},
                      LexCase{"TwoDots", "1.2.3", {{kTokFloatLit, "1.2"}, {kTokDot, "."}, {kTokNumber, "3"}}},
                      LexCase{"MinusIsOperator", "-5", {{kTokMinus, "-"}, {kTokNumber, "5"}}},
                      LexCase{"NoExponent", "1e5", {{kTokNumber, "1"}, {kTokIdent, "e5"}}},
                      LexCase{"HexFloatIsNot", "0x1.5", {{kTokNumber, "0x1"}, {kTokDot, "."}, {kTokNumber, "5"}}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Operators, LexerTokens,
    ::testing::Values(
        LexCase{"LessEqual", "a<=b", {{kTokIdent, "a"}, {kTokLe, "<="}, {kTokIdent, "b"}}},
        LexCase{"LessBlankEqual", "a< =b", {{kTokIdent, "a"}, {kTokLt, "<"}, {kTokAssign, "="}, {kTokIdent, "b"}}},
        LexCase{"NotEqualThenAssign", "!==", {{kTokNe, "!="}, {kTokAssign, "="}}},
        LexCase{"EqEq", "===", {{kTokEq, "=="}, {kTokAssign, "="}}},
        LexCase{"DotBetweenNames", "a.b", {{kTokIdent, "a"}, {kTokDot, "."}, {kTokIdent, "b"}}},
        LexCase{"OrOrAndBar", "|||", {{kTokOrOr, "||"}, {kTokBar, "|"}}},
        LexCase{"AndAndAndAmp", "&&&", {{kTokAndAnd, "&&"}, {kTokAmp, "&"}}},
        LexCase{"All", "= , . == >= > [ { } <= ( < - != + ] ) ; / * || && % ! | &",
                {{kTokAssign, "="},  {kTokComma, ","},     {kTokDot, "."},      {kTokEq, "=="},
                 {kTokGe, ">="},     {kTokGt, ">"},        {kTokLBracket, "["}, {kTokLBrace, "{"},
                 {kTokRBrace, "}"},  {kTokLe, "<="},       {kTokLParen, "("},   {kTokLt, "<"},
                 {kTokMinus, "-"},   {kTokNe, "!="},       {kTokPlus, "+"},     {kTokRBracket, "]"},
                 {kTokRParen, ")"},  {kTokSemicolon, ";"}, {kTokSlash, "/"},    {kTokStar, "*"},
                 {kTokOrOr, "||"},   {kTokAndAnd, "&&"},   {kTokPercent, "%"},  {kTokBang, "!"},
                 {kTokBar, "|"},     {kTokAmp, "&"}}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Literals, LexerTokens,
    ::testing::Values(
        LexCase{"Char", "'a'", {{kTokCharLit, "'a'"}}},
        LexCase{"CharQuote", "'''", {{kTokCharLit, "'''"}}},
        LexCase{"CharBlank", "' '", {{kTokCharLit, "' '"}}},
        LexCase{"TwoCharsAreNoLiteral", "'ab'", {{kTokIdent, "ab"}}},
        LexCase{"String", "\"Hello, World\"", {{kTokStrLit, "\"Hello, World\""}}},
        LexCase{"EmptyStringDropsFirstQuote", "\"\" x", {{kTokIdent, "x"}}},
        LexCase{"EmptyStringSecondQuoteStartsLiteral", "\"\"x\" y",
                {{kTokStrLit, "\"x\""}, {kTokIdent, "y"}}},
        LexCase{"StringEndsAtLine", "\"abc\ndef\"", {{kTokIdent, "abc"}, {kTokIdent, "def"}}},
        LexCase{"StringKeepsHighBytesAndComments", "\"\xE9 // /* x\"", {{kTokStrLit, "\"\xE9 // /* x\""}}},
        LexCase{"StringWithSingleQuote", "\"it's\"", {{kTokStrLit, "\"it's\""}}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Skipped, LexerTokens,
    ::testing::Values(
        LexCase{"LineComment", "x//y\nz", {{kTokIdent, "x"}, {kTokIdent, "z"}}},
        LexCase{"SlashBlankSlash", "x/ /y", {{kTokIdent, "x"}, {kTokSlash, "/"}, {kTokSlash, "/"}, {kTokIdent, "y"}}},
        LexCase{"BlockComment", "/* a */ b", {{kTokIdent, "b"}}},
        LexCase{"BlockCommentsDoNotNest", "/* /* */ c", {{kTokIdent, "c"}}},
        LexCase{"SlashThreeStarsSlash", "/***/d", {{kTokIdent, "d"}}},
        LexCase{"StarsBeforeClose", "/* x **/e", {{kTokIdent, "e"}}},
        LexCase{"CloseWithoutOpen", "*/", {{kTokStar, "*"}, {kTokSlash, "/"}}},
        LexCase{"WhiteSpace", "\t a\f\n b ", {{kTokIdent, "a"}, {kTokIdent, "b"}}},
        LexCase{"UnmatchedDropped", "@#:?^~\\`\r\v a", {{kTokIdent, "a"}}},
        LexCase{"CrSplitsNothing", "a\rb", {{kTokIdent, "ab"}}},   // the reader drops the CR
        LexCase{"VerticalTabSplits", "a\vb", {{kTokIdent, "a"}, {kTokIdent, "b"}}},
        LexCase{"HighBytesDropped", "a\x80\xFF" "b", {{kTokIdent, "a"}, {kTokIdent, "b"}}},
        LexCase{"LoneQuoteDropped", "' x", {{kTokIdent, "x"}}},
        LexCase{"EmptyInput", "", {}},
        LexCase{"NoFinalLineEnd", "a\nb", {{kTokIdent, "a"}, {kTokIdent, "b"}}},
        LexCase{"NulEndsInput", "a" + kNul + "b\nc", {{kTokIdent, "a"}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LexerTokens, EndOfInputRepeats) {
    MemoryStream stream;
    stream.Write("x");
    TScriptLexer lexer(stream);
    EXPECT_EQ(lexer.NextToken(), kTokIdent);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(lexer.NextToken(), kTokEnd);
        EXPECT_EQ(lexer.TokenText(), "");
    }
}

// There is no match or line limit: long words scan like short ones.
struct LongCase {
    const char* name;
    std::string text;
    int token;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const LongCase& c, std::ostream* os) { *os << c.name; }

class LexerLongTokens : public ::testing::TestWithParam<LongCase> {};

TEST_P(LexerLongTokens, ScansWhole) {
    const auto tokens = LexAll(GetParam().text + " z\n");
    ASSERT_EQ(tokens.size(), 2u);
    EXPECT_EQ(tokens[0].token, GetParam().token);
    EXPECT_EQ(tokens[0].text, GetParam().text);
    EXPECT_EQ(tokens[1], (Tok{kTokIdent, "z"}));
}

INSTANTIATE_TEST_SUITE_P(Cases, LexerLongTokens,
                         ::testing::Values(LongCase{"Ident", std::string(5000, 'a'), kTokIdent},
                                           LongCase{"IdentAfterKeyword", "while" + std::string(5000, 'x'), kTokIdent},
                                           LongCase{"Decimal", std::string(5000, '7'), kTokNumber},
                                           LongCase{"Hex", "$" + std::string(5000, 'f'), kTokNumber},
                                           LongCase{"Float", std::string(3000, '1') + "." + std::string(3000, '2'),
                                                    kTokFloatLit},
                                           LongCase{"String", "\"" + std::string(5000, 's') + "\"", kTokStrLit}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LexerLongTokens, LongCommentLineIsSkipped) {
    EXPECT_EQ(LexAll("a //" + std::string(5000, 'c') + "\nb"), (std::vector<Tok>{{kTokIdent, "a"}, {kTokIdent, "b"}}));
    EXPECT_EQ(LexAll("/*" + std::string(5000, '*') + "/b"), (std::vector<Tok>{{kTokIdent, "b"}}));
}

}  // namespace
}  // namespace vorn
