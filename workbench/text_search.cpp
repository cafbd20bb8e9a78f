#include "workbench/text_search.h"

#include "workbench/text_codec.h"

namespace vorn {
namespace {

// Case folding for the letters source files use: ASCII and Latin-1.
char16_t Lower(char16_t c) {
    if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 32);
    return c;
}

std::u16string Folded(std::u16string text) {
    for (char16_t& c : text) c = Lower(c);
    return text;
}

}  // namespace

SearchResult Search(const std::vector<std::string>& lines, const std::string& text, int col, bool matchCase,
                    int row) {
    SearchResult result;
    std::u16string wanted = Utf8ToUtf16(text);
    if (!matchCase) wanted = Folded(wanted);
    result.searched = Utf16ToUtf8(wanted);
    if (wanted.empty()) return result;
    if (row < 0) row = 0;
    if (col < 0) col = 0;

    for (std::size_t i = static_cast<std::size_t>(row); i < lines.size(); ++i) {
        std::u16string part = Utf8ToUtf16(lines[i]);
        const std::size_t skipped = i == static_cast<std::size_t>(row) ? static_cast<std::size_t>(col) : 0;
        // A caret past the end of its line leaves nothing to search there.
        if (skipped > 0 && skipped >= part.size()) continue;
        if (!matchCase) part = Folded(std::move(part));
        const std::size_t pos = part.find(wanted, skipped);
        if (pos != std::u16string::npos) {
            result.found = true;
            result.line = static_cast<int>(i);
            result.column = static_cast<int>(pos);
            result.length = static_cast<int>(wanted.size());
            return result;
        }
    }
    return result;
}

std::string NotFoundMessage(const SearchResult& result) { return result.searched + " not found"; }

}  // namespace vorn
