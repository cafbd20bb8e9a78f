#include "compiler/script_lexer.h"

namespace vorn {

namespace {
char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsQuoted(const std::string& text) { return !text.empty() && (text[0] == '\'' || text[0] == '"'); }
}  // namespace

std::int32_t TScriptLexer::Intern(const std::string& text) {
    // Identifiers and numbers are one entry whatever their letter case;
    // literals are kept exactly, or a program would print or compare text it
    // never wrote. A literal's key starts with its quote, so the two kinds
    // never meet in the index.
    key_.assign(text);
    if (!IsQuoted(text)) {
        for (char& c : key_) c = LowerAscii(c);
    }
    const auto found = index_.find(key_);
    if (found != index_.end()) return found->second;
    const auto index = static_cast<std::int32_t>(names_.size());
    names_.push_back(text);
    index_.emplace(key_, index);
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
