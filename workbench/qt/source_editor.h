#pragma once
// JVHLEditor1: the source editor. A plain-text editor with a silver right
// margin line, and notifications for the caret position label: one before a
// key is handled, one after a mouse press has moved the caret. A narrow
// gutter for the debugger's marks shows only while the core asks for it.
#include <QPlainTextEdit>
#include <vector>

#include "workbench/debug_panel.h"

namespace vorn {

class SourceEditor : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int kRightMargin = 80;  // columns

    explicit SourceEditor(QWidget* parent = nullptr);

    // Caret line and column, counted from 0.
    int CaretLine() const;
    int CaretColumn() const;
    // Puts the caret at (line, column), clamped to the text.
    void SetCaret(int line, int column);
    // Selects `length` characters from (line, column); the caret ends after them.
    void SelectFrom(int line, int column, int length);
    // The gutter and its marks; the stopped line is highlighted across the text.
    void SetMarks(const std::vector<SourceMark>& marks, bool gutter);
    const std::vector<SourceMark>& Marks() const { return marks_; }
    // Shown when the text stands right of it, as the user sees it.
    bool GutterShown() const { return gutter_ != nullptr && !gutter_->isHidden() && viewportMargins().left() > 0; }
    // Scrolls so that the line (from 0) shows, in the middle when it did not; the caret stays.
    void RevealLine(int line);
    bool LineShown(int line) const;

signals:
    void KeyPressing();
    void MousePressed();
    // A click in the gutter beside a line (from 0).
    void GutterClicked(int line);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class SourceGutter;
    void PaintGutter(QWidget& gutter);
    int VisibleLines() const;
    void ApplyTabStops();
    int PositionOf(int line, int column) const;

    QWidget* gutter_ = nullptr;
    std::vector<SourceMark> marks_;
};

}  // namespace vorn
