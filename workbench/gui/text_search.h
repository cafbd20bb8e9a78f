#pragma once
// The editor's search: forward from a start position, line by line, never
// wrapping to the top. Kept free of widgets so the column rules can be tested
// on plain lines.
#include <QString>
#include <QStringList>

namespace vorn {

struct SearchResult {
    bool found = false;
    int line = 0;    // counted from 0
    int column = 0;  // of the match's first character, counted from 0
    // The text as searched: lower-cased when match case is off. The not-found
    // message shows it.
    QString searched;
};

// Looks for `text` from column `col` of line `row` onward. An empty search
// text never matches; a start beyond the text finds nothing.
SearchResult Search(const QStringList& lines, const QString& text, int col, bool matchCase, int row);

// "<text> not found".
QString NotFoundMessage(const SearchResult& result);

}  // namespace vorn
