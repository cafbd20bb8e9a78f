#include "workbench/win32/form_main.h"

#include <richedit.h>

#include <algorithm>

#include "machine/debug_mode.h"
#include "workbench/component_table.h"
#include "workbench/controller.h"
#include "workbench/window_core.h"
#include "workbench/text_codec.h"
#include "workbench/toolbar_pictures.h"
#include "workbench/win32/dpi.h"
#include "workbench/win32/ask_text.h"
#include "workbench/win32/offsets_dialog.h"
#include "workbench/win32/rich_editor.h"
#include "workbench/win32/text.h"
#include "workbench/win32/toolbar_images.h"

namespace vorn::win32 {
namespace {

// Layout at 96 dots per inch.
constexpr int kLeft = 184, kTop = 192, kWidth = 756, kHeight = 577;
constexpr int kToolBarHeight = 29;
constexpr int kButtonWidth = 23, kButtonHeight = 22;
constexpr int kPanelHeight = 25;
constexpr int kLabelLeft = 56, kLabelTop = 8;
constexpr COLORREF kWindowColour = 0xBD816B;  // red 107, green 129, blue 189
constexpr UINT_PTR kTimerId = 1;
constexpr UINT kWmDpiChanged = 0x02E0;  // WM_DPICHANGED, Windows 8.1 on

// Menu items and toolbar buttons carry the component's row as command id.
constexpr int kFirstCommandId = 100;

std::span<const Component> Table() { return Components(); }

int CommandIdOf(const Component& c) { return kFirstCommandId + static_cast<int>(&c - Table().data()); }

const Component* ComponentOfId(int id) {
    const int row = id - kFirstCommandId;
    if (row < 0 || row >= static_cast<int>(Table().size())) return nullptr;
    return &Table()[static_cast<std::size_t>(row)];
}


// "Ctrl+N" as the menu shows it after a tab.
std::string MenuText(const Component& c) {
    std::string text = c.caption;
    if (c.shortcut[0] != '\0') text += std::string("\t") + c.shortcut;
    return text;
}

}  // namespace

int CommandId(const char* componentName) {
    const Component* c = FindComponent(componentName);
    return c != nullptr ? CommandIdOf(*c) : 0;
}

int CommandId(Command command, ComponentKind kind) {
    const Component* c = FindCommand(command, kind);
    return c != nullptr ? CommandIdOf(*c) : 0;
}

TForm1::TForm1(IpcLink& link, Machine& machine) : link_(link), machine_(machine) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);

    background_ = CreateSolidBrush(kWindowColour);
    dpi_ = SystemDpi();  // until the window is on a monitor

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &TForm1::WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    // vorn.exe's own icon; a program without it (the window tests) shows Windows' default.
    wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));
    if (wc.hIcon == nullptr) wc.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    wc.hbrBackground = background_;
    wc.lpszClassName = L"TForm1";
    RegisterClassExW(&wc);  // a second window of the class finds it registered

    findMessage_ = RegisterWindowMessageW(FINDMSGSTRINGW);
    hwnd_ = CreateWindowExW(0, L"TForm1", L"Vorn", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, Px(kLeft), Px(kTop),
                            Px(kWidth), Px(kHeight), nullptr, nullptr, wc.hInstance, this);
    BuildMenus();
    BuildToolBar();
    statusLine_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd_,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdStatusLine)),
                                  GetModuleHandleW(nullptr), nullptr);
    BuildPages();
    ApplyDpi(WindowDpi(hwnd_));

    // FormCreate: the window's colours are set above; then the core's and the controller's share.
    core_ = std::make_unique<WindowCore>(*this, files_, link_, machine_, DebugMode);
    core_->Start(WindowText(hwnd_));
    const Settings& s = core_->UserSettings();
    // The place is kept at 96 DPI, as Qt keeps it in its device-independent pixels.
    auto stored = [&](SettingId id) { return LONG(Px(int(s.Number(id)))); };
    RECT wanted{stored(SettingId::kWindowLeft), stored(SettingId::kWindowTop), 0, 0};
    wanted.right = wanted.left + stored(SettingId::kWindowWidth);
    wanted.bottom = wanted.top + stored(SettingId::kWindowHeight);
    // A place on a monitor that is no longer there falls back to the first start's.
    if (MonitorFromRect(&wanted, MONITOR_DEFAULTTONULL) == nullptr)
        wanted = {Px(kLeft), Px(kTop), Px(kLeft) + Px(kWidth), Px(kTop) + Px(kHeight)};
    wanted = FitOnMonitor(wanted);
    MoveWindow(hwnd_, wanted.left, wanted.top, wanted.right - wanted.left, wanted.bottom - wanted.top, FALSE);
    // Runs from start to end; ticks do nothing while disconnected.
    SetTimer(hwnd_, kTimerId, kTickMilliseconds, nullptr);
}

