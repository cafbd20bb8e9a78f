// The shared window cases (tests/workbench/window_cases.h) played through
// vorn.exe's window as a user meets it: menu commands as WM_COMMAND, tab
// clicks as the tab control's notification, typing into the editor; what it
// shows is read back through the controls' own messages.
#include <gtest/gtest.h>

#include <windows.h>
#undef AddAtom  // keep the transport's method name
#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <memory>
#include <string>

#include "fsuipc/ipc.h"
#include "machine/machine.h"
#include "sim/sim_process.h"
#include "tests/windows/sim_exe.h"
#include "tests/windows/wine_path.h"
#include "tests/windows/window_test_support.h"
#include "workbench/win32/ask_text.h"
#include "workbench/win32/rich_editor.h"
#include "tests/workbench/window_cases.h"
#include "workbench/win32/form_main.h"
#include "workbench/win32/text.h"

namespace vorn {
namespace {

using win32::TForm1;
using win32::Utf8;
using win32::Wide;

void PumpMessages() { test::PumpWindowMessages(); }

std::string Unix(std::string text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

// Answers the next dialog box that opens on this thread with `text` in its field and OK.
class TextAnswerer {
public:
    explicit TextAnswerer(std::string text) : text_(std::move(text)) {}

private:
    void Activated(HWND box) {
        HWND field = GetDlgItem(box, win32::kIdAskText);
        if (done_ || field == nullptr) return;
        done_ = true;
        SetWindowTextW(field, Wide(text_).c_str());
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    std::string text_;
    bool done_ = false;
    test::ActivationHook hook_{[this](HWND box) { Activated(box); }};
};

class Win32Driver : public test::WindowDriver {
public:
    Win32Driver(TForm1& form, SimProcess* sim) : form_(form), sim_(sim) {}

    void Run(Command command) override {
        SendMessageW(form_.Handle(), WM_COMMAND, MAKEWPARAM(win32::CommandId(command, ComponentKind::kMenuItem), 0), 0);
        PumpMessages();
    }
    void Type(const std::vector<std::string>& lines) override {
        std::string text;
        for (std::size_t i = 0; i < lines.size(); ++i) text += (i ? "\r" : "") + lines[i];
        SendMessageW(form_.Editor(), EM_SETSEL, 0, -1);
        SendMessageW(form_.Editor(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(Wide(text).c_str()));
        PumpMessages();
    }
    void Select(int line, int column, int length) override {
        const auto start = static_cast<LONG>(SendMessageW(form_.Editor(), EM_LINEINDEX, static_cast<WPARAM>(line), 0)) + column;
        CHARRANGE range{start, start + length};
        SendMessageW(form_.Editor(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    }
    void ClickTab(PageIndex page) override {
        const int count = static_cast<int>(SendMessageW(form_.Tabs(), TCM_GETITEMCOUNT, 0, 0));
        for (int position = 0; position < count; ++position) {
            if (TabPage(position) != page) continue;
            SendMessageW(form_.Tabs(), TCM_SETCURSEL, static_cast<WPARAM>(position), 0);
            NMHDR header{form_.Tabs(), static_cast<UINT_PTR>(GetDlgCtrlID(form_.Tabs())), static_cast<UINT>(TCN_SELCHANGE)};
            SendMessageW(form_.Handle(), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
        }
        PumpMessages();
    }

    std::vector<std::string> EditorLines() override { return form_.EditorLines(); }
    std::string SelectedText() override {
        CHARRANGE range{};
        SendMessageW(form_.Editor(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
        std::wstring text(static_cast<std::size_t>(range.cpMax - range.cpMin) + 1, L'\0');
        const LRESULT n = SendMessageW(form_.Editor(), EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(n));
        return Unix(Utf8(text));
    }
    bool TabShown(PageIndex page) override {
        const int count = static_cast<int>(SendMessageW(form_.Tabs(), TCM_GETITEMCOUNT, 0, 0));
        for (int position = 0; position < count; ++position)
            if (TabPage(position) == page) return true;
        return false;
    }
    PageIndex PageOnTop() override {
        return static_cast<PageIndex>(TabPage(static_cast<int>(SendMessageW(form_.Tabs(), TCM_GETCURSEL, 0, 0))));
    }
    std::string PageText(PageIndex page) override { return Unix(win32::WindowText(form_.PageControlOf(page))); }
    int ButtonPicture(Command command) override {
        return static_cast<int>(SendMessageW(form_.ToolBar(), TB_GETBITMAP,
                                             static_cast<WPARAM>(win32::CommandId(command, ComponentKind::kToolButton)), 0));
    }
    std::string ItemCaption(Command command) override {
        wchar_t text[128] = L"";
        GetMenuStringW(GetMenu(form_.Handle()), static_cast<UINT>(win32::CommandId(command, ComponentKind::kMenuItem)),
                       text, 128, MF_BYCOMMAND);
        const std::string caption = Utf8(text);
        return caption.substr(0, caption.find('\t'));
    }
    bool Checked(Command command) override { return (MenuState(command) & MF_CHECKED) != 0; }
    bool Enabled(Command command) override { return (MenuState(command) & MF_GRAYED) == 0; }
    void Press(const std::string& key) override {
        if (sim_ != nullptr) sim_->Command("press " + key);
    }
    void Pump(int ms) override { test::PumpWindowMessages(ms); }
    std::string StatusText() override { return win32::WindowText(form_.StatusLine()); }
    std::vector<SourceMark> Marks() override { return form_.EditorControl().Marks(); }
    bool GutterShown() override { return form_.EditorControl().GutterShown(); }
    bool LineShown(int line) override { return form_.EditorControl().LineShown(line); }
    int CaretLine() override { return form_.CaretLine(); }
    void Insert(const std::string& text) override {
        std::string lines = text;
        std::replace(lines.begin(), lines.end(), '\n', '\r');  // RichEdit's line end
        SendMessageW(form_.Editor(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(Wide(lines).c_str()));
        PumpMessages();
    }
    void DeleteLines(int first, int count) override {
        const LRESULT from = SendMessageW(form_.Editor(), EM_LINEINDEX, static_cast<WPARAM>(first), 0);
        const LRESULT to = SendMessageW(form_.Editor(), EM_LINEINDEX, static_cast<WPARAM>(first + count), 0);
        SendMessageW(form_.Editor(), EM_SETSEL, static_cast<WPARAM>(from), to);
        SendMessageW(form_.Editor(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
        PumpMessages();
    }
    void ClickGutter(int line) override {
        POINTL at{};
        const LRESULT start = SendMessageW(form_.Editor(), EM_LINEINDEX, static_cast<WPARAM>(line), 0);
        SendMessageW(form_.Editor(), EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), start);
        const LPARAM point = MAKELPARAM(2, at.y + 2);
        SendMessageW(form_.Editor(), WM_LBUTTONDOWN, MK_LBUTTON, point);
        SendMessageW(form_.Editor(), WM_LBUTTONUP, 0, point);
        PumpMessages();
    }
    void DoubleClickPageLine(const std::string& start, const std::string& value) override {
        HWND memo = form_.PageControlOf(kPageDebugger);
        const std::wstring text = Wide(win32::WindowText(memo));
        const std::wstring wanted = Wide(start);
        std::size_t at = text.rfind(L"\n" + wanted);
        if (text.compare(0, wanted.size(), wanted) == 0) at = 0;
        else if (at != std::wstring::npos) ++at;
        else return;
        TextAnswerer answer(value);
        SendMessageW(memo, EM_SETSEL, at + 2, at + 2);
        const LRESULT point = SendMessageW(memo, EM_POSFROMCHAR, at + 2, 0);
        SendMessageW(memo, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
        SendMessageW(memo, WM_LBUTTONUP, 0, point);
        PumpMessages();
    }

private:
    int TabPage(int position) {
        TCITEMW item{};
        item.mask = TCIF_PARAM;
        if (!SendMessageW(form_.Tabs(), TCM_GETITEMW, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&item))) return -1;
        return static_cast<int>(item.lParam);
    }
    UINT MenuState(Command command) {
        return GetMenuState(GetMenu(form_.Handle()), static_cast<UINT>(win32::CommandId(command, ComponentKind::kMenuItem)),
                            MF_BYCOMMAND);
    }

    TForm1& form_;
    SimProcess* sim_;
};

class Win32WindowCases : public ::testing::TestWithParam<std::size_t> {};

TEST_P(Win32WindowCases, Holds) {
    Machine machine(ProgramLink());
    TForm1 form(ProgramLink(), machine);
    form.Show(SW_SHOWNORMAL);
    PumpMessages();
    Win32Driver driver(form, nullptr);
    EXPECT_EQ(test::RunWindowCase(driver, test::kWindowCases[GetParam()]), "");
    form.Core().SetModified(false);  // no save prompt at the end
}

INSTANTIATE_TEST_SUITE_P(Table, Win32WindowCases, ::testing::Range<std::size_t>(0, test::kWindowCases.size()));

class Win32DebuggerCases : public ::testing::TestWithParam<std::size_t> {};

TEST_P(Win32DebuggerCases, HoldAgainstVornSim) {
    ASSERT_TRUE(test::WaitForNoWindow("FS98MAIN"));
    SimProcess sim;
    std::string error;
    ASSERT_TRUE(sim.Start(test::WindowsPath(VORN_SIM_PATH), {}, error, 15000)) << error;
    Machine machine(ProgramLink());
    TForm1 form(ProgramLink(), machine);
    form.Show(SW_SHOWNORMAL);
    PumpMessages();
    Win32Driver driver(form, &sim);
    EXPECT_EQ(test::RunWindowCase(driver, test::kDebuggerCases[GetParam()]), "");
    form.Core().SetModified(false);
    form.Core().Closing();  // withdraws the hot keys
    EXPECT_EQ(sim.Command("quit"), "bye");
}

INSTANTIATE_TEST_SUITE_P(Table, Win32DebuggerCases, ::testing::Range<std::size_t>(0, test::kDebuggerCases.size()));

}  // namespace
}  // namespace vorn
