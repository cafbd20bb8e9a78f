#include "workbench/qt/source_editor.h"

#include <algorithm>

#include <QPainter>
#include <QTextBlock>

#include "workbench/qt/window_style.h"

namespace vorn {

SourceEditor::SourceEditor(QWidget* parent) : QPlainTextEdit(parent) {
    setFont(EditorFont());
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setFrameShape(QFrame::NoFrame);
    QPalette pal = palette();
    // Text on the window colour; the selection keeps the system's highlight colours.
    pal.setColor(QPalette::Base, WindowBackground());
    setPalette(pal);
    ApplyTabStops();
}

void SourceEditor::ApplyTabStops() {
    // Tab stops "3 5": columns 3 and 5, then on at the same distance of 2.
    const qreal column = QFontMetricsF(font()).horizontalAdvance(QLatin1Char(' '));
    setTabStopDistance(2 * column);
}

int SourceEditor::CaretLine() const { return textCursor().blockNumber(); }

int SourceEditor::CaretColumn() const { return textCursor().positionInBlock(); }

int SourceEditor::PositionOf(int line, int column) const {
    const int lastLine = document()->blockCount() - 1;
    if (line > lastLine) line = lastLine;
    if (line < 0) line = 0;
    const QTextBlock block = document()->findBlockByNumber(line);
    const int length = block.length() - 1;  // without the block separator
    if (column > length) column = length;
    if (column < 0) column = 0;
    return block.position() + column;
}

void SourceEditor::SetCaret(int line, int column) {
    QTextCursor cursor = textCursor();
    cursor.setPosition(PositionOf(line, column));
    setTextCursor(cursor);
}

void SourceEditor::SelectFrom(int line, int column, int length) {
    const int start = PositionOf(line, column);
    const QTextBlock block = document()->findBlock(start);
    const int end = std::min(start + std::max(length, 0), block.position() + block.length() - 1);
    QTextCursor cursor = textCursor();
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

void SourceEditor::keyPressEvent(QKeyEvent* event) {
    emit KeyPressing();  // the label shows where the caret was before the key
    QPlainTextEdit::keyPressEvent(event);
}

void SourceEditor::mousePressEvent(QMouseEvent* event) {
    QPlainTextEdit::mousePressEvent(event);
    emit MousePressed();  // the caret has moved to the click
}

void SourceEditor::paintEvent(QPaintEvent* event) {
    QPlainTextEdit::paintEvent(event);
    QPainter painter(viewport());
    const qreal column = QFontMetricsF(font()).horizontalAdvance(QLatin1Char(' '));
    const qreal x = contentOffset().x() + document()->documentMargin() + kRightMargin * column;
    painter.setPen(QColor(0xC0, 0xC0, 0xC0));  // silver
    painter.drawLine(QPointF(x, 0), QPointF(x, viewport()->height()));
}

}  // namespace vorn