TForm1::~TForm1() {
    if (hwnd_ != nullptr) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
    if (accelerators_ != nullptr) DestroyAcceleratorTable(accelerators_);
    if (images_ != nullptr) ImageList_Destroy(images_);
    DeleteObject(windowFont_);
    if (watchFont_ != nullptr) DeleteObject(watchFont_);
    DeleteObject(background_);
}

HWND TForm1::Editor() const { return editor_->Handle(); }
int TForm1::EditorMarginX() const { return editor_->MarginX(); }

HWND TForm1::PageControlOf(int page) const {
    if (page == kPageSource) return editor_->Handle();
    if (page < 0 || page >= static_cast<int>(memos_.size())) return nullptr;
    return memos_[static_cast<std::size_t>(page)];
}

void TForm1::Show(int showCommand) {
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
    SetFocus(editor_->Handle());
}

void TForm1::BuildMenus() {
    menu_ = CreateMenu();
    std::vector<std::pair<std::string, HMENU>> menus;
    std::vector<ACCEL> keys;
    for (const Component& c : Table()) {
        if (c.kind == ComponentKind::kMenu) {
            HMENU popup = CreatePopupMenu();
            AppendMenuW(menu_, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup), Wide(c.caption).c_str());
            menus.emplace_back(c.name, popup);
        } else if (c.kind == ComponentKind::kMenuItem) {
            const auto owner = std::find_if(menus.begin(), menus.end(),
                                            [&](const auto& m) { return m.first == c.owner; });
            if (owner == menus.end()) continue;
            // Items not shown at start (the recent files) stay grey until they have something to open.
            AppendMenuW(owner->second, MF_STRING | (c.visible ? 0 : MF_GRAYED), static_cast<UINT_PTR>(CommandIdOf(c)),
                        Wide(MenuText(c)).c_str());
            const Shortcut s = ParseShortcut(c.shortcut);
            if (s.letter != 0 || s.function != 0) {
                ACCEL a{};
                a.fVirt = static_cast<BYTE>(FVIRTKEY | (s.ctrl ? FCONTROL : 0) | (s.shift ? FSHIFT : 0));
                a.key = static_cast<WORD>(s.letter != 0 ? s.letter : VK_F1 + s.function - 1);
                a.cmd = static_cast<WORD>(CommandIdOf(c));
                keys.push_back(a);
            }
        }
    }
    SetMenu(hwnd_, menu_);
    accelerators_ = CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size()));
}

void TForm1::BuildToolBar() {
    toolBar_ = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                               WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_TOP,
                               0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdToolBar)),
                               GetModuleHandleW(nullptr), nullptr);
    SendMessageW(toolBar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    std::vector<TBBUTTON> buttons;
    for (const Component& c : Table()) {
        if (c.kind != ComponentKind::kToolButton) continue;
        TBBUTTON b{};
        b.iBitmap = c.picture;
        b.idCommand = CommandIdOf(c);
        b.fsState = TBSTATE_ENABLED;
        b.fsStyle = BTNS_BUTTON;
        buttons.push_back(b);
    }
    SendMessageW(toolBar_, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
}

void TForm1::BuildPages() {
    tabs_ = CreateWindowExW(0, WC_TABCONTROLW, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                            hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdPageControl)),
                            GetModuleHandleW(nullptr), nullptr);
    editor_ = std::make_unique<RichEditor>(hwnd_, kIdEditor, kWindowColour);
    // The label shows where the caret was before a key, and where a click put it.
    editor_->keyPressing = [this] { core_->CaretMoved(); };
    editor_->mousePressed = [this] { core_->CaretMoved(); };
    editor_->gutterClicked = [this](int line) { core_->GutterClicked(line); };
    panel_ = CreateWindowExW(WS_EX_STATICEDGE, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 0, 0, 0, hwnd_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdPanel)), GetModuleHandleW(nullptr),
                             nullptr);
    caretLabel_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 0, 0, 0, hwnd_,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdCaretLabel)),
                                  GetModuleHandleW(nullptr), nullptr);

    int page = 0;
    for (const Component& c : Table()) {
        if (c.kind != ComponentKind::kPage) continue;
        pages_.push_back(&c);
        pageVisible_.push_back(c.visible);
        HWND memo = nullptr;
        if (c.page != PageKind::kEditor) {
            // A memo with a vertical scroll bar, since without ES_AUTOVSCROLL
            // the control refuses lines below its last row. A page that does
            // not wrap scrolls sideways instead.
            const PageRules rules = PageRulesOf(c.page);
            const DWORD sideways = rules.wrap ? 0 : WS_HSCROLL | ES_AUTOHSCROLL;
            const DWORD readOnly = rules.readOnly ? ES_READONLY : 0;
            memo = CreateWindowExW(0, L"EDIT", L"",
                                   WS_CHILD | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN |
                                       ES_NOHIDESEL | sideways | readOnly,
                                   0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdFirstMemo + page)),
                                   GetModuleHandleW(nullptr), nullptr);
            SendMessageW(memo, EM_SETLIMITTEXT, 0, 0);  // no 32 KB cap
            SetWindowLongPtrW(memo, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        }
        memos_.push_back(memo);
        memoProcs_.push_back(memo != nullptr ? reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
                                                   memo, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TForm1::MemoProc)))
                                             : nullptr);
        ++page;
    }
    // The pages lie on top of the page control.
    SetWindowPos(tabs_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RebuildTabs();
}

