#pragma once
// The editor's search: forward from a start position, line by line, never
// wrapping to the top. Lines are UTF-8; lines and columns count from 0,
// columns in UTF-16 units as both editors count them.
#include <string>
#include <vector>

namespace vorn {

struct SearchResult {
    bool found = false;
    int line = 0;
    int column = 0;  // of the match's first character
    int length = 0;  // of the match, in UTF-16 units
    // The text as searched: lower-cased when match case is off. The not-found
    // message shows it.
    std::string searched;
};

// Looks for `text` from column `col` of line `row` onward. An empty search
// text never matches; a start beyond the text finds nothing.
SearchResult Search(const std::vector<std::string>& lines, const std::string& text, int col, bool matchCase,
                    int row);

// "<text> not found".
std::string NotFoundMessage(const SearchResult& result);

}  // namespace vorn
