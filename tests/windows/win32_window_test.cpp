// The Win32 main window, created here and driven as a user would: menu
// commands (WM_COMMAND), accelerator keys, the find dialog's controls; what
// it shows is read back through the controls' own messages. Message boxes
// and the about box are answered by a hook as they appear.
#include <gtest/gtest.h>

#include <windows.h>
#undef AddAtom  // keep the transport's method name
#include <commctrl.h>
#include <richedit.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "fsuipc/ipc.h"
#include "fsuipc/offsets_catalogue.h"
#include "machine/machine.h"
#include "sim/sim_process.h"
#include "tests/windows/child_program.h"
#include "tests/windows/sim_exe.h"
#include "tests/windows/wine_path.h"
#include "tests/windows/window_test_support.h"
#include "tests/workbench/window_cases.h"
#include "workbench/component_table.h"
#include "workbench/controller.h"
#include "workbench/source_text.h"
#include "workbench/win32/form_main.h"
#include "workbench/win32/link_dialog.h"
#include "workbench/win32/offsets_dialog.h"
#include "workbench/win32/text.h"

namespace vorn {
namespace {

using win32::TForm1;
using win32::Utf8;
using win32::Wide;

std::string TextOf(HWND hwnd) { return win32::WindowText(hwnd); }

// A file in the temporary folder, removed at the end.
struct TempFile {
    explicit TempFile(const std::string& name, const std::string& bytes = "") {
        char dir[MAX_PATH];
        const DWORD n = GetTempPathA(MAX_PATH, dir);
        path = std::string(dir, n) + name;
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (f != nullptr) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
    }
    ~TempFile() { DeleteFileA(path.c_str()); }
    std::string Bytes() const {
        std::string bytes;
        if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
            char buf[4096];
            for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) bytes.append(buf, n);
            std::fclose(f);
        }
        return bytes;
    }
    std::string path;
};

// What a popped-up box showed, and the button the hook pressed.
struct Popup {
    std::string className;
    std::string caption;
    std::vector<std::string> texts;  // its child controls' texts
    RECT rect{};
};

// Answers every message box (and the about box) with the next of `answers`.
class BoxAnswerer {
public:
    explicit BoxAnswerer(std::vector<int> answers) : answers_(std::move(answers)) {}
    const std::vector<Popup>& Seen() const { return seen_; }

private:
    void Activated(HWND box) {
        wchar_t name[64] = L"";
        GetClassNameW(box, name, 64);
        const std::string cls = Utf8(name);
        if (cls != "#32770" && cls != "TAbout") return;
        if (GetWindow(box, GW_OWNER) == nullptr && cls == "#32770") return;
        for (const Popup& p : seen_)
            if (p.caption == TextOf(box) && handled_ == box) return;  // activated again
        handled_ = box;
        Popup popup;
        popup.className = cls;
        popup.caption = TextOf(box);
        GetWindowRect(box, &popup.rect);
        for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
            popup.texts.push_back(TextOf(child));
        seen_.push_back(popup);
        const int answer = next_ < answers_.size() ? answers_[next_++] : IDCANCEL;
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
    }

    std::vector<int> answers_;
    std::size_t next_ = 0;
    std::vector<Popup> seen_;
    HWND handled_ = nullptr;
    test::ActivationHook hook_{[this](HWND box) { Activated(box); }};
};

class Win32Window : public ::testing::Test {
protected:
    void SetUp() override {
        form_ = std::make_unique<TForm1>(ProgramLink(), machine_);
        form_->Show(SW_SHOWNORMAL);
        Pump();
    }
    void TearDown() override {
        if (form_ && IsWindow(form_->Handle())) {
            BoxAnswerer no({IDNO});
            SendMessageW(form_->Handle(), WM_CLOSE, 0, 0);
        }
        form_.reset();
        Pump();
    }

    // Runs the window's message loop for what is queued (and up to `ms`
    // while `until` is false).
    void Pump(int ms = 0, const std::function<bool()>& until = nullptr) {
        test::PumpWindowMessages(ms, until, [this](MSG& msg) { return form_ && IsWindow(form_->Handle()) && form_->PreTranslate(msg); });
    }

