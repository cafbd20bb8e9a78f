// The name table: which texts share an entry and which spelling it keeps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/script_lexer.h"
#include "compiler/tokens.h"

namespace vorn {
namespace {

struct Lexed {
    std::vector<int> values;   // TokenValue after each token
    std::vector<std::string> names;
};

Lexed Lex(const std::string& source) {
    MemoryStream stream;
    stream.Write(source);
    TScriptLexer lexer(stream);
    Lexed out;
    while (lexer.NextToken() != kTokEnd) out.values.push_back(lexer.TokenValue());
    out.names = lexer.NameTable();
    return out;
}

struct InternCase {
    const char* name;
    std::string source;
    std::vector<int> values;
    std::vector<std::string> names;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const InternCase& c, std::ostream* os) { *os << c.name; }

class LexerInterning : public ::testing::TestWithParam<InternCase> {};

TEST_P(LexerInterning, InternsAsExpected) {
    const Lexed got = Lex(GetParam().source);
    EXPECT_EQ(got.values, GetParam().values);
    EXPECT_EQ(got.names, GetParam().names);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LexerInterning,
    ::testing::Values(
        InternCase{"IdentsIgnoreCaseKeepFirstSpelling", "Foo FOO foo", {0, 0, 0}, {"Foo"}},
        InternCase{"DistinctIdentsInOrder", "b a b c", {0, 1, 0, 2}, {"b", "a", "c"}},
        InternCase{"NumbersIgnoreCase", "0x1f 0X1F $Ab $aB", {0, 0, 1, 1}, {"0x1f", "$Ab"}},
        InternCase{"NumbersByText", "10 010 10", {0, 1, 0}, {"10", "010"}},
        InternCase{"FloatsByText", "1.5 1.50", {0, 1}, {"1.5", "1.50"}},
        InternCase{"StringsKeepCase", "\"Hello\" \"HELLO\" \"Hello\"", {0, 1, 0}, {"\"Hello\"", "\"HELLO\""}},
        InternCase{"CharsKeepCase", "'a' 'A' 'a'", {0, 1, 0}, {"'a'", "'A'"}},
        InternCase{"LiteralIsNotTheIdent", "abc \"abc\" 'x' x", {0, 1, 2, 3}, {"abc", "\"abc\"", "'x'", "x"}},
        InternCase{"OtherTokensKeepValue", "a = ( b ) ;", {0, 0, 0, 1, 1, 1}, {"a", "b"}},
        InternCase{"KeywordsAreNotInterned", "int x while", {0, 0, 0}, {"x"}},
        InternCase{"NonAsciiBytesKeptExactly", "\"\xC4\" \"\xE4\"", {0, 1}, {"\"\xC4\"", "\"\xE4\""}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LexerInterning, InternIsDirectlyUsable) {
    MemoryStream stream;
    TScriptLexer lexer(stream);
    EXPECT_EQ(lexer.Intern("Alt"), 0);
    EXPECT_EQ(lexer.Intern("ALT"), 0);
    EXPECT_EQ(lexer.Intern("\"s\""), 1);
    EXPECT_EQ(lexer.Intern("\"S\""), 2);
    EXPECT_EQ(lexer.NameTable(), (std::vector<std::string>{"Alt", "\"s\"", "\"S\""}));
}

TEST(LexerInterning, ManyDistinctNamesStayInOrder) {
    std::string source;
    for (int i = 0; i < 3000; ++i) source += "n" + std::to_string(i) + " N" + std::to_string(i) + "\n";
    const Lexed got = Lex(source);
    ASSERT_EQ(got.names.size(), 3000u);
    for (int i = 0; i < 3000; ++i) {
        EXPECT_EQ(got.names[i], "n" + std::to_string(i));
        EXPECT_EQ(got.values[2 * i], i);
        EXPECT_EQ(got.values[2 * i + 1], i);
    }
}

}  // namespace
}  // namespace vorn
