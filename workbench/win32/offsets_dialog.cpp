#include "workbench/win32/offsets_dialog.h"

#include <commctrl.h>

#include <utility>
#include <vector>

#include "workbench/win32/dpi.h"
#include "workbench/win32/text.h"
#include "workbench/win32/window_class.h"

namespace vorn::win32 {

namespace {

// At 96 DPI, scaled with the monitor's.
constexpr int kWidth = 900;
constexpr int kHeight = 480;
constexpr int kMargin = 8;
constexpr int kLabelWidth = 40;
constexpr int kRowHeight = 22;

HMENU ChildId(int id) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)); }

}  // namespace

OffsetsDialog::OffsetsDialog(HWND owner, std::function<void(const std::string&)> chosen)
    : chosen_(std::move(chosen)) {
    RegisterToolWindowClass(kOffsetsClass, &OffsetsDialog::WindowProc);
    HINSTANCE instance = GetModuleHandleW(nullptr);

    const DWORD style = WS_OVERLAPPEDWINDOW;
    dpi_ = WindowDpi(owner);
    RECT frame{0, 0, Scaled(kWidth, dpi_), Scaled(kHeight, dpi_)};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    window_ = CreateWindowExW(0, kOffsetsClass, L"FSUIPC Offsets", style, CW_USEDEFAULT, CW_USEDEFAULT,
                              frame.right - frame.left, frame.bottom - frame.top, owner, nullptr, instance,
                              nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

    label_ = CreateWindowExW(0, L"STATIC", L"&Filter:", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window_, nullptr,
                             instance, nullptr);
    filter_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                              0, 0, 0, 0, window_, ChildId(kIdOffsetFilter), instance, nullptr);
    SendMessageW(filter_, EM_SETCUEBANNER, TRUE,
                 reinterpret_cast<LPARAM>(L"a word of the name, the description or the offset"));
    list_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 0,
                            0, 0, 0, window_, ChildId(kIdOffsetList), instance, nullptr);
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP,
                 LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    SetFont();

    int column = 0;
    for (std::string_view heading : OffsetsBrowser::Headings()) {
        std::wstring text = Wide(heading);
        LVCOLUMNW c{};
        c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        c.pszText = text.data();
        c.cx = 80;
        c.iSubItem = column;
        SendMessageW(list_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column++), reinterpret_cast<LPARAM>(&c));
    }
    Layout();
    Fill();
}

// The dialog font at the window's DPI (the stock one is at the system's).
void OffsetsDialog::SetFont() {
    LOGFONTW face{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof face, &face);
    face.lfHeight = MulDiv(face.lfHeight, dpi_, SystemDpi());
    HFONT old = font_;
    font_ = CreateFontIndirectW(&face);
    for (HWND child : {label_, filter_, list_}) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    if (old != nullptr) DeleteObject(old);
}

OffsetsDialog::~OffsetsDialog() {
    // The owner's end takes this window with it; otherwise it goes here.
    if (window_ != nullptr && IsWindow(window_)) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    if (font_ != nullptr) DeleteObject(font_);
}

void OffsetsDialog::Show() {
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    SetFocus(filter_);
}

bool OffsetsDialog::PreTranslate(MSG& msg) {
    return window_ != nullptr && IsWindow(window_) && IsDialogMessageW(window_, &msg);
}

LRESULT CALLBACK OffsetsDialog::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<OffsetsDialog*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
    return self->Dispatch(msg, wp, lp);
}

LRESULT OffsetsDialog::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_SIZE:
            Layout();
            return 0;
        case 0x02E0: {  // WM_DPICHANGED: on a monitor of another DPI, at the place Windows suggests
            dpi_ = HIWORD(wp);
            SetFont();
            const RECT* r = reinterpret_cast<const RECT*>(lp);
            SetWindowPos(window_, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_COMMAND:
            if (LOWORD(wp) == kIdOffsetFilter && HIWORD(wp) == EN_CHANGE) {
                browser_.SetFilter(WindowText(filter_));
                Fill();
            } else if (LOWORD(wp) == IDCANCEL) {
                ShowWindow(window_, SW_HIDE);  // Escape
            }
            return 0;
        case WM_NOTIFY: {
            const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
            if (hdr->hwndFrom == list_ && hdr->code == NM_DBLCLK) {
                const int row = reinterpret_cast<const NMITEMACTIVATE*>(lp)->iItem;
                if (row < 0) return 0;  // below the last row
                const std::string text = browser_.Declaration(static_cast<std::size_t>(row));
                if (!text.empty() && chosen_) chosen_(text);
            }
            return 0;
        }
        case WM_CLOSE:
            // Kept for the next time, with its filter and place.
            ShowWindow(window_, SW_HIDE);
            return 0;
        default:
            return DefWindowProcW(window_, msg, wp, lp);
    }
}

void OffsetsDialog::Layout() {
    RECT client{};
    GetClientRect(window_, &client);
    const int w = client.right, h = client.bottom;
    const int margin = Scaled(kMargin, dpi_), labelWidth = Scaled(kLabelWidth, dpi_);
    const int rowHeight = Scaled(kRowHeight, dpi_), four = Scaled(4, dpi_);
    MoveWindow(label_, margin, margin + four, labelWidth, rowHeight - four, TRUE);
    MoveWindow(filter_, margin + labelWidth, margin, w - 2 * margin - labelWidth, rowHeight, TRUE);
    const int top = 2 * margin + rowHeight;
    MoveWindow(list_, margin, top, w - 2 * margin, h > top + margin ? h - top - margin : 0, TRUE);
}

void OffsetsDialog::Fill() {
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
    for (std::size_t r = 0; r < browser_.RowCount(); ++r) {
        const std::vector<std::string> cells = browser_.Cells(r);
        for (std::size_t c = 0; c < cells.size(); ++c) {
            std::wstring text = Wide(cells[c]);
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(r);
            item.iSubItem = static_cast<int>(c);
            item.pszText = text.data();
            SendMessageW(list_, c == 0 ? LVM_INSERTITEMW : LVM_SETITEMTEXTW, c == 0 ? 0 : r,
                         reinterpret_cast<LPARAM>(&item));
        }
    }
    const int columns = static_cast<int>(OffsetsBrowser::Headings().size());
    for (int c = 0; c < columns; ++c)
        SendMessageW(list_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(c), LVSCW_AUTOSIZE_USEHEADER);
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
}

}  // namespace vorn::win32
