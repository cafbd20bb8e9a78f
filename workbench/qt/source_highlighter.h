#pragma once
// The editor's colouring in Qt: paints the spans the window core computes
// for each line (workbench/highlight_spans.h). Works on any QTextDocument.
#include <QSyntaxHighlighter>
#include <QTextCharFormat>

#include "workbench/highlight_spans.h"

namespace vorn {

// Style and text colour of one element (the background is the editor's).
QTextCharFormat ElementFormat(SourceElement element);

class SourceHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    explicit SourceHighlighter(QTextDocument* document);

protected:
    void highlightBlock(const QString& text) override;
};

}  // namespace vorn