void TForm1::Layout() {
    RECT client{};
    GetClientRect(hwnd_, &client);
    const int toolBarHeight = Px(kToolBarHeight), panelHeight = Px(kPanelHeight);
    const int labelLeft = Px(kLabelLeft), labelTop = Px(kLabelTop);
    SendMessageW(toolBar_, TB_AUTOSIZE, 0, 0);
    MoveWindow(toolBar_, 0, 0, client.right, toolBarHeight, TRUE);
    SendMessageW(statusLine_, WM_SIZE, 0, 0);  // the status bar places itself along the bottom
    RECT status{};
    GetWindowRect(statusLine_, &status);
    const LONG bottom = std::max<LONG>(toolBarHeight, client.bottom - (status.bottom - status.top));
    RECT area{0, toolBarHeight, client.right, bottom};
    MoveWindow(tabs_, area.left, area.top, area.right - area.left, std::max(0L, area.bottom - area.top), TRUE);
    RECT inner = area;
    SendMessageW(tabs_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&inner));
    const int w = std::max(0L, inner.right - inner.left);
    const int h = std::max(0L, inner.bottom - inner.top);
    MoveWindow(editor_->Handle(), inner.left, inner.top, w, std::max(0, h - panelHeight), TRUE);
    MoveWindow(panel_, inner.left, inner.top + std::max(0, h - panelHeight), w, panelHeight, TRUE);
    MoveWindow(caretLabel_, inner.left + labelLeft, inner.top + std::max(0, h - panelHeight) + labelTop,
               std::max(0, w - labelLeft - Px(4)), panelHeight - labelTop - Px(2), TRUE);
    for (HWND memo : memos_)
        if (memo != nullptr) MoveWindow(memo, inner.left, inner.top, w, h, TRUE);
}

int TForm1::Px(int pixelsAt96) const { return Scaled(pixelsAt96, dpi_); }

