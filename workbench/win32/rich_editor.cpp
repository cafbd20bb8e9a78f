#include "workbench/win32/rich_editor.h"

#include <richedit.h>
#include <richole.h>
#include <windowsx.h>
#include <tom.h>

#include <algorithm>

#include "workbench/source_text.h"
#include "workbench/win32/dpi.h"
#include "workbench/win32/highlight_paint.h"
#include "workbench/win32/text.h"

namespace vorn::win32 {
namespace {

constexpr int kRightMarginColumn = 80;
constexpr COLORREF kSilver = RGB(0xC0, 0xC0, 0xC0);
constexpr int kTabColumns = 2;         // tab stops "3 5": every second column
constexpr int kUnknownState = -1;      // a line not coloured yet

const wchar_t* RichEditClass() {
    // RichEdit 4.1 where it exists, else 2.0/3.0; both talk the same messages.
    if (LoadLibraryA("msftedit.dll") != nullptr) return L"RICHEDIT50W";
    LoadLibraryA("riched20.dll");
    return L"RichEdit20W";
}

int CALLBACK FontFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

}  // namespace

// Courier New; where a system has none (Wine without Windows' fonts), a
// monospace face of its own, so columns stay aligned.
const wchar_t* EditorFace(HWND hwnd) {
    static const wchar_t* const kFaces[] = {L"Courier New", L"Liberation Mono", L"DejaVu Sans Mono", L"Courier"};
    HDC dc = GetDC(hwnd);
    const wchar_t* chosen = kFaces[0];
    for (const wchar_t* face : kFaces) {
        LOGFONTW lf{};
        lf.lfCharSet = DEFAULT_CHARSET;
        wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
        bool found = false;
        EnumFontFamiliesExW(dc, &lf, &FontFound, reinterpret_cast<LPARAM>(&found), 0);
        if (found) {
            chosen = face;
            break;
        }
    }
    ReleaseDC(hwnd, dc);
    return chosen;
}

namespace {

// The text object model's document, for keeping colour changes out of Undo.
ITextDocument* TextDocument(HWND richEdit) {
    // {8CC497C0-A1DF-11CE-8098-00AA0047BE5D}
    static const GUID kITextDocument = {0x8CC497C0, 0xA1DF, 0x11CE, {0x80, 0x98, 0x00, 0xAA, 0x00, 0x47, 0xBE, 0x5D}};
    IRichEditOle* ole = nullptr;
    if (!SendMessageW(richEdit, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(&ole)) || ole == nullptr)
        return nullptr;
    void* document = nullptr;
    ole->QueryInterface(kITextDocument, &document);
    ole->Release();
    return static_cast<ITextDocument*>(document);
}

}  // namespace

RichEditor::RichEditor(HWND parent, int id, COLORREF background) : background_(background) {
    // The scroll bars are always there (disabled while the text fits): a
    // file streamed in with redrawing off would otherwise show none until
    // the first scroll.
    hwnd_ = CreateWindowExW(0, RichEditClass(), L"",
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                                ES_AUTOHSCROLL | ES_NOHIDESEL | ES_WANTRETURN | ES_DISABLENOSCROLL,
                            0, 0, 100, 100, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    baseProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RichEditor::SubclassProc)));

    // Lines are paragraphs: no wrapping, so line numbers are the file's.
    SendMessageW(hwnd_, EM_SETTARGETDEVICE, 0, 1);
    SendMessageW(hwnd_, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(background_));
    SendMessageW(hwnd_, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    SendMessageW(hwnd_, EM_SETEVENTMASK, 0, ENM_CHANGE);

    CHARFORMAT2W& cf = face_;
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_BOLD | CFM_ITALIC | CFM_CHARSET;
    const wchar_t* face = EditorFace(hwnd_);
    wcsncpy(cf.szFaceName, face, LF_FACESIZE - 1);
    cf.yHeight = kEditorFontHeight * 15;  // twips at 96 DPI: 1440 per inch; SetDpi sizes it for the display
    cf.dwEffects = CFE_AUTOCOLOR;
    cf.bCharSet = DEFAULT_CHARSET;
    // The default format is what new text (a loaded file, typing) takes.
    SendMessageW(hwnd_, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
    SendMessageW(hwnd_, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));
    cf.dwMask = CFM_FACE | CFM_SIZE | CFM_CHARSET;  // what a loaded file's text is given

    tabs_.cbSize = sizeof tabs_;
    tabs_.dwMask = PFM_TABSTOPS;
    tabs_.cTabCount = MAX_TAB_STOPS;
    SetDpi(WindowDpi(parent));
    SendMessageW(hwnd_, EM_EMPTYUNDOBUFFER, 0, 0);
    document_ = TextDocument(hwnd_);
}

