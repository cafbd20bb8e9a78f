#include "workbench/qt/source_editor.h"

#include <algorithm>

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>

#include "workbench/qt/window_style.h"

namespace vorn {

class SourceGutter : public QWidget {
public:
    explicit SourceGutter(SourceEditor& editor) : QWidget(&editor), editor_(editor) {
        setObjectName(QStringLiteral("Gutter"));
    }

protected:
    void paintEvent(QPaintEvent*) override { editor_.PaintGutter(*this); }
    void mousePressEvent(QMouseEvent* event) override {
        const QTextCursor at = editor_.cursorForPosition(QPoint(0, static_cast<int>(event->position().y())));
        emit editor_.GutterClicked(at.blockNumber());
    }

private:
    SourceEditor& editor_;
};

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

void SourceEditor::SetMarks(const std::vector<SourceMark>& marks, bool gutter) {
    if (gutter_ == nullptr) {
        gutter_ = new SourceGutter(*this);
        // Scrolling and typing repaint the text; the marks beside it follow.
        connect(this, &QPlainTextEdit::updateRequest, gutter_, [this] { gutter_->update(); });
    }
    marks_ = marks;
    setViewportMargins(gutter ? kSourceGutterWidth : 0, 0, 0, 0);
    gutter_->setVisible(gutter);
    QList<QTextEdit::ExtraSelection> lines;
    for (const SourceMark& m : marks_) {
        if (m.kind != SourceMark::Kind::kStopped) continue;
        QTextEdit::ExtraSelection line;
        line.format.setBackground(QColor(0xFF, 0xF0, 0x96));
        line.format.setProperty(QTextFormat::FullWidthSelection, true);
        line.cursor = QTextCursor(document()->findBlockByNumber(m.line));
        lines.append(line);
    }
    setExtraSelections(lines);
    const QRect area = contentsRect();
    gutter_->setGeometry(area.left(), area.top(), kSourceGutterWidth, area.height());
    gutter_->update();
}

int SourceEditor::VisibleLines() const {
    return std::max(1, viewport()->height() / std::max(1, fontMetrics().lineSpacing()));
}

bool SourceEditor::LineShown(int line) const {
    // Unwrapped, the editor scrolls by whole lines: the bar's value is the first line shown.
    const int first = verticalScrollBar()->value();
    return line >= first && line < first + VisibleLines();
}

void SourceEditor::RevealLine(int line) {
    if (LineShown(line)) return;
    verticalScrollBar()->setValue(std::max(0, line - VisibleLines() / 2));
}

void SourceEditor::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    if (gutter_ == nullptr) return;
    const QRect area = contentsRect();
    gutter_->setGeometry(area.left(), area.top(), kSourceGutterWidth, area.height());
}

void SourceEditor::PaintGutter(QWidget& gutter) {
    QPainter painter(&gutter);
    painter.fillRect(gutter.rect(), QColor(0xE8, 0xE8, 0xE8));
    painter.setRenderHint(QPainter::Antialiasing);
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF box = blockBoundingGeometry(block).translated(contentOffset());
        if (box.top() > gutter.height()) break;
        const qreal size = std::min<qreal>(kSourceMarkSize, box.height() - 2);
        const QRectF dot(3, box.top() + (box.height() - size) / 2, size, size);
        for (const SourceMark& m : marks_) {
            if (m.line != block.blockNumber()) continue;
            if (m.kind == SourceMark::Kind::kStopped) {
                // A yellow arrow pointing at the line.
                const QPointF arrow[] = {{2, dot.top()}, {dot.right() + 2, dot.center().y()}, {2, dot.bottom()}};
                painter.setPen(QColor(0x80, 0x60, 0x00));
                painter.setBrush(QColor(0xFF, 0xD2, 0x00));
                painter.drawPolygon(arrow, 3);
            } else {
                painter.setPen(QPen(QColor(0xC0, 0x00, 0x00), 1.5));
                painter.setBrush(m.kind == SourceMark::Kind::kBreakpoint ? QBrush(QColor(0xDC, 0x14, 0x14)) : QBrush());
                painter.drawEllipse(dot);
            }
        }
    }
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