void TForm1::ApplyDpi(int dpi) {
    dpi_ = dpi;
    HFONT oldWindowFont = windowFont_, oldWatchFont = watchFont_;
    windowFont_ = CreateFontW(-Px(11), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, DEFAULT_PITCH | FF_SWISS,
                              L"MS Sans Serif");
    // The Watch page is a table in columns of spaces.
    watchFont_ = CreateFontW(-Px(kEditorFontHeight), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0,
                             FIXED_PITCH | FF_MODERN, EditorFace(hwnd_));
    auto setFont = [](HWND control, HFONT font) {
        if (control != nullptr) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    };
    setFont(statusLine_, windowFont_);
    setFont(tabs_, windowFont_);
    setFont(caretLabel_, windowFont_);
    for (std::size_t page = 0; page < memos_.size(); ++page)
        setFont(memos_[page], PageRulesOf(static_cast<int>(page)).fixedPitch ? watchFont_ : windowFont_);
    if (oldWindowFont != nullptr) DeleteObject(oldWindowFont);
    if (oldWatchFont != nullptr) DeleteObject(oldWatchFont);

    // The pictures drawn again at the new size, not stretched.
    HIMAGELIST oldImages = images_;
    images_ = ToolbarImageList(Px(16));
    SendMessageW(toolBar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_));
    SendMessageW(toolBar_, TB_SETBUTTONSIZE, 0, MAKELPARAM(Px(kButtonWidth), Px(kButtonHeight)));
    SendMessageW(toolBar_, TB_AUTOSIZE, 0, 0);
    if (oldImages != nullptr) ImageList_Destroy(oldImages);
    editor_->SetDpi(dpi);
    Layout();
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void TForm1::RebuildTabs() {
    // A tab control cannot hide a tab: the visible ones are put in again.
    SendMessageW(tabs_, TCM_DELETEALLITEMS, 0, 0);
    int position = 0;
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        if (!pageVisible_[i]) continue;
        std::wstring caption = Wide(pages_[i]->caption);
        TCITEMW item{};
        item.mask = TCIF_TEXT | TCIF_PARAM;
        item.pszText = caption.data();
        item.lParam = static_cast<LPARAM>(i);
        SendMessageW(tabs_, TCM_INSERTITEMW, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&item));
        if (static_cast<int>(i) == selectedPage_)
            SendMessageW(tabs_, TCM_SETCURSEL, static_cast<WPARAM>(position), 0);
        ++position;
    }
    if (!pageVisible_[static_cast<std::size_t>(selectedPage_)]) {
        // The shown page went away: the first tab takes over.
        SendMessageW(tabs_, TCM_SETCURSEL, 0, 0);
        selectedPage_ = TabPage(0);
    }
    ShowSelectedPage();
}

int TForm1::TabPage(int position) const {
    TCITEMW item{};
    item.mask = TCIF_PARAM;
    if (!SendMessageW(tabs_, TCM_GETITEMW, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&item))) return 0;
    return static_cast<int>(item.lParam);
}

void TForm1::ShowSelectedPage() {
    const bool source = selectedPage_ == kPageSource;
    ShowWindow(editor_->Handle(), source ? SW_SHOW : SW_HIDE);
    ShowWindow(panel_, source ? SW_SHOW : SW_HIDE);
    ShowWindow(caretLabel_, source ? SW_SHOW : SW_HIDE);
    for (std::size_t i = 0; i < memos_.size(); ++i)
        if (memos_[i] != nullptr) ShowWindow(memos_[i], static_cast<int>(i) == selectedPage_ ? SW_SHOW : SW_HIDE);
}

// --- The pages -------------------------------------------------------------

void TForm1::SetPageText(PageIndex page, const std::string& text) {
    HWND memo = Memo(page);
    if (memo == nullptr) return;
    const bool keep = PageRulesOf(page).keepScroll;
    const LRESULT firstRow = SendMessageW(memo, EM_GETFIRSTVISIBLELINE, 0, 0);
    const int column = GetScrollPos(memo, SB_HORZ);
    // The buffers hold CR LF lines already, as an edit control wants them.
    SetWindowTextW(memo, Wide(text).c_str());
    if (!keep) return;
    SendMessageW(memo, EM_LINESCROLL, 0, firstRow);
    SendMessageW(memo, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, column), 0);
}

namespace {

// The memo shows its last row (or has nothing to scroll).
bool ScrolledToEnd(HWND memo) {
    SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
    if (!GetScrollInfo(memo, SB_VERT, &info) || info.nPage == 0) return true;
    return info.nPos + static_cast<int>(info.nPage) > info.nMax;
}

// Replaces the characters [from, to) of a growing page. As a terminal does,
// the newest line stays in view, unless the user has scrolled up to read:
// then the view and the selection stay where they were.
void ReplaceKeepingView(HWND memo, int from, int to, const std::wstring& text) {
    const bool follow = ScrolledToEnd(memo);
    DWORD selStart = 0, selEnd = 0;
    SendMessageW(memo, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart), reinterpret_cast<LPARAM>(&selEnd));
    const LRESULT firstRow = SendMessageW(memo, EM_GETFIRSTVISIBLELINE, 0, 0);
    SendMessageW(memo, EM_SETSEL, static_cast<WPARAM>(from), static_cast<LPARAM>(to));
    SendMessageW(memo, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    if (follow) {
        const int length = GetWindowTextLengthW(memo);
        SendMessageW(memo, EM_SETSEL, static_cast<WPARAM>(length), static_cast<LPARAM>(length));
        SendMessageW(memo, EM_SCROLLCARET, 0, 0);
        return;
    }
    const long shift = static_cast<long>(text.size()) - (to - from);
    auto moved = [&](DWORD at) {
        if (static_cast<int>(at) >= to) return static_cast<long>(at) + shift;
        return std::min<long>(static_cast<long>(at), from);
    };
    SendMessageW(memo, EM_SETSEL, static_cast<WPARAM>(moved(selStart)), static_cast<LPARAM>(moved(selEnd)));
    const LRESULT nowFirst = SendMessageW(memo, EM_GETFIRSTVISIBLELINE, 0, 0);
    SendMessageW(memo, EM_LINESCROLL, 0, firstRow - nowFirst);
}

}  // namespace

