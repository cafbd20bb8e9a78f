#include "compiler/script_lexer.h"

#include <array>

namespace vorn {

namespace {
// ASCII lower case of every byte value; other bytes map to themselves.
constexpr auto kFold = [] {
    std::array<unsigned char, 256> t{};
    for (int c = 0; c < 256; ++c) t[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return t;
}();

bool IsQuoted(const std::string& text) { return !text.empty() && (text[0] == '\'' || text[0] == '"'); }

std::uint32_t Hash(const std::string& text, bool fold) {
    std::uint32_t h = 2166136261u;   // FNV-1a
    if (fold) {
        for (char c : text) h = (h ^ kFold[static_cast<unsigned char>(c)]) * 16777619u;
    } else {
        for (char c : text) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    }
    return h;
}

bool Same(const std::string& a, const std::string& b, bool fold) {
    if (a.size() != b.size()) return false;
    if (!fold) return a == b;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (kFold[static_cast<unsigned char>(a[i])] != kFold[static_cast<unsigned char>(b[i])]) return false;
    }
    return true;
}
}  // namespace

void TScriptLexer::GrowIndex() {
    const std::size_t size = slots_.empty() ? 256 : slots_.size() * 2;
    slots_.assign(size, -1);
    const std::size_t mask = size - 1;
    for (std::size_t i = 0; i < names_.size(); ++i) {
        std::size_t s = hashes_[i] & mask;
        while (slots_[s] >= 0) s = (s + 1) & mask;
        slots_[s] = static_cast<std::int32_t>(i);
    }
}

std::int32_t TScriptLexer::Intern(const std::string& text) {
    // Identifiers and numbers are one entry whatever their letter case;
    // literals are kept exactly, or a program would print or compare text it
    // never wrote. A literal starts with its quote, which no identifier or
    // number does, so the two kinds never match each other.
    const bool fold = !IsQuoted(text);
    const std::uint32_t h = Hash(text, fold);
    if ((names_.size() + 1) * 2 > slots_.size()) GrowIndex();
    const std::size_t mask = slots_.size() - 1;
    std::size_t s = h & mask;
    for (; slots_[s] >= 0; s = (s + 1) & mask) {
        const std::int32_t i = slots_[s];
        if (hashes_[static_cast<std::size_t>(i)] == h && Same(names_[static_cast<std::size_t>(i)], text, fold)) return i;
    }
    const auto index = static_cast<std::int32_t>(names_.size());
    names_.push_back(text);
    hashes_.push_back(h);
    slots_[s] = index;
    return index;
}

std::int32_t TScriptLexer::InternToken() {
    tokenValue_ = Intern(TokenText());
    return tokenValue_;
}

bool TScriptLexer::SkipBlockComment() {
    // Lines are read as needed, so LineNumber follows the comment.
    int ch = ReadChar();
    for (;;) {
        while (ch != '*') {
            if (ch == kEndOfInput) {
                Diagnose("Unterminated comment");
                return false;
            }
            ch = ReadChar();
        }
        ch = ReadChar();
        if (ch == '/') return true;
    }
}

}  // namespace vorn
