// The shared window cases (tests/workbench/window_cases.h) played through
// vorn.exe's window as a user meets it: menu commands as WM_COMMAND, tab
// clicks as the tab control's notification, typing into the editor; what it
// shows is read back through the controls' own messages.
#include <gtest/gtest.h>

#include <windows.h>
#undef AddAtom  // keep the transport's method name
#include <commctrl.h>
#include <richedit.h>

#include <memory>
#include <string>

#include "fsuipc/ipc.h"
#include "machine/machine.h"
#include "tests/workbench/window_cases.h"
#include "workbench/win32/form_main.h"
#include "workbench/win32/text.h"

namespace vorn {
namespace {

using win32::TForm1;
using win32::Utf8;
using win32::Wide;

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

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

class Win32Driver : public test::WindowDriver {
public:
    explicit Win32Driver(TForm1& form) : form_(form) {}

    void Run(Command command) override {
        SendMessageW(form_.Handle(), WM_COMMAND, MAKEWPARAM(win32::CommandId(command, ComponentKind::kMenuItem), 0), 0);
        Pump();
    }
    void Type(const std::vector<std::string>& lines) override {
        std::string text;
        for (std::size_t i = 0; i < lines.size(); ++i) text += (i ? "\r" : "") + lines[i];
        SendMessageW(form_.Editor(), EM_SETSEL, 0, -1);
        SendMessageW(form_.Editor(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(Wide(text).c_str()));
        Pump();
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
        Pump();
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
};

class Win32WindowCases : public ::testing::TestWithParam<std::size_t> {};

TEST_P(Win32WindowCases, Holds) {
    Machine machine(ProgramLink());
    TForm1 form(ProgramLink(), machine);
    form.Show(SW_SHOWNORMAL);
    Pump();
    Win32Driver driver(form);
    EXPECT_EQ(test::RunWindowCase(driver, test::kWindowCases[GetParam()]), "");
    form.Core().SetModified(false);  // no save prompt at the end
}

INSTANTIATE_TEST_SUITE_P(Table, Win32WindowCases, ::testing::Range<std::size_t>(0, test::kWindowCases.size()));

}  // namespace
}  // namespace vorn
