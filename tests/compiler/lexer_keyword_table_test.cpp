// The keyword table that the highlighter reads agrees with the lexer's rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>

#include "compiler/keywords.h"
#include "compiler/tokens.h"
#include "frontend_test_util.h"

namespace vorn {
namespace {

using testing_frontend::LexAll;
using testing_frontend::Tok;

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string Alternating(std::string s) {
    for (std::size_t i = 0; i < s.size(); i += 2) s[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(s[i])));
    return s;
}

TEST(KeywordTable, EveryKeywordTokenAppearsOnce) {
    std::set<int> tokens;
    for (const KeywordInfo& k : Keywords()) EXPECT_TRUE(tokens.insert(k.token).second) << k.text;
    std::set<int> expected;
    for (int t = kTokByte; t <= kTokStartseq; ++t) expected.insert(t);
    EXPECT_EQ(tokens, expected);
}

TEST(KeywordTable, IsAlphabeticalLowerCase) {
    const auto table = Keywords();
    ASSERT_EQ(table.size(), 19u);
    for (std::size_t i = 1; i < table.size(); ++i) EXPECT_LT(std::string(table[i - 1].text), std::string(table[i].text));
    for (const KeywordInfo& k : table) {
        const std::string text = k.text;
        EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](char c) { return c >= 'a' && c <= 'z'; })) << text;
    }
}

TEST(KeywordTable, LexerAgreesInEveryLetterCase) {
    for (const KeywordInfo& k : Keywords()) {
        for (const std::string& spelling : {std::string(k.text), Upper(k.text), Alternating(k.text)}) {
            EXPECT_EQ(LexAll(spelling), (std::vector<Tok>{{k.token, spelling}})) << spelling;
        }
        EXPECT_EQ(TokenName(k.token), k.text);
    }
}

TEST(KeywordTable, KeywordWithMoreLettersIsIdent) {
    for (const KeywordInfo& k : Keywords()) {
        for (const std::string& word : {std::string(k.text) + "s", "x" + std::string(k.text), std::string(k.text) + "_"}) {
            EXPECT_EQ(LexAll(word), (std::vector<Tok>{{kTokIdent, word}})) << word;
        }
    }
}

TEST(KeywordTable, TypeKeywordsAreTheTypeClass) {
    std::set<std::string> types;
    for (const KeywordInfo& k : Keywords()) {
        if (k.kind == KeywordClass::kType) types.insert(k.text);
    }
    EXPECT_EQ(types, (std::set<std::string>{"byte", "char", "float", "int", "shortint"}));
}

}  // namespace
}  // namespace vorn