void TForm1::FocusEditor() { SetFocus(editor_->Handle()); }

const RichEditor& TForm1::EditorControl() const { return *editor_; }

void TForm1::SetSourceMarks(const std::vector<SourceMark>& marks, bool gutter) { editor_->SetMarks(marks, gutter); }

void TForm1::RevealLine(int line) { editor_->RevealLine(line); }

bool TForm1::AskText(const std::string& title, const std::string& prompt, std::string& value) {
    return AskTextBox(hwnd_, title, prompt, value);
}

void TForm1::EditPage(PageIndex page, Command command) {
    HWND text = page == kPageSource ? editor_->Handle() : Memo(page);
    if (text == nullptr) return;
    switch (command) {
        case Command::kUndo: SendMessageW(text, EM_UNDO, 0, 0); break;
        case Command::kRedo: SendMessageW(text, EM_REDO, 0, 0); break;
        case Command::kCut: SendMessageW(text, WM_CUT, 0, 0); break;
        case Command::kCopy: SendMessageW(text, WM_COPY, 0, 0); break;
        case Command::kPaste:
            // Plain text only: the editor's colours are the highlighter's, not the clipboard's.
            if (page == kPageSource) {
                SendMessageW(text, EM_PASTESPECIAL, CF_UNICODETEXT, 0);
            } else {
                SendMessageW(text, WM_PASTE, 0, 0);
            }
            break;
        case Command::kSelectAll: SendMessageW(text, EM_SETSEL, 0, -1); break;
        default: break;
    }
}

void TForm1::AppendPageLine(PageIndex page, const std::string& line) {
    HWND memo = Memo(page);
    const int length = GetWindowTextLengthW(memo);
    std::wstring text = Wide(line);
    if (length > 0) text.insert(0, L"\r\n");
    ReplaceKeepingView(memo, length, length, text);
}

void TForm1::DropOldestPageLine(PageIndex page, const std::string& note, bool noteIsNew) {
    HWND memo = Memo(page);
    // The memo's own buffer: only the first lines are looked at, so this
    // costs the same however long the page is.
    const auto handle = reinterpret_cast<HLOCAL>(SendMessageW(memo, EM_GETHANDLE, 0, 0));
    const auto* text = static_cast<const wchar_t*>(LocalLock(handle));
    if (text == nullptr) return;
    const int length = GetWindowTextLengthW(memo);
    auto lineEnd = [&](int from) {
        for (int i = from; i + 1 < length; ++i) {
            if (text[i] == L'\r' && text[i + 1] == L'\n') return i;
        }
        return length;
    };
    // The oldest line, or the old note and the oldest line below it, give way to the note.
    int end = lineEnd(0);
    if (!noteIsNew && end < length) end = lineEnd(end + 2);
    LocalUnlock(handle);
    ReplaceKeepingView(memo, 0, end, Wide(note));
}

void TForm1::ClearPage(PageIndex page) { SetWindowTextW(Memo(page), L""); }

// As Qt's status bar shows a message over its label: the wait's text while
// there is one, the link's state otherwise.
void TForm1::SetStatusText(const std::string& text) {
    waitStatus_ = text;
    SetWindowTextW(statusLine_, Wide(text.empty() ? linkStatus_ : text).c_str());
}

void TForm1::SetLinkStatus(const std::string& text) {
    linkStatus_ = text;
    if (waitStatus_.empty()) SetWindowTextW(statusLine_, Wide(text).c_str());
}

