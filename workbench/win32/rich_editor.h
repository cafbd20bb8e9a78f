#pragma once
// JVHLEditor1 on Windows: a RichEdit control holding the source, UTF-8
// lines on the outside and UTF-16 inside. It paints the shared highlight
// spans only on the lines that changed since the last look, so typing in a
// long file stays quick.
#include <windows.h>
#include <richedit.h>

#include <functional>
#include <string>
#include <vector>

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

    // Before the editor acts on a key; after it has moved the caret to a click.
    std::function<void()> keyPressing;
    std::function<void()> mousePressed;

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    std::wstring Text() const;
    std::vector<std::wstring> SplitText(const std::wstring& text) const;
    int LineStart(int line) const;
    std::wstring LineText(int line) const;
    void Recolour(const std::vector<std::wstring>& lines, std::size_t first, std::size_t last);
    void PaintMargin();

    HWND hwnd_ = nullptr;
    WNDPROC baseProc_ = nullptr;
    COLORREF background_;
    int charWidth_ = 8;
    void* document_ = nullptr;  // its ITextDocument, to keep colours out of Undo
    CHARFORMAT2W face_{};  // the editor's font
    PARAFORMAT2 tabs_{};   // its tab stops
    std::vector<std::wstring> shown_;  // the lines as last coloured
    std::vector<int> endState_;        // per line: the colouring state after it
};

}  // namespace vorn::win32