RichEditor::~RichEditor() {
    if (document_ != nullptr) static_cast<ITextDocument*>(document_)->Release();
}

void RichEditor::SetDpi(int dpi) {
    dpi_ = dpi;
    HDC dc = GetDC(hwnd_);
    // RichEdit turns twips into pixels at the display's DPI and rounds; a
    // size of whole pixels at the window's DPI leaves nothing to round, so
    // the column width measured here (the margin line, the tab stops) is
    // the one drawn.
    const int drawn = std::max(1, GetDeviceCaps(dc, LOGPIXELSY));
    const int pixels = Scaled(kEditorFontHeight, dpi);
    face_.yHeight = MulDiv(pixels, 1440, drawn);
    HFONT font = CreateFontW(-pixels, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, FIXED_PITCH | FF_MODERN,
                             face_.szFaceName);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    if (GetTextExtentPoint32W(dc, L"0", 1, &size) && size.cx > 0) charWidth_ = size.cx;
    TEXTMETRICW metrics{};
    if (GetTextMetricsW(dc, &metrics) && metrics.tmHeight > 0) lineHeight_ = metrics.tmHeight;
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(hwnd_, dc);

    for (int i = 0; i < MAX_TAB_STOPS; ++i) tabs_.rgxTabs[i] = MulDiv((i + 1) * kTabColumns * charWidth_, 1440, dpi);
    CHARRANGE selection{};
    SendMessageW(hwnd_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    auto* document = static_cast<ITextDocument*>(document_);
    if (document != nullptr) document->Undo(tomSuspend, nullptr);  // a new size is no edit
    CHARFORMAT2W sized{};
    sized.cbSize = sizeof sized;
    sized.dwMask = CFM_SIZE;
    sized.yHeight = face_.yHeight;
    SendMessageW(hwnd_, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&sized));
    SendMessageW(hwnd_, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&sized));
    SendMessageW(hwnd_, EM_SETSEL, 0, -1);
    SendMessageW(hwnd_, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&tabs_));
    SendMessageW(hwnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    if (document != nullptr) document->Undo(tomResume, nullptr);
    ApplyGutter();
    InvalidateRect(hwnd_, nullptr, TRUE);
}

bool RichEditor::GutterShown() const {
    // Shown when the text stands right of it, as the user sees it.
    RECT format{};
    SendMessageW(hwnd_, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    return gutter_ && format.left >= Scaled(kSourceGutterWidth, dpi_);
}

void RichEditor::ApplyGutter() {
    // The text's rectangle as RichEdit lays it out, then moved right of the
    // gutter. RichEdit lays it out again when resized, so this follows WM_SIZE.
    SendMessageW(hwnd_, EM_SETRECT, 0, 0);
    if (!gutter_) return;
    RECT format{};
    SendMessageW(hwnd_, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    format.left += Scaled(kSourceGutterWidth, dpi_);
    SendMessageW(hwnd_, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&format));
}

LRESULT CALLBACK RichEditor::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<RichEditor*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_KEYDOWN && self->keyPressing) self->keyPressing();
    if (msg == WM_LBUTTONDOWN && self->gutter_ && self->gutterClicked) {
        RECT format{};
        SendMessageW(hwnd, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
        if (GET_X_LPARAM(lp) < format.left) {
            POINTL at{format.left, GET_Y_LPARAM(lp)};
            const LRESULT ch = SendMessageW(hwnd, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&at));
            self->gutterClicked(static_cast<int>(SendMessageW(hwnd, EM_EXLINEFROMCHAR, 0, ch)));
            return 0;
        }
    }
    const LRESULT result = CallWindowProcW(self->baseProc_, hwnd, msg, wp, lp);
    if (msg == WM_SIZE && self->gutter_) self->ApplyGutter();
    if (msg == WM_PAINT) self->PaintMargin();
    if ((msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN) && self->mousePressed)
        self->mousePressed();
    return result;
}