    void Command(const char* component) {
        SendMessageW(form_->Handle(), WM_COMMAND, MAKEWPARAM(win32::CommandId(component), 0), 0);
        Pump();
    }
    // A key press as the user makes it in the editor: through the accelerators.
    void PressKey(WPARAM key) {
        PostMessageW(form_->Editor(), WM_KEYDOWN, key, 1);
        PostMessageW(form_->Editor(), WM_KEYUP, key, 0xC0000001);
        Pump();
    }
    void Type(const std::string& text) {
        SendMessageW(form_->Editor(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(Wide(text).c_str()));
        Pump();
    }
    std::vector<std::string> TabCaptions() {
        std::vector<std::string> captions;
        const int n = static_cast<int>(SendMessageW(form_->Tabs(), TCM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            wchar_t text[64] = L"";
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = text;
            item.cchTextMax = 64;
            SendMessageW(form_->Tabs(), TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
            captions.push_back(Utf8(text));
        }
        return captions;
    }
    std::string SelectedTab() {
        const int i = static_cast<int>(SendMessageW(form_->Tabs(), TCM_GETCURSEL, 0, 0));
        const std::vector<std::string> captions = TabCaptions();
        return i >= 0 && i < static_cast<int>(captions.size()) ? captions[static_cast<std::size_t>(i)] : "";
    }
    std::string MenuCaption(const char* component) {
        wchar_t text[128] = L"";
        GetMenuStringW(GetMenu(form_->Handle()), static_cast<UINT>(win32::CommandId(component)), text, 128,
                       MF_BYCOMMAND);
        return Utf8(text);
    }
    std::string Caption() { return TextOf(form_->Handle()); }
    std::string PageText(int page) { return TextOf(form_->PageControlOf(page)); }
    // The character format RichEdit shows for `length` characters from `start`.
    CHARFORMAT2W FormatAt(int start, int length) {
        CHARRANGE range{start, start + length};
        SendMessageW(form_->Editor(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        CHARFORMAT2W cf{};
        cf.cbSize = sizeof cf;
        SendMessageW(form_->Editor(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
        return cf;
    }
    CHARRANGE Selection() {
        CHARRANGE range{};
        SendMessageW(form_->Editor(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
        return range;
    }

    Machine machine_{ProgramLink()};
    std::unique_ptr<TForm1> form_;
};

// Every menu, item, toolbar button and page of the component table, as the
// window shows it: captions, shortcut texts, accelerator keys, pictures.
TEST_F(Win32Window, ShowsEveryComponentOfTheTable) {
    HMENU bar = GetMenu(form_->Handle());
    std::vector<ACCEL> keys(static_cast<std::size_t>(CopyAcceleratorTableW(form_->Accelerators(), nullptr, 0)));
    CopyAcceleratorTableW(form_->Accelerators(), keys.data(), static_cast<int>(keys.size()));
    int menuPosition = 0;
    std::vector<std::string> pages;
    for (const Component& c : Components()) {
        SCOPED_TRACE(c.name);
        const int id = win32::CommandId(c.name);
        switch (c.kind) {
            case ComponentKind::kMenu: {
                wchar_t text[64] = L"";
                GetMenuStringW(bar, static_cast<UINT>(menuPosition++), text, 64, MF_BYPOSITION);
                EXPECT_EQ(Utf8(text), c.caption);
                break;
            }
            case ComponentKind::kMenuItem: {
                const std::string shortcut = c.shortcut;
                EXPECT_EQ(MenuCaption(c.name), c.caption + (shortcut.empty() ? "" : "\t" + shortcut));
                const Shortcut s = ParseShortcut(c.shortcut);
                int found = 0;
                for (const ACCEL& a : keys) {
                    if (a.cmd != id) continue;
                    ++found;
                    EXPECT_EQ(a.key, s.letter != 0 ? s.letter : VK_F1 + s.function - 1);
                    EXPECT_EQ((a.fVirt & FCONTROL) != 0, s.ctrl);
                    EXPECT_EQ((a.fVirt & FSHIFT) != 0, s.shift);
                }
                EXPECT_EQ(found, shortcut.empty() ? 0 : 1);
                break;
            }
            case ComponentKind::kToolButton:
                EXPECT_EQ(SendMessageW(form_->ToolBar(), TB_GETBITMAP, static_cast<WPARAM>(id), 0), c.picture);
                break;
            case ComponentKind::kPage:
                if (c.visible) pages.push_back(c.caption);
                break;
        }
    }
    EXPECT_EQ(GetMenuItemCount(bar), menuPosition);
    EXPECT_EQ(TabCaptions(), pages);
    EXPECT_EQ(SelectedTab(), "Source");
    EXPECT_EQ(Caption(), "Vorn");
    EXPECT_EQ(TextOf(form_->CaretLabel()), "***");
}

// Debug shows the two hidden pages and hides them again; the menu names the next change.
TEST_F(Win32Window, DebugShowsAndHidesPages) {
    PressKey('D');  // without Ctrl held, no accelerator: nothing happens
    EXPECT_EQ(TabCaptions(), (std::vector<std::string>{"Source", "Compiler", "Program Output"}));
    Command("MNDebug");
    EXPECT_EQ(TabCaptions(),
              (std::vector<std::string>{"Source", "Expanded", "Compiler", "Interpreter", "Program Output"}));
    EXPECT_EQ(MenuCaption("MNDebug"), "Debug Off\tCtrl+D");
    Command("MNDebug");
    EXPECT_EQ(TabCaptions(), (std::vector<std::string>{"Source", "Compiler", "Program Output"}));
    EXPECT_EQ(MenuCaption("MNDebug"), "Debug On\tCtrl+D");
}

// F9 through the accelerator table compiles; a syntax error shows on "Compiler".
TEST_F(Win32Window, F9CompilesAndShowsTheDiagnostic) {
    TempFile file("vorn_window_f9.vrn", "int x;\r\nx = ;\r\n");
    ASSERT_TRUE(form_->OpenFile(file.path));
    EXPECT_EQ(Caption(), "Vorn - " + file.path);
    EXPECT_TRUE(FormatAt(0, 3).dwEffects & CFE_BOLD) << "a keyword, coloured as the file came in";
    EXPECT_FALSE(FormatAt(4, 1).dwEffects & CFE_BOLD);
    PressKey(VK_F9);
    EXPECT_NE(PageText(kPageCompiler).find("syntax error"), std::string::npos) << PageText(kPageCompiler);
    EXPECT_EQ(SendMessageW(form_->ToolBar(), TB_GETBITMAP, win32::CommandId("TBCompile"), 0), kPicNotCompiled);
    SendMessageW(form_->Editor(), EM_SETSEL, 0, -1);
    Type("// note\rint x;");
    const CHARFORMAT2W comment = FormatAt(0, 7);
    EXPECT_TRUE((comment.dwEffects & CFE_ITALIC) && comment.crTextColor == RGB(0x80, 0x80, 0x00))
        << "an edited line is coloured again: comments olive italic";
    EXPECT_TRUE(FormatAt(8, 3).dwEffects & CFE_BOLD);
    PressKey(VK_F9);
    EXPECT_EQ(SendMessageW(form_->ToolBar(), TB_GETBITMAP, win32::CommandId("TBCompile"), 0), kPicCompiled);
    EXPECT_EQ(SelectedTab(), "Source") << "compiling selects no page";
}

// A file opened into the editor shows its vertical scroll bar at once, with
// the whole text in its range.
TEST_F(Win32Window, OpenedFileHasItsScrollBar) {
    std::string text;
    for (int i = 0; i < 200; ++i) text += "int v" + std::to_string(i) + ";\r\n";
    TempFile file("vorn_window_scroll.vrn", text);
    ASSERT_TRUE(form_->OpenFile(file.path));
    Pump();
    SCROLLBARINFO bar{};
    bar.cbSize = sizeof bar;
    ASSERT_TRUE(GetScrollBarInfo(form_->Editor(), OBJID_VSCROLL, &bar));
    EXPECT_FALSE(bar.rgstate[0] & STATE_SYSTEM_INVISIBLE);
    SCROLLINFO range{sizeof range, SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
    ASSERT_TRUE(GetScrollInfo(form_->Editor(), SB_VERT, &range));
    EXPECT_GT(range.nMax - range.nMin + 1, static_cast<int>(range.nPage)) << "the text is longer than the page";
}

// Characters typed at the start of a coloured line go in in the order typed:
// repainting the line's colours after each one puts the caret back after it.
TEST_F(Win32Window, TypingAtALineStartKeepsTheOrder) {
    ASSERT_TRUE(form_->OpenFile(test::WindowsPath(VORN_SOURCE_DIR "/examples/hotkeys.vrn")));
    const int line8 = static_cast<int>(SendMessageW(form_->Editor(), EM_LINEINDEX, 7, 0));
    SendMessageW(form_->Editor(), EM_SETSEL, static_cast<WPARAM>(line8), line8);
    for (wchar_t c : std::wstring(L"oops")) {
        PostMessageW(form_->Editor(), WM_CHAR, c, 1);
        Pump();
    }
    const std::vector<std::string> lines = form_->EditorLines();
    ASSERT_GT(lines.size(), 7u);
    EXPECT_EQ(lines[7].substr(0, 4), "oops") << lines[7];
    EXPECT_EQ(Selection().cpMin, line8 + 4);
}

// Double-clicking a diagnostic on "Compiler" puts the caret on its source line.
TEST_F(Win32Window, DoubleClickedDiagnosticLeadsToItsLine) {
    TempFile file("vorn_window_jump.vrn", "int x;\r\n\r\nint y\r\nint z;\r\n");
    ASSERT_TRUE(form_->OpenFile(file.path));
    Command("DisplayCompilerOutput1");  // the diagnostic among other lines
    Command("MNCompile");
    const std::string listing = PageText(kPageCompiler);
    EXPECT_NE(listing.find(": 4: syntax error"), std::string::npos) << listing;
    const std::size_t at = listing.find("syntax error");
    ASSERT_NE(at, std::string::npos) << listing;
    const std::size_t lineStart = listing.rfind('\n', at) == std::string::npos ? 0 : listing.rfind('\n', at) + 1;
    form_->SelectPage(kPageCompiler);
    HWND memo = form_->PageControlOf(kPageCompiler);
    const int index = static_cast<int>(Wide(listing.substr(0, lineStart)).size()) + 2;
    SendMessageW(memo, EM_SETSEL, static_cast<WPARAM>(index), static_cast<LPARAM>(index));
    const LRESULT point = SendMessageW(memo, EM_POSFROMCHAR, static_cast<WPARAM>(index), 0);
    SendMessageW(memo, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
    SendMessageW(memo, WM_LBUTTONUP, 0, point);
    Pump();
    EXPECT_EQ(SelectedTab(), "Source");
    const int caretLine = static_cast<int>(SendMessageW(form_->Editor(), EM_EXLINEFROMCHAR, 0, Selection().cpMax));
    EXPECT_EQ(caretLine, 3) << "\": 4: syntax error at or before int\" is about line 4";
}

// "Program Output" keeps every line in the control and shows the newest,
// unless the reader has scrolled up.
TEST_F(Win32Window, ProgramOutputKeepsEveryLine) {
    for (const test::GrowingPageCase& c : test::kGrowingPageCases) {
        SCOPED_TRACE(c.name);
        form_->Core().ClearOutput();
        form_->SelectPage(kPageProgramOutput);
        HWND memo = form_->PageControlOf(kPageProgramOutput);
        for (int i = 0; i < c.lines; ++i) {
            if (c.scrolledUp && i == c.lines - 1) SendMessageW(memo, WM_VSCROLL, SB_TOP, 0);
            form_->Core().AppendOutputLine(test::GrowingPageLine(i));
        }
        Pump();
        ASSERT_EQ(SendMessageW(memo, EM_GETLINECOUNT, 0, 0), c.lines);
        auto line = [&](int index) {
            wchar_t text[128] = L"";
            text[0] = 127;  // EM_GETLINE's buffer size
            const LRESULT n = SendMessageW(memo, EM_GETLINE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
            return Utf8(std::wstring_view(text, static_cast<std::size_t>(n)));
        };
        EXPECT_EQ(line(0), test::GrowingPageLine(0));
        EXPECT_EQ(line(c.lines - 1), test::GrowingPageLine(c.lines - 1));
        RECT client{};
        GetClientRect(memo, &client);
        const LRESULT lastChar = SendMessageW(memo, EM_LINEINDEX, static_cast<WPARAM>(c.lines - 1), 0);
        const int y = static_cast<short>(HIWORD(SendMessageW(memo, EM_POSFROMCHAR, static_cast<WPARAM>(lastChar), 0)));
        const bool lastInView = y >= 0 && y < client.bottom;
        EXPECT_EQ(lastInView, !c.scrolledUp) << "last line at y " << y << " of " << client.bottom;
        if (c.scrolledUp) {
            EXPECT_EQ(SendMessageW(memo, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
        }
    }
}

// The save prompt of New and of closing: Yes, No and Cancel.
TEST_F(Win32Window, SavePromptAnswers) {
    struct Case {
        const char* what;
        bool close;
        int answer;
        const char* fileAfter;
        bool windowAfter;
        bool newCaption;
    };
    const Case cases[] = {
        {"New, Yes", false, IDYES, "edited\r\n", true, true},
        {"New, No", false, IDNO, "old\r\n", true, true},
        {"New, Cancel", false, IDCANCEL, "old\r\n", true, false},
        {"close, Cancel", true, IDCANCEL, "old\r\n", true, false},
        {"close, No", true, IDNO, "old\r\n", false, false},
        {"Exit, Cancel", true, IDCANCEL, "old\r\n", true, false},
        {"Exit, Yes", true, IDYES, "edited\r\n", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!form_) SetUp();
        TempFile file("vorn_window_prompt.vrn", "old\r\n");
        ASSERT_TRUE(form_->OpenFile(file.path));
        SendMessageW(form_->Editor(), EM_SETSEL, 0, -1);
        Type("edited");
        BoxAnswerer answerer({c.answer});
        if (std::string(c.what).starts_with("Exit")) {
            Command("Exit1");  // File > Exit closes as the close box does
        } else if (c.close) {
            SendMessageW(form_->Handle(), WM_CLOSE, 0, 0);
        } else {
            Command("New1");
        }
        Pump();
        ASSERT_EQ(answerer.Seen().size(), 1u);
        EXPECT_EQ(answerer.Seen()[0].caption, "Vorn");
        EXPECT_NE(std::find(answerer.Seen()[0].texts.begin(), answerer.Seen()[0].texts.end(),
                            "Save File " + file.path),
                  answerer.Seen()[0].texts.end());
        EXPECT_EQ(file.Bytes(), c.fileAfter);
        EXPECT_EQ(IsWindow(form_->Handle()) != FALSE, c.windowAfter);
        if (c.windowAfter) {
            EXPECT_EQ(Caption(), c.newCaption ? "Vorn - " : "Vorn - " + file.path);
        }
        if (!c.windowAfter) form_.reset();
    }
}

// A file too big to open and a save that cannot write change nothing: not
// the window, not the file.
TEST_F(Win32Window, FileErrorsLeaveWindowAndFilesAlone) {
    {
        TempFile big("vorn_window_big.vrn", std::string(kMaxSourceFileBytes + 1, 'x'));
        BoxAnswerer ok({IDOK});
        EXPECT_FALSE(form_->OpenFile(big.path));
        ASSERT_EQ(ok.Seen().size(), 1u);
        EXPECT_NE(std::find(ok.Seen()[0].texts.begin(), ok.Seen()[0].texts.end(),
                            "Cannot open file \"" + big.path + "\". The file is larger than 32 MB."),
                  ok.Seen()[0].texts.end());
        EXPECT_EQ(Caption(), "Vorn");
        EXPECT_EQ(GetWindowTextLengthW(form_->Editor()), 0);
    }
    TempFile file("vorn_window_readonly.vrn", "old\r\n");
    ASSERT_TRUE(form_->OpenFile(file.path));
    Type("new ");
    // Nothing can be written beside the file: a folder holds the place.
    const std::string blocker = file.path + ".vorn-save";
    ASSERT_TRUE(CreateDirectoryA(blocker.c_str(), nullptr));
    BoxAnswerer ok({IDOK});
    Command("Save1");
    RemoveDirectoryA(blocker.c_str());
    ASSERT_EQ(ok.Seen().size(), 1u);
    const std::vector<std::string>& texts = ok.Seen()[0].texts;
    EXPECT_NE(std::find_if(texts.begin(), texts.end(),
                           [&](const std::string& t) { return t.rfind("Cannot create file \"" + file.path + "\". ", 0) == 0; }),
              texts.end());
    EXPECT_EQ(file.Bytes(), "old\r\n");
    EXPECT_TRUE(form_->Core().Modified()) << "the text is still to be saved";
}

// Find from the dialog, Search Again (F3) one column on, and the not-found box.
TEST_F(Win32Window, FindAndSearchAgain) {
    Type("Alpha beta\rgamma BETA betabeta");
    SendMessageW(form_->Editor(), EM_SETSEL, 0, 0);
    Command("Find1");
    HWND dialog = form_->FindDialogWindow();
    ASSERT_NE(dialog, nullptr);
    SetDlgItemTextW(dialog, 0x480, L"BETA");  // the find text box (edt1)
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);  // Find Next
    Pump();
    EXPECT_EQ(Selection().cpMin, 6);
    EXPECT_EQ(Selection().cpMax, 10);
    const int line1 = static_cast<int>(SendMessageW(form_->Editor(), EM_LINEINDEX, 1, 0));
    for (int expected : {6, 11}) {
        PressKey(VK_F3);
        EXPECT_EQ(Selection().cpMin, line1 + expected);
    }
    // The dialog leaves the editor's first lines, where the matches are, in view.
    RECT editor{}, box{};
    GetWindowRect(form_->Editor(), &editor);
    GetWindowRect(dialog, &box);
    EXPECT_GE(box.top, editor.top + 6 * 16) << "the dialog covers the first lines";
    // F3 works while the dialog has the focus.
    SendMessageW(form_->Editor(), EM_SETSEL, 0, 0);
    PostMessageW(GetDlgItem(dialog, 0x480), WM_KEYDOWN, VK_F3, 1);
    PostMessageW(GetDlgItem(dialog, 0x480), WM_KEYUP, VK_F3, 0xC0000001);
    Pump();
    EXPECT_EQ(Selection().cpMin, 6) << "F3 in the find dialog";
    PressKey(VK_F3);
    PressKey(VK_F3);
    BoxAnswerer ok({IDOK});
    PressKey(VK_F3);  // "betabeta": the second one starts right after the first and is skipped
    ASSERT_EQ(ok.Seen().size(), 1u);
    EXPECT_NE(std::find(ok.Seen()[0].texts.begin(), ok.Seen()[0].texts.end(), "beta not found"),
              ok.Seen()[0].texts.end());
    EXPECT_EQ(Selection().cpMin, line1 + 11) << "caret and selection stay";
}

// A long value on the Watch page scrolls sideways instead of wrapping into
// the Name column.
TEST_F(Win32Window, WatchValuesDoNotWrap) {
    form_->SetPageText(kPageWatch, "Name  Type      Where          Value\r\nmsg   char[96]  data $1000000  \"" +
                                         std::string(300, 'x') + "\"");
    EXPECT_EQ(SendMessageW(form_->PageControlOf(kPageWatch), EM_GETLINECOUNT, 0, 0), 2);
}

// The caret label shows the position before a key acts, after a click has moved it.
TEST_F(Win32Window, CaretLabelFollowsKeysAndClicks) {
    Type("ab\rcd");
    SendMessageW(form_->Editor(), EM_SETSEL, 0, 0);
    EXPECT_EQ(TextOf(form_->CaretLabel()), "***");
    PressKey(VK_RIGHT);
    EXPECT_EQ(TextOf(form_->CaretLabel()), "Line 1: Char 1");
    PressKey(VK_RIGHT);
    EXPECT_EQ(TextOf(form_->CaretLabel()), "Line 1: Char 2");
    const LRESULT at = SendMessageW(form_->Editor(), EM_POSFROMCHAR, 4, 0);  // "d"
    PostMessageW(form_->Editor(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(form_->Editor(), WM_LBUTTONUP, 0, at);
    Pump();
    EXPECT_EQ(TextOf(form_->CaretLabel()), "Line 2: Char 2");
}

// The about box: version resource texts, centred, closed by OK.
TEST_F(Win32Window, AboutBoxShowsTheVersion) {
    BoxAnswerer ok({IDOK});
    Command("About1");
    ASSERT_EQ(ok.Seen().size(), 1u);
    const Popup& about = ok.Seen()[0];
    EXPECT_EQ(about.className, "TAbout");
    EXPECT_EQ(about.caption, "About Vorn");
    EXPECT_EQ(about.texts, (std::vector<std::string>{"OK", "Version 0.1.0.0", "Vorn - Compiler/Interpreter for FSUIPC"}));
    const int w = about.rect.right - about.rect.left, h = about.rect.bottom - about.rect.top;
    EXPECT_EQ(about.rect.left, (GetSystemMetrics(SM_CXSCREEN) - w) / 2);
    EXPECT_EQ(about.rect.top, (GetSystemMetrics(SM_CYSCREEN) - h) / 2);
    EXPECT_TRUE(IsWindowEnabled(form_->Handle())) << "the window is usable again";
}

// Help > FSUIPC Offsets...: the catalogue's rows, the ones the filter keeps,
// and a double-clicked row's declaration at the editor's caret.
TEST_F(Win32Window, OffsetsDialogPutsADeclarationAtTheCaret) {
    Type("int a;\r\rint b;");
    const LRESULT line1 = SendMessageW(form_->Editor(), EM_LINEINDEX, 1, 0);
    SendMessageW(form_->Editor(), EM_SETSEL, static_cast<WPARAM>(line1), line1);
    Command("FsuipcOffsets1");
    ASSERT_NE(form_->Offsets(), nullptr);
    HWND dialog = form_->Offsets()->Handle();
    HWND list = GetDlgItem(dialog, win32::kIdOffsetList);
    EXPECT_TRUE(IsWindowVisible(dialog));
    const auto rows = [&] { return static_cast<std::size_t>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); };
    EXPECT_EQ(rows(), OffsetCatalogue().size());
    SetWindowTextW(GetDlgItem(dialog, win32::kIdOffsetFilter), L"indicated");
    Pump();
    ASSERT_EQ(rows(), 1u);
    wchar_t name[64] = L"";
    LVITEMW cell{};
    cell.iSubItem = 3;
    cell.pszText = name;
    cell.cchTextMax = 64;
    SendMessageW(list, LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&cell));
    EXPECT_EQ(Utf8(name), "IndicatedAirspeed");
    // A double click on the row as the mouse gives it.
    RECT item{};
    item.left = LVIR_BOUNDS;
    SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    const LPARAM at = MAKELPARAM(item.left + 4, (item.top + item.bottom) / 2);
    PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
    Pump();
    const std::string declaration = "int IndicatedAirspeed at $02BC;";
    EXPECT_EQ(form_->EditorLines(), (std::vector<std::string>{"int a;", declaration, "int b;"}));
    EXPECT_EQ(Selection().cpMin, line1 + static_cast<LRESULT>(declaration.size())) << "the caret after it";
    EXPECT_TRUE(IsWindowVisible(dialog)) << "it stays open for the next";
    SendMessageW(dialog, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(dialog));
    Command("FsuipcOffsets1");
    EXPECT_EQ(form_->Offsets()->Handle(), dialog) << "the same window again";
    EXPECT_EQ(rows(), 1u) << "with its filter";
}

// Connect to vorn-sim.exe: a hot key pressed in the simulator reaches
// "Program Output"; closing the window withdraws the hot keys.
TEST_F(Win32Window, ConnectRunsHotKeysFromVornSim) {
    ASSERT_TRUE(test::WaitForNoWindow("FS98MAIN"));
    ASSERT_TRUE(test::WaitForNoWindow("UIPCMAIN"));
    SimProcess sim;
    std::string error;
    ASSERT_TRUE(sim.Start(test::WindowsPath(VORN_SIM_PATH), {}, error, 15000)) << error;
    ASSERT_TRUE(form_->OpenFile(test::WindowsPath(VORN_SOURCE_DIR "/examples/hotkeys.vrn")));
    Command("MNCompile");
    Command("MNConnect");
    EXPECT_EQ(MenuCaption("MNConnect"), "Disconnect\tF5");
    EXPECT_EQ(SelectedTab(), "Program Output");
    EXPECT_EQ(sim.Command("keys").rfind("3 hot keys:", 0), 0u);
    EXPECT_EQ(sim.Command("press Ctrl+G"), "pressed Ctrl+G (71,2): 1 hot key flagged");
    Pump(20000, [&] { return PageText(kPageProgramOutput).find("Ctrl+G pressed 1 times") != std::string::npos; });
    EXPECT_EQ(PageText(kPageProgramOutput), "Connected to FSUIPC 7.4.16 (simulator: MSFS)\r\nCtrl+G pressed 1 times");
    EXPECT_EQ(TextOf(form_->StatusLine()).rfind("Connected to FSUIPC 7.4.16 (simulator: MSFS), round trip ", 0), 0u)
        << TextOf(form_->StatusLine());
    // The Watch page is there while connected, and read while on top.
    const std::vector<std::string> tabs = TabCaptions();
    ASSERT_NE(std::find(tabs.begin(), tabs.end(), "Watch"), tabs.end());
    const int watchTab = static_cast<int>(std::find(tabs.begin(), tabs.end(), "Watch") - tabs.begin());
    SendMessageW(form_->Tabs(), TCM_SETCURSEL, static_cast<WPARAM>(watchTab), 0);
    NMHDR change{form_->Tabs(), static_cast<UINT_PTR>(win32::kIdPageControl), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(form_->Handle(), WM_NOTIFY, change.idFrom, reinterpret_cast<LPARAM>(&change));
    Pump(5000, [&] { return PageText(kPageWatch).find("presses") != std::string::npos; });
    const std::string watch = PageText(kPageWatch);
    const std::size_t row = watch.find("presses");
    ASSERT_NE(row, std::string::npos) << watch;
    const std::string line = watch.substr(row, watch.find('\r', row) - row);
    EXPECT_NE(line.find("int"), std::string::npos) << line;
    EXPECT_EQ(line.back(), '1') << line;
    {
        BoxAnswerer no({IDNO});
        SendMessageW(form_->Handle(), WM_CLOSE, 0, 0);
    }
    EXPECT_EQ(sim.Command("keys"), "no hot keys registered") << "closing disconnected";
    form_.reset();
    EXPECT_EQ(sim.Command("quit"), "bye");
    EXPECT_EQ(sim.Wait(), 0);
}

// The first visible dialog owned by `owner` on `thread`, within `ms`.
HWND WaitForDialog(DWORD thread, HWND owner, int ms = 10000) {
    struct Search {
        HWND owner, found;
    } search{owner, nullptr};
    for (int i = 0; i < ms / 10 && search.found == nullptr; ++i) {
        EnumThreadWindows(
            thread,
            [](HWND hwnd, LPARAM lp) -> BOOL {
                auto* s = reinterpret_cast<Search*>(lp);
                wchar_t name[16] = L"";
                GetClassNameW(hwnd, name, 16);
                if (std::wstring(name) != L"#32770" || GetWindow(hwnd, GW_OWNER) != s->owner || !IsWindowVisible(hwnd))
                    return TRUE;
                s->found = hwnd;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr) Sleep(10);
    }
    return search.found;
}

// Another thread's control, as the user reads and fills it.
std::string ItemText(HWND dialog, int id) {
    wchar_t text[256] = L"";
    SendMessageTimeoutW(GetDlgItem(dialog, id), WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 2000,
                        nullptr);
    return Utf8(text);
}
void SetItemText(HWND dialog, int id, const std::string& text) {
    SendMessageTimeoutW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(text).c_str()),
                        SMTO_BLOCK, 2000, nullptr);
}
bool ItemChecked(HWND dialog, int id) {
    DWORD_PTR state = 0;
    SendMessageTimeoutW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, SMTO_BLOCK, 2000, &state);
    return state == BST_CHECKED;
}
// A message box's message: its one text with a colon in it.
std::string BoxText(HWND box) {
    std::string message;
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t text[256] = L"";
        SendMessageTimeoutW(child, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 2000, nullptr);
        if (Utf8(text).find(':') != std::string::npos) message = Utf8(text);
    }
    return message;
}
void Click(HWND dialog, int id) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

struct LinkFields {
    std::string name, timeout, attempts;
    bool reconnect, connectAtStart, oneExchangePerTick;
    bool operator==(const LinkFields&) const = default;
};
LinkFields ReadFields(HWND d) {
    return {ItemText(d, win32::kIdLinkName), ItemText(d, win32::kIdLinkTimeout), ItemText(d, win32::kIdLinkAttempts),
            ItemChecked(d, win32::kIdLinkReconnect), ItemChecked(d, win32::kIdLinkConnectAtStart),
            ItemChecked(d, win32::kIdLinkOneExchangePerTick)};
}
void WriteFields(HWND d, const LinkFields& f) {
    SetItemText(d, win32::kIdLinkName, f.name);
    SetItemText(d, win32::kIdLinkTimeout, f.timeout);
    SetItemText(d, win32::kIdLinkAttempts, f.attempts);
    for (auto [id, on] : {std::pair{win32::kIdLinkReconnect, f.reconnect}, {win32::kIdLinkConnectAtStart, f.connectAtStart},
                          {win32::kIdLinkOneExchangePerTick, f.oneExchangePerTick}})
        SendMessageTimeoutW(GetDlgItem(d, id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0, SMTO_BLOCK, 2000,
                            nullptr);
}

// Options > Simulator Link... filled and answered, each time in a window
// started afresh on one settings file: what OK keeps outlives the window.
TEST(Win32LinkDialog, KeepsWhatOkChoseAcrossARestart) {
    TempFile file("vorn_link_dialog.ini");
    DeleteFileA(file.path.c_str());
    _putenv_s("VORN_NO_SETTINGS", "");
    _putenv_s("VORN_SETTINGS_FILE", file.path.c_str());
    const LinkFields defaults{"FsasmLib:IPC", "2000", "10", false, false, false};
    const LinkFields chosen{"WideServer:IPC", "500", "3", true, true, true};
    struct Case {
        const char* what;
        LinkFields typed;
        int button;              // the last button pressed
        bool defaultsFirst;      // "Defaults" pressed before typing nothing
        const char* error;       // the message box an OK out of range brings, then Cancel
        LinkFields shownBefore;  // at the dialog's opening
    };
    const Case cases[] = {
        {"OK keeps", chosen, IDOK, false, "", defaults},
        {"Cancel drops", {"Other:IPC", "9", "9", false, false, false}, IDCANCEL, false, "", chosen},
        {"out of range is refused", {"WideServer:IPC", "500", "101", true, true, true}, IDOK, false,
         "Link/Attempts: expected a whole number from 1 to 100", chosen},
        {"Defaults fills in the defaults", {}, IDOK, true, "", chosen},
        {"after Defaults", {}, IDCANCEL, false, "", defaults},
    };
    Machine machine(ProgramLink());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TForm1 form(ProgramLink(), machine);
        form.Show(SW_SHOWNORMAL);
        LinkFields shown{}, afterDefaults{};
        std::string error;
        const DWORD ui = GetCurrentThreadId();
        std::vector<std::string> unexpected;  // any other box, answered Cancel so that no test hangs
        std::thread user([&] {
            HWND dialog = WaitForDialog(ui, form.Handle());
            if (dialog == nullptr) return;
            shown = ReadFields(dialog);
            if (c.defaultsFirst) {
                Click(dialog, win32::kIdLinkDefaults);
                Sleep(100);
                afterDefaults = ReadFields(dialog);
            } else if (!c.typed.name.empty()) {
                WriteFields(dialog, c.typed);
            }
            Click(dialog, c.button);
            if (*c.error != '\0') {
                if (HWND box = WaitForDialog(ui, dialog, 2000)) {
                    error = BoxText(box);
                    Click(box, IDOK);
                    for (int i = 0; i < 500 && IsWindow(box); ++i) Sleep(10);
                }
                Click(dialog, IDCANCEL);
            }
            for (int i = 0; i < 500 && IsWindow(dialog); ++i) Sleep(10);
            while (HWND box = WaitForDialog(ui, form.Handle(), 300)) {
                unexpected.push_back(BoxText(box));
                Click(box, IDCANCEL);
                for (int i = 0; i < 500 && IsWindow(box); ++i) Sleep(10);
            }
        });
        SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(win32::CommandId("SimulatorLink1"), 0), 0);
        user.join();
        EXPECT_EQ(shown, c.shownBefore);
        if (c.defaultsFirst) {
            EXPECT_EQ(afterDefaults, defaults);
        }
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(unexpected, std::vector<std::string>{});
        const bool reconnect = GetMenuState(GetMenu(form.Handle()), static_cast<UINT>(win32::CommandId("ReconnectAutomatically1")),
                                            MF_BYCOMMAND) & MF_CHECKED;
        EXPECT_EQ(reconnect, c.button == IDOK && *c.error == '\0' ? c.typed.reconnect : c.shownBefore.reconnect)
            << "the menu item is the dialog's switch";
    }
    _putenv_s("VORN_SETTINGS_FILE", "");
    _putenv_s("VORN_NO_SETTINGS", "1");
}

// A simulator that answers late: while Connect waits for it, the window
// paints, changes pages and shows that it waits; a command that would step
// the program is refused; closing ends the wait at once.
TEST_F(Win32Window, StaysResponsiveWhileTheSimulatorStalls) {
    ASSERT_TRUE(test::WaitForNoWindow("FS98MAIN"));
    SimProcess sim;
    std::string error;
    ASSERT_TRUE(sim.Start(test::WindowsPath(VORN_SIM_PATH), {"--delay-ms", "3000"}, error, 15000)) << error;
    ASSERT_TRUE(form_->OpenFile(test::WindowsPath(VORN_SOURCE_DIR "/examples/hotkeys.vrn")));
    Command("MNCompile");
    using Clock = std::chrono::steady_clock;
    auto ms = [](Clock::duration d) { return std::chrono::duration_cast<std::chrono::milliseconds>(d).count(); };
    HWND window = form_->Handle();
    HWND tabs = form_->Tabs();
    HWND status = form_->StatusLine();
    long long paintMs = -1, tabMs = -1;
    std::string statusText, tabAfter;
    Clock::time_point closed{};
    // The user, from outside the waiting thread.
    std::thread user([&] {
        Sleep(1300);
        InvalidateRect(window, nullptr, TRUE);
        const auto painting = Clock::now();
        while (GetUpdateRect(window, nullptr, FALSE) && ms(Clock::now() - painting) < 2000) Sleep(1);
        paintMs = ms(Clock::now() - painting);
        const auto changing = Clock::now();
        SendMessageTimeoutW(tabs, TCM_SETCURSEL, 1, 0, SMTO_BLOCK, 2000, nullptr);  // "Compiler"
        NMHDR change{tabs, static_cast<UINT_PTR>(win32::kIdPageControl), static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageTimeoutW(window, WM_NOTIFY, change.idFrom, reinterpret_cast<LPARAM>(&change), SMTO_BLOCK, 2000,
                            nullptr);
        tabMs = ms(Clock::now() - changing);
        wchar_t text[128] = L"";
        SendMessageTimeoutW(status, WM_GETTEXT, 128, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 2000, nullptr);
        statusText = Utf8(text);
        SendMessageTimeoutW(window, WM_COMMAND, MAKEWPARAM(win32::CommandId("MNDebug"), 0), 0, SMTO_BLOCK, 2000,
                            nullptr);
        closed = Clock::now();
        PostMessageW(window, WM_CLOSE, 0, 0);
    });
    // Waits for the handshake until the window closes (no Pump yet: the close follows).
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(win32::CommandId("MNConnect"), 0), 0);
    const auto returned = Clock::now();
    user.join();
    EXPECT_LT(paintMs, 200) << "WM_PAINT while waiting";
    EXPECT_LT(tabMs, 200) << "a tab change while waiting";
    EXPECT_EQ(statusText, kWaitingStatusText);
    EXPECT_LT(ms(returned - closed), 500) << "closing ends the wait";
    EXPECT_EQ(SelectedTab(), "Compiler");
    EXPECT_EQ(TabCaptions(), (std::vector<std::string>{"Source", "Compiler", "Program Output"}))
        << "Debug is refused while the tick waits";
    EXPECT_EQ(TextOf(status), "Disconnected") << "the waiting text goes with the wait, the link's state comes back";
    Pump(2000, [&] { return !IsWindow(window); });
    EXPECT_FALSE(IsWindow(window)) << "the close asked for during the wait follows it";
    form_.reset();
    EXPECT_EQ(sim.Command("quit", 20000), "bye");
    EXPECT_EQ(sim.Wait(20000), 0);
}

// Another process's control text (GetWindowText does not ask it).
std::string RemoteText(HWND control) {
    wchar_t text[4096] = L"";
    SendMessageTimeoutW(control, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 2000, nullptr);
    return Utf8(text);
}

// vorn.exe --connect FILE started before the simulator: it says once that
// it waits, connects when vorn-sim.exe comes 3 s later, and runs the hot key.
TEST(VornExe, ConnectWaitsForTheSimulator) {
    ASSERT_TRUE(test::WaitForNoWindow("FS98MAIN"));
    ASSERT_TRUE(test::WaitForNoWindow("UIPCMAIN"));
    const std::string file = test::WindowsPath(VORN_SOURCE_DIR "/examples/hotkeys.vrn");
    test::ChildProgram vorn;
    std::string error;
    ASSERT_TRUE(vorn.Start(test::WindowsPath(VORN_VORN_PATH), {"--connect", file}, error)) << error;
    HWND window = nullptr;
    for (int i = 0; i < 1000 && window == nullptr; ++i) {
        window = FindWindowW(L"TForm1", Wide("Vorn - " + file).c_str());
        if (window == nullptr) Sleep(20);
    }
    ASSERT_NE(window, nullptr);
    HWND output = GetDlgItem(window, win32::kIdFirstMemo + static_cast<int>(kPageProgramOutput));
    HWND status = GetDlgItem(window, win32::kIdStatusLine);
    for (int i = 0; i < 500 && RemoteText(status) != "Waiting for the simulator"; ++i) Sleep(10);
    EXPECT_EQ(RemoteText(status), "Waiting for the simulator");
    Sleep(3000);
    EXPECT_EQ(RemoteText(output), "Waiting for the simulator (no FSUIPC window yet)") << "said once";
    SimProcess sim;
    ASSERT_TRUE(sim.Start(test::WindowsPath(VORN_SIM_PATH), {}, error, 15000)) << error;
    bool registered = false;
    for (int i = 0; i < 500 && !registered; ++i) {
        registered = sim.Command("keys").rfind("3 hot keys:", 0) == 0;
        if (!registered) Sleep(20);
    }
    ASSERT_TRUE(registered) << RemoteText(output);
    EXPECT_EQ(sim.Command("press Ctrl+G"), "pressed Ctrl+G (71,2): 1 hot key flagged");
    std::string text;
    for (int i = 0; i < 500 && text.find("Ctrl+G pressed 1 times") == std::string::npos; ++i) {
        Sleep(20);
        text = RemoteText(output);
    }
    EXPECT_EQ(text,
              "Waiting for the simulator (no FSUIPC window yet)\r\nConnected to FSUIPC 7.4.16 (simulator: MSFS)\r\n"
              "Ctrl+G pressed 1 times");
    EXPECT_EQ(RemoteText(status).rfind("Connected to FSUIPC 7.4.16 (simulator: MSFS)", 0), 0u) << RemoteText(status);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(vorn.Finish(20000), 0);
    EXPECT_EQ(sim.Command("keys"), "no hot keys registered") << "closing disconnected";
    EXPECT_EQ(sim.Command("quit", 20000), "bye");
    EXPECT_EQ(sim.Wait(20000), 0);
}

// vorn.exe itself: started with a file, its caption names it; F9 puts the
// syntax error on the "Compiler" page.
TEST(VornExe, OpensItsFileAndF9ShowsTheSyntaxError) {
    TempFile file("vorn_exe_f9.vrn", "int x\r\nx = 1;\r\n");
    test::ChildProgram vorn;
    std::string error;
    ASSERT_TRUE(vorn.Start(test::WindowsPath(VORN_VORN_PATH), {file.path}, error)) << error;
    HWND window = nullptr;
    const std::string caption = "Vorn - " + file.path;
    for (int i = 0; i < 1000 && window == nullptr; ++i) {
        window = FindWindowW(L"TForm1", Wide(caption).c_str());
        if (window == nullptr) Sleep(20);
    }
    ASSERT_NE(window, nullptr) << "no window captioned " << caption;
    HWND editor = GetDlgItem(window, win32::kIdEditor);
    HWND compiler = GetDlgItem(window, win32::kIdFirstMemo + static_cast<int>(kPageCompiler));
    PostMessageW(editor, WM_KEYDOWN, VK_F9, 1);
    std::string listing;
    for (int i = 0; i < 1000 && listing.find("syntax error") == std::string::npos; ++i) {
        Sleep(20);
        wchar_t text[4096] = L"";  // GetWindowText does not ask another process's controls
        SendMessageTimeoutW(compiler, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 2000, nullptr);
        listing = Utf8(text);
    }
    EXPECT_NE(listing.find("syntax error"), std::string::npos) << listing;
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(vorn.Finish(20000), 0);
}

}  // namespace
}  // namespace vorn