void TForm1::ProcessEvents() {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // for the message loop outside the wait
            return;
        }
        if (PreTranslate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void TForm1::RequestClose() { PostMessageW(hwnd_, WM_CLOSE, 0, 0); }

void TForm1::ShowPage(PageIndex page) {
    const int count = static_cast<int>(SendMessageW(tabs_, TCM_GETITEMCOUNT, 0, 0));
    for (int position = 0; position < count; ++position) {
        if (TabPage(position) == page) SendMessageW(tabs_, TCM_SETCURSEL, static_cast<WPARAM>(position), 0);
    }
    selectedPage_ = page;
    ShowSelectedPage();
}

void TForm1::ShowPageTab(PageIndex page, bool shown) {
    if (pageVisible_[static_cast<std::size_t>(page)] == shown) return;
    pageVisible_[static_cast<std::size_t>(page)] = shown;
    RebuildTabs();
}

// --- The components of a command ----------------------------------------

void TForm1::SetButtonPicture(Command command, int picture) {
    const int id = CommandId(command, ComponentKind::kToolButton);
    if (id != 0) SendMessageW(toolBar_, TB_CHANGEBITMAP, static_cast<WPARAM>(id), MAKELPARAM(picture, 0));
}

void TForm1::SetItemCaption(Command command, const std::string& caption) {
    const Component* c = FindCommand(command, ComponentKind::kMenuItem);
    if (c == nullptr) return;
    Component shown = *c;
    shown.caption = caption.c_str();
    ModifyMenuW(menu_, static_cast<UINT>(CommandIdOf(*c)), MF_BYCOMMAND | MF_STRING,
                static_cast<UINT_PTR>(CommandIdOf(*c)), Wide(MenuText(shown)).c_str());
    DrawMenuBar(hwnd_);
}

void TForm1::SetButtonHint(Command command, const std::string& hint) {
    if (command == Command::kConnect) runHint_ = Wide(hint);
}

std::vector<std::string> TForm1::EditorLines() const { return editor_->Lines(); }

void TForm1::StartTimer() { SetTimer(hwnd_, kTimerId, kTickMilliseconds, nullptr); }

void TForm1::ShowError(const std::string& title, const std::string& text) {
    MessageBoxW(hwnd_, Wide(text).c_str(), Wide(title).c_str(), MB_OK | MB_ICONERROR);
}

// --- Messages ------------------------------------------------------------

LRESULT CALLBACK TForm1::MemoProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<TForm1*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    const int page = GetDlgCtrlID(hwnd) - kIdFirstMemo;
    const LRESULT result = CallWindowProcW(self->memoProcs_[static_cast<std::size_t>(page)], hwnd, msg, wp, lp);
    if (msg == WM_LBUTTONDBLCLK && self->core_) {
        // The memo's line under the caret, not its wrapped row: the text
        // between the line ends around the caret.
        DWORD start = 0, end = 0;
        SendMessageW(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
        const std::size_t at = std::min<std::size_t>(start, text.size());
        const std::size_t before = at == 0 ? std::wstring::npos : text.rfind(L'\n', at - 1);
        const std::size_t first = before == std::wstring::npos ? 0 : before + 1;
        std::size_t last = text.find(L'\r', at);
        if (last == std::wstring::npos) last = text.size();
        self->core_->PageLineDoubleClicked(page, Utf8(std::wstring_view(text).substr(first, last - first)));
    }
    return result;
}

LRESULT CALLBACK TForm1::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<TForm1*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<TForm1*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr || msg == WM_NCDESTROY) {
        if (msg == WM_NCDESTROY) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            if (self != nullptr) self->hwnd_ = nullptr;
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    return self->Dispatch(msg, wp, lp);
}

