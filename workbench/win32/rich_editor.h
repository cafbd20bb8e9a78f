#pragma once
// JVHLEditor1 on Windows: a RichEdit control holding the source, UTF-8
// lines on the outside and UTF-16 inside. It paints the shared highlight
// spans only on the lines that changed since the last look, so typing in a
// long file stays quick.
#include <windows.h>
#include <richedit.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "workbench/debug_panel.h"

namespace vorn::win32 {

// The editor's face: Courier New, or a monospace face the system has.
const wchar_t* EditorFace(HWND hwnd);

// Pixel height of the editor's font at 96 dots per inch.
inline constexpr int kEditorFontHeight = 13;

class RichEditor {
public:
    // Creates the control as a child of `parent` with the given id.
    RichEditor(HWND parent, int id, COLORREF background);
    ~RichEditor();
    RichEditor(const RichEditor&) = delete;
    RichEditor& operator=(const RichEditor&) = delete;

    HWND Handle() const { return hwnd_; }
    // The text drawn, and its columns measured, at the window's DPI.
    void SetDpi(int dpi);
    // Where the silver line after column 80 is drawn, in client pixels.
    int MarginX() const;

    std::vector<std::string> Lines() const;
    // Replaces the text; the change notification is not raised for it.
    void SetLines(const std::vector<std::string>& lines);

    // Caret line and column, counted from 0.
    int CaretLine() const;
    int CaretColumn() const;
    void SetCaret(int line, int column);
    void SelectFrom(int line, int column, int length);

    // After EN_CHANGE: true when the text really changed (not only its
    // colours); recolours the lines that did.
    bool TextChanged();
    // What the last change TextChanged saw did to the lines: [first, first + removed) became [first, first + added).
    struct LineChange {
        int first = 0, removed = 0, added = 0;
    };
    const LineChange& LastChange() const { return lastChange_; }

    // The gutter for the debugger's marks, left of the text, and what it shows.
    void SetMarks(const std::vector<SourceMark>& marks, bool gutter);
    const std::vector<SourceMark>& Marks() const { return marks_; }
    bool GutterShown() const;
    // Scrolls so that the line (from 0) shows, in the middle when it did not; the caret stays.
    void RevealLine(int line);
    bool LineShown(int line) const;
    // A click in the gutter beside a line (from 0).
    std::function<void(int)> gutterClicked;

    // Before the editor acts on a key; after it has moved the caret to a click.
    std::function<void()> keyPressing;
    std::function<void()> mousePressed;

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    std::wstring Text() const;
    std::vector<std::wstring> SplitText(const std::wstring& text) const;
    int LineStart(int line) const;
    // Where the line (from 0) begins on screen, in client pixels; none past the text's end.
    std::optional<int> LineTop(int line) const;
    std::wstring LineText(int line) const;
    void Recolour(const std::vector<std::wstring>& lines, std::size_t first, std::size_t last);
    void PaintMargin();
    void PaintGutter(HDC dc, const RECT& format);
    std::pair<int, int> ShownLines() const;
    void FrameStoppedLine(HDC dc, const RECT& format);
    void ApplyGutter();

    HWND hwnd_ = nullptr;
    WNDPROC baseProc_ = nullptr;
    COLORREF background_;
    int charWidth_ = 8;
    int lineHeight_ = 16;  // of the font, for the stopped line's frame on the last line
    void* document_ = nullptr;  // its ITextDocument, to keep colours out of Undo
    CHARFORMAT2W face_{};  // the editor's font
    PARAFORMAT2 tabs_{};   // its tab stops
    std::vector<std::wstring> shown_;  // the lines as last coloured
    std::vector<int> endState_;        // per line: the colouring state after it
    std::vector<SourceMark> marks_;
    LineChange lastChange_;
    bool gutter_ = false;
    int dpi_ = 96;
};

}  // namespace vorn::win32
