#pragma once
// JVHLEditor1: the source editor. A plain-text editor with a silver right
// margin line, no gutter, and notifications for the caret position label:
// one before a key is handled, one after a mouse press has moved the caret.
#include <QPlainTextEdit>

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

signals:
    void KeyPressing();
    void MousePressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void ApplyTabStops();
    int PositionOf(int line, int column) const;
};

}  // namespace vorn
