// Arbitrary text never crashes, hangs or corrupts the front end: every input
// ends with 0 or 1 and a listing of well-formed diagnostic lines.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <regex>
#include <string>

#include "compiler/script_parser.h"
#include "compiler/tokens.h"
#include "frontend_test_util.h"

namespace vorn {
namespace {

using testing_frontend::ParseSource;
using testing_frontend::RecordingActions;

// Pieces that make near-programs more often than raw bytes would.
const char* const kPieces[] = {"int ", "byte ", "x", "y1", " = ", ";", "(", ")", "{", "}", "[", "]", ",", "if ",
                               "else ", "while ", "key", "sequence ", "startseq ", "'a'", "\"s\"", "12", "$ff",
                               "1.5", "<", "==", "+", "-", "*", "!", "&&", "/*", "*/", "//", "\n", " ", "\r",
                               "\x1A", "#", "@", "printstr", "wait", "return "};

std::string RandomSource(std::mt19937& rng, bool rawBytes) {
    std::uniform_int_distribution<int> length(0, 200);
    std::string s;
    const int n = length(rng);
    for (int i = 0; i < n; ++i) {
        if (rawBytes) {
            s += static_cast<char>(std::uniform_int_distribution<int>(0, 255)(rng));
        } else {
            s += kPieces[std::uniform_int_distribution<std::size_t>(0, std::size(kPieces) - 1)(rng)];
        }
    }
    return s;
}

void CheckListing(const std::string& listing, int errors) {
    static const std::regex line(R"(: [0-9]+: .* at or before [^\r\n]*)");
    // Warnings (a NUL byte in raw bytes) are listed but not counted.
    static const std::regex warning(R"(: [0-9]+: warning: [^\r\n]*)");
    int lines = 0;
    std::size_t pos = 0;
    while (pos < listing.size()) {
        const std::size_t end = listing.find("\r\n", pos);
        ASSERT_NE(end, std::string::npos) << "unterminated listing line";
        const std::string text = listing.substr(pos, end - pos);
        pos = end + 2;
        if (std::regex_match(text, warning)) continue;
        EXPECT_TRUE(std::regex_match(text, line)) << text;
        ++lines;
    }
    EXPECT_EQ(lines, errors);
}

TEST(ParserRandomInput, TokenSoupEndsCleanly) {
    std::mt19937 rng(20261208);
    for (int i = 0; i < 2000; ++i) {
        const std::string source = RandomSource(rng, false);
        RecordingActions actions;
        const auto r = ParseSource(source, &actions);
        ASSERT_TRUE(r.result == 0 || r.result == 1) << source;
        if (r.result == 1) {
            EXPECT_GE(r.errors, 1) << source;
        }
        CheckListing(r.listing, r.errors);
        for (const auto& red : actions.reductions) ASSERT_TRUE(red.rule >= 1 && red.rule <= kRuleCount);
    }
}

TEST(ParserRandomInput, RawBytesEndCleanly) {
    std::mt19937 rng(42);
    for (int i = 0; i < 2000; ++i) {
        const std::string source = RandomSource(rng, true);
        const auto r = ParseSource(source);
        ASSERT_TRUE(r.result == 0 || r.result == 1);
        CheckListing(r.listing, r.errors);
        // The lexer alone reaches the end too.
        const auto tokens = testing_frontend::LexAll(source, 10000);
        EXPECT_LT(tokens.size(), 10000u);
        for (const auto& t : tokens) EXPECT_TRUE(t.token >= kFirstToken && t.token <= kLastToken);
    }
}

}  // namespace
}  // namespace vorn