int RichEditor::MarginX() const {
    RECT format{};
    SendMessageW(hwnd_, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    POINT scroll{};
    SendMessageW(hwnd_, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
    return format.left + kRightMarginColumn * charWidth_ - scroll.x;
}

void RichEditor::SetMarks(const std::vector<SourceMark>& marks, bool gutter) {
    marks_ = marks;
    if (gutter != gutter_) {
        gutter_ = gutter;
        ApplyGutter();
    }
    InvalidateRect(hwnd_, nullptr, TRUE);
}

std::optional<int> RichEditor::LineTop(int line) const {
    const int start = LineStart(line);
    if (start < 0) return std::nullopt;  // past the text's end after an edit
    POINTL at{};
    SendMessageW(hwnd_, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), start);
    return static_cast<int>(at.y);
}

// A yellow frame round the stopped line: drawn over what RichEdit painted,
// it leaves the text and its colours as they are.
void RichEditor::FrameStoppedLine(HDC dc, const RECT& format) {
    for (const SourceMark& m : marks_) {
        if (m.kind != SourceMark::Kind::kStopped) continue;
        const std::optional<int> top = LineTop(m.line);
        if (!top) continue;
        const std::optional<int> next = LineTop(m.line + 1);
        const int bottom = next && *next > *top ? *next : *top + lineHeight_;
        const RECT line{format.left, *top, format.right, bottom};
        if (line.bottom <= format.top || line.top >= format.bottom) continue;
        HRGN clip = CreateRectRgn(format.left, format.top, format.right, format.bottom);
        SelectClipRgn(dc, clip);
        HBRUSH yellow = CreateSolidBrush(RGB(0xFF, 0xD2, 0x00));
        const int thick = std::max(1, Scaled(2, dpi_));
        for (int i = 0; i < thick; ++i) {
            const RECT ring{line.left + i, line.top + i, line.right - i, line.bottom - i};
            FrameRect(dc, &ring, yellow);
        }
        DeleteObject(yellow);
        SelectClipRgn(dc, nullptr);
        DeleteObject(clip);
    }
}

// The first and the last line the editor shows.
std::pair<int, int> RichEditor::ShownLines() const {
    RECT format{};
    SendMessageW(hwnd_, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    const int first = static_cast<int>(SendMessageW(hwnd_, EM_GETFIRSTVISIBLELINE, 0, 0));
    POINTL bottom{format.left, format.bottom - 1};
    const LRESULT ch = SendMessageW(hwnd_, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&bottom));
    const int last = static_cast<int>(SendMessageW(hwnd_, EM_EXLINEFROMCHAR, 0, ch));
    return {first, std::max(first, last)};
}

bool RichEditor::LineShown(int line) const {
    const auto [first, last] = ShownLines();
    return line >= first && line <= last;
}

void RichEditor::RevealLine(int line) {
    const auto [first, last] = ShownLines();
    if (line >= first && line <= last) return;
    SendMessageW(hwnd_, EM_LINESCROLL, 0, line - first - (last - first) / 2);
}

void RichEditor::PaintGutter(HDC dc, const RECT& format) {
    const RECT strip{format.left - Scaled(kSourceGutterWidth, dpi_), format.top, format.left - 1, format.bottom};
    HBRUSH grey = CreateSolidBrush(RGB(0xE8, 0xE8, 0xE8));
    FillRect(dc, &strip, grey);
    DeleteObject(grey);
    // Scaled with the display, within its line.
    const int size = std::max(4, std::min(Scaled(kSourceMarkSize, dpi_), lineHeight_ - Scaled(2, dpi_)));
    for (const SourceMark& m : marks_) {
        const std::optional<int> top = LineTop(m.line);
        if (!top || *top < format.top || *top >= format.bottom) continue;
        const int x = strip.left + Scaled(3, dpi_), y = *top + std::max(0, (lineHeight_ - size) / 2);
        HPEN pen = CreatePen(PS_SOLID, 1, m.kind == SourceMark::Kind::kStopped ? RGB(0x80, 0x60, 0) : RGB(0xC0, 0, 0));
        HBRUSH fill = m.kind == SourceMark::Kind::kNoCode ? static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))
                      : CreateSolidBrush(m.kind == SourceMark::Kind::kStopped ? RGB(0xFF, 0xD2, 0) : RGB(0xDC, 0x14, 0x14));
        HGDIOBJ oldPen = SelectObject(dc, pen), oldBrush = SelectObject(dc, fill);
        if (m.kind == SourceMark::Kind::kStopped) {
            // A yellow arrow pointing at the line.
            const POINT arrow[] = {{x - 1, y}, {x + size + 1, y + size / 2}, {x - 1, y + size}};
            Polygon(dc, arrow, 3);
        } else {
            Ellipse(dc, x, y, x + size, y + size);
        }
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        DeleteObject(pen);
        if (m.kind != SourceMark::Kind::kNoCode) DeleteObject(fill);
    }
}

