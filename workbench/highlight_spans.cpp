#include "workbench/highlight_spans.h"

#include <string>

#include "compiler/keywords.h"

namespace vorn {
namespace {

bool IsWordStart(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_'; }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsWordChar(char16_t c) { return IsWordStart(c) || IsDigit(c); }
bool IsHexDigit(char16_t c) { return IsDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); }
bool IsSymbol(char16_t c) { return std::u16string_view(u"=,.><[]{}()-+!;/*|&%").find(c) != std::u16string_view::npos; }
bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f' || c == 0xA0; }

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

// Case-insensitive (ASCII) search for `word` in `text`.
bool ContainsFolded(std::u16string_view text, std::u16string_view word) {
    if (word.size() > text.size()) return false;
    for (std::size_t i = 0; i + word.size() <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < word.size() && Lower(text[i + k]) == word[k]) ++k;
        if (k == word.size()) return true;
    }
    return false;
}

// The expander treats a line holding either word anywhere as a directive.
bool IsDirectiveLine(std::u16string_view text) {
    return ContainsFolded(text, u"#include") || ContainsFolded(text, u"#define ");
}

const KeywordInfo* FindKeyword(std::u16string_view word) {
    for (const KeywordInfo& k : Keywords()) {
        const std::string_view keyword(k.text);
        if (keyword.size() != word.size()) continue;
        std::size_t i = 0;
        while (i < word.size() && Lower(word[i]) == static_cast<char16_t>(keyword[i])) ++i;
        if (i == word.size()) return &k;
    }
    return nullptr;
}

// Length of the number at text[i] (a digit or '$'), 0 when there is none.
int NumberLength(std::u16string_view text, int i) {
    const int n = static_cast<int>(text.size());
    auto hexRun = [&](int from) {
        int j = from;
        while (j < n && IsHexDigit(text[j])) ++j;
        return j - from;
    };
    if (text[i] == u'$') {
        const int run = hexRun(i + 1);
        return run > 0 ? run + 1 : 0;
    }
    if (text[i] == u'0' && i + 1 < n && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        const int run = hexRun(i + 2);
        if (run > 0) return run + 2;
    }
    int j = i;
    while (j < n && IsDigit(text[j])) ++j;
    if (j + 1 < n && text[j] == u'.' && IsDigit(text[j + 1])) {
        ++j;
        while (j < n && IsDigit(text[j])) ++j;
    }
    return j - i;
}

}  // namespace

ElementStyle StyleOf(SourceElement element) {
    ElementStyle style;
    switch (element) {
        case SourceElement::Comment:
            style = {false, 0x808000, false, true};  // olive
            break;
        case SourceElement::Number:
            style = {false, 0x000080, false, false};  // navy
            break;
        case SourceElement::Strings:
            style = {false, 0x800080, false, false};  // purple
            break;
        case SourceElement::Symbol:
            style = {false, 0x0000FF, false, false};  // blue
            break;
        case SourceElement::Preproc:
            style = {false, 0x008000, false, false};  // green
            break;
        case SourceElement::Reserved:
        case SourceElement::Statement:
            style.bold = true;
            break;
        case SourceElement::Identifier:
        case SourceElement::FunctionCall:
        case SourceElement::Declaration:
        case SourceElement::PlainText:
            break;
    }
    return style;
}

SourceElement KeywordElement(std::u16string_view word) {
    const KeywordInfo* k = FindKeyword(word);
    if (k == nullptr) return SourceElement::PlainText;
    switch (k->kind) {
        case KeywordClass::kReserved:
        case KeywordClass::kType:
            return SourceElement::Reserved;
        case KeywordClass::kStatement:
        case KeywordClass::kBuiltin:
            return SourceElement::Statement;
    }
    return SourceElement::PlainText;
}

std::vector<HighlightSpan> HighlightLine(std::u16string_view text, LineState& state) {
    std::vector<HighlightSpan> spans;
    auto mark = [&spans](int start, int length, SourceElement element) {
        if (length > 0) spans.push_back({start, length, element});
    };
    const int n = static_cast<int>(text.size());
    if (IsDirectiveLine(text)) {
        mark(0, n, SourceElement::Preproc);
        return spans;  // the state carries over unchanged
    }

    int i = 0;
    bool inComment = state == LineState::kInComment;
    bool afterType = false;  // the next word is being declared
    while (i < n) {
        if (inComment) {
            const std::size_t close = text.find(u"*/", static_cast<std::size_t>(i));
            const int end = close == std::u16string_view::npos ? n : static_cast<int>(close) + 2;
            mark(i, end - i, SourceElement::Comment);
            i = end;
            if (close != std::u16string_view::npos) inComment = false;
            continue;
        }
        const char16_t c = text[i];
        const char16_t next = i + 1 < n ? text[i + 1] : u'\0';
        if (c == u'/' && next == u'/') {
            mark(i, n - i, SourceElement::Comment);
            break;
        }
        if (c == u'/' && next == u'*') {
            inComment = true;
            mark(i, 2, SourceElement::Comment);
            i += 2;
            continue;
        }
        if (IsSpace(c)) {
            ++i;
            continue;
        }
        if (IsWordStart(c)) {
            int j = i;
            while (j < n && IsWordChar(text[j])) ++j;
            const std::u16string_view word = text.substr(static_cast<std::size_t>(i), static_cast<std::size_t>(j - i));
            const KeywordInfo* keyword = FindKeyword(word);
            SourceElement element = KeywordElement(word);
            const bool isType = keyword != nullptr && keyword->kind == KeywordClass::kType;
            if (element == SourceElement::PlainText) {
                int k = j;
                while (k < n && IsSpace(text[k])) ++k;
                if (afterType) {
                    element = SourceElement::Declaration;
                } else if (k < n && text[k] == u'(') {
                    element = SourceElement::FunctionCall;
                } else {
                    element = SourceElement::Identifier;
                }
            }
            afterType = isType;
            mark(i, j - i, element);
            i = j;
            continue;
        }
        afterType = false;
        if (IsDigit(c) || c == u'$') {
            const int length = NumberLength(text, i);
            if (length > 0) {
                mark(i, length, SourceElement::Number);
                i += length;
                continue;
            }
        }
        if (c == u'"') {
            const std::size_t close = text.find(u'"', static_cast<std::size_t>(i) + 1);
            if (close != std::u16string_view::npos && static_cast<int>(close) > i + 1) {
                mark(i, static_cast<int>(close) - i + 1, SourceElement::Strings);
                i = static_cast<int>(close) + 1;
                continue;
            }
        }
        if (c == u'\'' && i + 2 < n && text[i + 2] == u'\'') {
            mark(i, 3, SourceElement::Strings);
            i += 3;
            continue;
        }
        mark(i, 1, IsSymbol(c) ? SourceElement::Symbol : SourceElement::PlainText);
        ++i;
    }
    state = inComment ? LineState::kInComment : LineState::kNormal;
    return spans;
}

}  // namespace vorn