LRESULT TForm1::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == findMessage_ && findMessage_ != 0) {
        const auto* find = reinterpret_cast<const FINDREPLACEW*>(lp);
        if (find->Flags & FR_DIALOGTERM) {
            findDialog_ = nullptr;
        } else if (find->Flags & FR_FINDNEXT) {
            core_->FindNext();
        }
        return 0;
    }
    switch (msg) {
        case WM_SIZE:
            if (toolBar_ != nullptr && editor_ != nullptr) Layout();
            return 0;
        case kWmDpiChanged: {
            // Moved to a monitor of another DPI: Windows suggests the new place.
            ApplyDpi(HIWORD(wp));
            const RECT* r = reinterpret_cast<const RECT*>(lp);
            SetWindowPos(hwnd_, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_COMMAND: {
            const int id = LOWORD(wp);
            const int code = HIWORD(wp);
            if (id == kIdEditor && code == EN_CHANGE) {
                // Colour-only changes and loading a file are no edits.
                if (editor_->TextChanged() && core_ && !loading_) {
                    const RichEditor::LineChange& change = editor_->LastChange();
                    core_->EditorLinesReplaced(change.first, change.removed, change.added);
                    core_->EditorChanged();
                }
                return 0;
            }
            if (lp == 0 || reinterpret_cast<HWND>(lp) == toolBar_) {
                if (const Component* c = ComponentOfId(id)) core_->Run(c->command);
            }
            return 0;
        }
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lp);
            if (header->hwndFrom == tabs_ && header->code == TCN_SELCHANGE) {
                const int position = static_cast<int>(SendMessageW(tabs_, TCM_GETCURSEL, 0, 0));
                selectedPage_ = TabPage(position);
                ShowSelectedPage();
                core_->PageSelected(selectedPage_);
            } else if (header->code == TTN_GETDISPINFOW) {
                auto* info = reinterpret_cast<NMTTDISPINFOW*>(lp);
                const Component* c = ComponentOfId(static_cast<int>(header->idFrom));
                if (c != nullptr) {
                    hintText_ = c->command == Command::kConnect && !runHint_.empty() ? runHint_ : Wide(c->caption);
                    info->lpszText = hintText_.data();
                }
            }
            return 0;
        }
        case WM_CTLCOLORSTATIC:
            // Read-only memos ask as static controls do; the labels keep their own colours.
            if (GetDlgCtrlID(reinterpret_cast<HWND>(lp)) < kIdFirstMemo) return DefWindowProcW(hwnd_, msg, wp, lp);
            [[fallthrough]];
        case WM_CTLCOLOREDIT: {
            HDC dc = reinterpret_cast<HDC>(wp);
            SetBkColor(dc, kWindowColour);
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            return reinterpret_cast<LRESULT>(background_);
        }
        case WM_TIMER:
            if (wp == kTimerId && core_) core_->Tick();
            return 0;
        case WM_CLOSE: {
            if (!core_->MayClose()) return 0;
            WINDOWPLACEMENT place{};
            place.length = sizeof place;
            GetWindowPlacement(hwnd_, &place);
            const RECT& r = place.rcNormalPosition;
            core_->RememberGeometry(Unscaled(r.left, dpi_), Unscaled(r.top, dpi_), Unscaled(r.right - r.left, dpi_),
                                    Unscaled(r.bottom - r.top, dpi_));
            // Withdraw the program's hot keys and close the link: left
            // registered, they would stay in the simulator after Vorn has gone.
            core_->Closing();
            DestroyWindow(hwnd_);
            return 0;
        }
        case WM_DESTROY:
            KillTimer(hwnd_, kTimerId);
            if (findDialog_ != nullptr) DestroyWindow(findDialog_);
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(hwnd_, msg, wp, lp);
    }
}


namespace {

// Ctrl+C and the other Edit keys of the component table: in another window's
// edit box they belong to that box.
bool IsEditKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || (GetKeyState(VK_CONTROL) & 0x8000) == 0) return false;
    for (const Component& c : Table()) {
        if (c.kind != ComponentKind::kMenuItem || !IsEditCommand(c.command)) continue;
        const Shortcut s = ParseShortcut(c.shortcut);
        if (s.letter != 0 && msg.wParam == static_cast<WPARAM>(s.letter)) return true;
    }
    return false;
}

}  // namespace

bool TForm1::PreTranslate(MSG& msg) {
    // The menu keys work in the find dialog too (F3 while it has the focus), but for the Edit keys.
    if (findDialog_ != nullptr && (msg.hwnd == findDialog_ || IsChild(findDialog_, msg.hwnd)) && !IsEditKey(msg) &&
        TranslateAcceleratorW(hwnd_, accelerators_, &msg) != 0)
        return true;
    if (findDialog_ != nullptr && IsDialogMessageW(findDialog_, &msg)) return true;
    if (offsets_ && offsets_->PreTranslate(msg)) return true;
    if (hwnd_ != nullptr && (msg.hwnd == hwnd_ || IsChild(hwnd_, msg.hwnd)))
        return TranslateAcceleratorW(hwnd_, accelerators_, &msg) != 0;
    return false;
}

int RunMessageLoop(TForm1& form) {
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (form.PreTranslate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace vorn::win32