void RichEditor::PaintMargin() {
    RECT format{};
    SendMessageW(hwnd_, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    const int x = MarginX();
    HDC dc = GetDC(hwnd_);
    if (gutter_) PaintGutter(dc, format);
    FrameStoppedLine(dc, format);
    if (x < format.left || x >= format.right) {
        ReleaseDC(hwnd_, dc);
        return;
    }
    HPEN pen = CreatePen(PS_SOLID, 1, kSilver);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, x, format.top, nullptr);
    LineTo(dc, x, format.bottom);
    SelectObject(dc, old);
    DeleteObject(pen);
    ReleaseDC(hwnd_, dc);
}

std::wstring RichEditor::Text() const {
    GETTEXTLENGTHEX lengthEx{GTL_NUMCHARS | GTL_PRECISE, 1200};
    const LRESULT n = SendMessageW(hwnd_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthEx), 0);
    if (n <= 0) return {};
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    GETTEXTEX get{};
    get.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    get.flags = GT_DEFAULT;
    get.codepage = 1200;  // UTF-16
    const LRESULT got = SendMessageW(hwnd_, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                                     reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(std::max<LRESULT>(got, 0)));
    return text;
}

std::vector<std::wstring> RichEditor::SplitText(const std::wstring& text) const {
    // RichEdit ends paragraphs with CR (CR LF from older versions).
    std::vector<std::wstring> lines;
    if (text.empty()) return lines;
    std::wstring current;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'\r' || c == L'\n') {
            lines.push_back(current);
            current.clear();
            if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
        } else {
            current.push_back(c);
        }
    }
    lines.push_back(current);
    return lines;
}

std::vector<std::string> RichEditor::Lines() const { return SplitLines(Utf8(Text())); }

