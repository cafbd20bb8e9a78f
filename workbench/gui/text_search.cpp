#include "workbench/gui/text_search.h"

namespace vorn {

SearchResult Search(const QStringList& lines, const QString& text, int col, bool matchCase, int row) {
    SearchResult result;
    result.searched = matchCase ? text : text.toLower();
    if (result.searched.isEmpty()) return result;
    if (row < 0) row = 0;
    if (col < 0) col = 0;

    for (int i = row; i < lines.size(); ++i) {
        QString part = lines[i];
        const int skipped = (i == row) ? col : 0;
        if (skipped > 0) {
            // A caret past the end of its line leaves nothing to search there.
            if (skipped >= part.size()) continue;
            part = part.mid(skipped);
        }
        if (!matchCase) part = part.toLower();
        const qsizetype pos = part.indexOf(result.searched);
        if (pos >= 0) {
            result.found = true;
            result.line = i;
            result.column = static_cast<int>(pos) + skipped;
            return result;
        }
    }
    return result;
}

QString NotFoundMessage(const SearchResult& result) {
    return result.searched + QStringLiteral(" not found");
}

}  // namespace vorn
