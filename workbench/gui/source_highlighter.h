#pragma once
// The editor's colouring. The words come from the lexer's keyword table, so
// the editor and the compiler never disagree on what a keyword is. Works on
// any QTextDocument, so the rules can be checked without a window.
#include <QHash>
#include <QString>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>

namespace vorn {

// The colour scheme's elements.
enum class SourceElement {
    Comment,
    Number,
    Strings,
    Symbol,
    Reserved,
    Identifier,
    Preproc,
    FunctionCall,
    Declaration,
    Statement,
    PlainText,
};

// Style and text colour of one element (the background is the editor's).
QTextCharFormat ElementFormat(SourceElement element);

// How the editor colours a keyword of the language; PlainText for other words.
SourceElement KeywordElement(const QString& word);

class SourceHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    explicit SourceHighlighter(QTextDocument* document);

protected:
    void highlightBlock(const QString& text) override;

private:
    enum BlockState { kNormal = 0, kInComment = 1 };
    void Mark(int start, int length, SourceElement element);
};

}  // namespace vorn