void RichEditor::SetLines(const std::vector<std::string>& lines) {
    // A last empty line needs a paragraph mark more to show, as the core says.
    std::vector<std::wstring> wide = SplitText(Wide(EditorText(lines, "\r")));
    // A whole file goes in coloured, as one RTF stream: painting it span by
    // span would take seconds for a few thousand lines.
    struct Feed {
        std::string rtf;
        std::size_t at = 0;
    } feed;
    feed.rtf = ColouredRtf(wide, endState_);
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&feed);
    stream.pfnCallback = [](DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) -> DWORD {
        auto* f = reinterpret_cast<Feed*>(cookie);
        const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(size), f->rtf.size() - f->at);
        std::copy_n(f->rtf.data() + f->at, n, buffer);
        f->at += n;
        *done = static_cast<LONG>(n);
        return 0;
    };
    const LRESULT mask = SendMessageW(hwnd_, EM_SETEVENTMASK, 0, 0);
    SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(hwnd_, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    // The stream's font and paragraphs give way to the editor's own.
    SendMessageW(hwnd_, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&face_));
    SendMessageW(hwnd_, EM_SETSEL, 0, -1);
    SendMessageW(hwnd_, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&tabs_));
    SendMessageW(hwnd_, EM_SETSEL, 0, 0);  // a new text is shown from its top
    SendMessageW(hwnd_, EM_EMPTYUNDOBUFFER, 0, 0);
    SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd_, nullptr, TRUE);
    SendMessageW(hwnd_, EM_SCROLLCARET, 0, 0);
    SendMessageW(hwnd_, EM_SETEVENTMASK, 0, mask);
    if (wide.empty()) wide.emplace_back();  // the control always has a line
    shown_ = std::move(wide);
    endState_.resize(shown_.size(), 0);
}

int RichEditor::LineStart(int line) const {
    return static_cast<int>(SendMessageW(hwnd_, EM_LINEINDEX, static_cast<WPARAM>(line), 0));
}

int RichEditor::CaretLine() const {
    CHARRANGE range{};
    SendMessageW(hwnd_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return static_cast<int>(SendMessageW(hwnd_, EM_EXLINEFROMCHAR, 0, range.cpMax));
}

int RichEditor::CaretColumn() const {
    CHARRANGE range{};
    SendMessageW(hwnd_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    const int line = static_cast<int>(SendMessageW(hwnd_, EM_EXLINEFROMCHAR, 0, range.cpMax));
    return range.cpMax - LineStart(line);
}

void RichEditor::SetCaret(int line, int column) { SelectFrom(line, column, 0); }

void RichEditor::SelectFrom(int line, int column, int length) {
    const int lines = static_cast<int>(SendMessageW(hwnd_, EM_GETLINECOUNT, 0, 0));
    line = std::clamp(line, 0, std::max(lines - 1, 0));
    const int start = LineStart(line);
    const int lineLength = static_cast<int>(SendMessageW(hwnd_, EM_LINELENGTH, static_cast<WPARAM>(start), 0));
    column = std::clamp(column, 0, lineLength);
    const int end = start + std::min(column + std::max(length, 0), lineLength);
    CHARRANGE range{start + column, end};  // the caret ends at cpMax
    SendMessageW(hwnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    SendMessageW(hwnd_, EM_SCROLLCARET, 0, 0);
}

std::wstring RichEditor::LineText(int line) const {
    const int start = LineStart(line);
    if (start < 0) return {};
    const int length = static_cast<int>(SendMessageW(hwnd_, EM_LINELENGTH, static_cast<WPARAM>(start), 0));
    std::wstring text(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
    TEXTRANGEW range{{start, start + length}, text.data()};
    const LRESULT got = SendMessageW(hwnd_, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    text.resize(static_cast<std::size_t>(std::clamp<LRESULT>(got, 0, length)));
    return text;
}

bool RichEditor::TextChanged() {
    // Lines may have moved under the stopped line's frame: draw it again where its line is.
    if (std::any_of(marks_.begin(), marks_.end(), [](const SourceMark& m) { return m.kind == SourceMark::Kind::kStopped; }))
        InvalidateRect(hwnd_, nullptr, FALSE);
    // An edit changes the lines around the caret: look there first, a line
    // at a time, so a keystroke in a long file costs a few messages, not a
    // copy of the whole text.
    const int n = std::max(1, static_cast<int>(SendMessageW(hwnd_, EM_GETLINECOUNT, 0, 0)));
    const int m = static_cast<int>(shown_.size());
    const int d = n - m;
    const int caret = std::clamp(CaretLine(), 0, n - 1);
    std::vector<std::wstring> fetched(static_cast<std::size_t>(n));
    std::vector<bool> have(static_cast<std::size_t>(n), false);
    auto line = [&](int i) -> const std::wstring& {
        if (!have[static_cast<std::size_t>(i)]) {
            fetched[static_cast<std::size_t>(i)] = LineText(i);
            have[static_cast<std::size_t>(i)] = true;
        }
        return fetched[static_cast<std::size_t>(i)];
    };
    int first = caret;
    while (first >= 0 && (first >= m || line(first) != shown_[static_cast<std::size_t>(first)])) --first;
    ++first;
    int last = std::max(caret, first);
    while (last < n && !(last - d >= first && last - d < m && line(last) == shown_[static_cast<std::size_t>(last - d)]))
        ++last;
    if (first >= last && d == 0) {
        // Nothing changed near the caret (an undo far away, say): compare it all.
        std::vector<std::wstring> all = SplitText(Text());
        if (all.empty()) all.emplace_back();
        if (all == shown_) return false;
        // The lines both ends keep tell where the change was.
        const std::size_t common = std::min(all.size(), shown_.size());
        std::size_t head = 0, tail = 0;
        while (head < common && all[head] == shown_[head]) ++head;
        while (tail < common - head && all[all.size() - 1 - tail] == shown_[shown_.size() - 1 - tail]) ++tail;
        lastChange_ = {static_cast<int>(head), static_cast<int>(shown_.size() - head - tail),
                       static_cast<int>(all.size() - head - tail)};
        shown_ = std::move(all);
        endState_.assign(shown_.size(), kUnknownState);
        Recolour(shown_, 0, shown_.size());
        return true;
    }
    // Lines [first, last) of the text took the place of [first, last - d).
    lastChange_ = {first, last - d - first, last - first};
    std::vector<std::wstring> region;
    for (int i = first; i < last; ++i) region.push_back(line(i));
    shown_.erase(shown_.begin() + first, shown_.begin() + (last - d));
    shown_.insert(shown_.begin() + first, std::make_move_iterator(region.begin()), std::make_move_iterator(region.end()));
    endState_.erase(endState_.begin() + first, endState_.begin() + (last - d));
    endState_.insert(endState_.begin() + first, static_cast<std::size_t>(last - first), kUnknownState);
    Recolour(shown_, static_cast<std::size_t>(first), static_cast<std::size_t>(last));
    return true;
}

void RichEditor::Recolour(const std::vector<std::wstring>& lines, std::size_t first, std::size_t last) {
    // Quiet while painting colours: no change notifications, no flicker, and
    // the user's selection comes back afterwards.
    const LRESULT mask = SendMessageW(hwnd_, EM_SETEVENTMASK, 0, 0);
    // Only the painted lines are drawn again (RichEdit does that itself);
    // switching redraw off and on would repaint the whole control.
    SendMessageW(hwnd_, EM_HIDESELECTION, TRUE, 0);
    CHARRANGE saved{};
    SendMessageW(hwnd_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&saved));
    POINT scroll{};
    SendMessageW(hwnd_, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
    // Colours are not edits: Ctrl+Z must undo the typing, not the painting.
    auto* document = static_cast<ITextDocument*>(document_);
    if (document != nullptr) document->Undo(tomSuspend, nullptr);

    int state = first == 0 ? 0 : endState_[first - 1];
    for (std::size_t i = first; i < lines.size(); ++i) {
        // Past the edited stretch, stop as soon as a line ends as it did before.
        const int before = endState_[i];
        const int start = LineStart(static_cast<int>(i));
        state = PaintLine(hwnd_, start, lines[i], state);
        endState_[i] = state;
        if (i + 1 >= last && state == before) break;
    }

    if (document != nullptr) document->Undo(tomResume, nullptr);
    SendMessageW(hwnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&saved));
    SendMessageW(hwnd_, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
    SendMessageW(hwnd_, EM_HIDESELECTION, FALSE, 0);
    SendMessageW(hwnd_, EM_SETEVENTMASK, 0, mask);
}

}  // namespace vorn::win32
