#pragma once
// TForm1 on Windows: the workbench's main window on the Win32 API. It builds
// its menus, accelerators, toolbar and pages from the component table,
// implements the view the controller talks to and the host the window core
// talks to, and routes every command to the core. What is here is what only
// Win32 can do; the rules live in workbench/.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "workbench/component_table.h"
#include "workbench/window_core.h"

namespace vorn {
class IpcLink;
class Machine;
class WorkbenchController;
}  // namespace vorn

namespace vorn::win32 {

class OffsetsDialog;
class RichEditor;

// Child control ids; menu items and toolbar buttons carry CommandId.
enum ControlId : int {
    kIdToolBar = 10,
    kIdPageControl = 11,
    kIdEditor = 12,
    kIdPanel = 13,
    kIdCaretLabel = 14,
    kIdStatusLine = 15,
    kIdFirstMemo = 20,  // + page index
};

// The WM_COMMAND id of a menu item or toolbar button of the component table.
int CommandId(const char* componentName);
// The id of the first menu item or toolbar button (by `kind`) that runs `command`; 0 for none.
int CommandId(Command command, ComponentKind kind);

// Files through the Win32 API: paths are UTF-8 on the outside, UTF-16 to the system.
class Win32Files : public FileAccess {
public:
    ReadResult Read(const std::string& path, std::size_t limit) override;
    bool WriteAtomically(const std::string& path, const std::string& bytes, std::string& error) override;
    std::string AbsolutePath(const std::string& path) override;
    std::string NativePath(const std::string& path) override;
    void EnterFolderOf(const std::string& path) override;
};

class TForm1 : public WindowHost {
public:
    // The link and the machine must outlive the window. Show puts it on screen.
    TForm1(IpcLink& link, Machine& machine);
    ~TForm1() override;
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    HWND Handle() const { return hwnd_; }
    HWND Editor() const;
    int EditorMarginX() const;
    // The text control of a page (the editor for "Source").
    HWND PageControlOf(int page) const;
    HWND Tabs() const { return tabs_; }
    HWND ToolBar() const { return toolBar_; }
    HWND CaretLabel() const { return caretLabel_; }
    HWND StatusLine() const { return statusLine_; }
    HWND FindDialogWindow() const { return findDialog_; }
    // The FSUIPC Offsets window, or null before it was first opened.
    const OffsetsDialog* Offsets() const { return offsets_.get(); }
    HACCEL Accelerators() const { return accelerators_; }
    WindowCore& Core() { return *core_; }

    void Show(int showCommand);
    bool OpenFile(const std::string& path) { return core_->OpenFile(path); }
    // Accelerators and the modeless find dialog: true when the message was
    // handled and must not be dispatched.
    bool PreTranslate(MSG& msg);

    // Brings a page to the top as its tab does.
    void SelectPage(int page) { core_->SelectPage(page); }

    // WindowHost.
    bool ChooseOpenPath(std::string& path) override;
    bool ChooseSavePath(const std::string& currentName, std::string& path) override;
    SaveAnswer AskSave(const std::string& title, const std::string& text) override;
    void ShowMessage(const std::string& title, const std::string& text) override;
    void ShowError(const std::string& title, const std::string& text) override;
    void SetCaption(const std::string& caption) override;
    void ShowFindDialog() override;
    std::string FindText() const override;
    bool FindMatchCase() const override;
    void ShowAbout() override;
    bool OpenDocument(const std::string& path) override;
    void ShowOffsets() override;
    bool EditLinkSettings(LinkDialogValues& values, const LinkDialogValues& defaults) override;
    void SetChecked(Command command, bool checked) override;
    void SetEnabled(Command command, bool enabled) override;
    void SetItemCaption(Command command, const std::string& caption) override;
    void SetButtonHint(Command command, const std::string& hint) override;
    void SetButtonPicture(Command command, int picture) override;
    void SetRecentFiles(const std::vector<std::string>& captions) override;
    void SetPageText(PageIndex page, const std::string& text) override;
    void AppendPageLine(PageIndex page, const std::string& line) override;
    void DropOldestPageLine(PageIndex page, const std::string& note, bool noteIsNew) override;
    void ClearPage(PageIndex page) override;
    void ShowPageTab(PageIndex page, bool shown) override;
    void ShowPage(PageIndex page) override;
    std::vector<std::string> EditorLines() const override;
    void SetEditorLines(const std::vector<std::string>& lines) override;
    int CaretLine() const override;
    int CaretColumn() const override;
    void SelectText(int line, int column, int length) override;
    void SetCaretLabel(const std::string& text) override;
    void FocusEditor() override;
    void EditPage(PageIndex page, Command command) override;
    void SetSourceMarks(const std::vector<SourceMark>& marks, bool gutter) override;
    void RevealLine(int line) override;
    bool AskText(const std::string& title, const std::string& prompt, std::string& value) override;
    // The editor's gutter and marks as last painted.
    const RichEditor& EditorControl() const;
    void SetLinkStatus(const std::string& text) override;
    void SetStatusText(const std::string& text) override;
    void StartTimer() override;
    void CloseWindow() override;
    void ProcessEvents() override;
    void RequestClose() override;

private:
    static LRESULT CALLBACK MemoProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);

    void BuildMenus();
    void BuildToolBar();
    void BuildPages();
    void Layout();
    // Fonts, toolbar pictures and sizes for the monitor's DPI (at start, and
    // when the window moves to a monitor of another DPI).
    void ApplyDpi(int dpi);
    int Px(int pixelsAt96) const;
    void RebuildTabs();
    int TabPage(int position) const;
    void ShowSelectedPage();
    HWND Memo(PageIndex page) const { return memos_[static_cast<std::size_t>(page)]; }
    bool FileDialog(bool save, const std::string& suggested, std::string& path);

    IpcLink& link_;
    Machine& machine_;
    Win32Files files_;
    std::unique_ptr<WindowCore> core_;

    HWND hwnd_ = nullptr;
    HWND toolBar_ = nullptr;
    HWND tabs_ = nullptr;
    HWND panel_ = nullptr;
    HWND caretLabel_ = nullptr;
    HWND statusLine_ = nullptr;  // one status bar: the link's state, or the wait's while one is on
    std::string linkStatus_;
    std::string waitStatus_;
    std::unique_ptr<RichEditor> editor_;
    std::vector<const Component*> pages_;  // in tab order
    std::vector<HWND> memos_;              // per page; none for "Source"
    std::vector<bool> pageVisible_;
    std::vector<WNDPROC> memoProcs_;  // the edit control's own, per page
    int selectedPage_ = kPageSource;  // the page painted on top
    HMENU menu_ = nullptr;
    HACCEL accelerators_ = nullptr;
    HIMAGELIST images_ = nullptr;
    int dpi_ = 96;
    HFONT windowFont_ = nullptr;
    HFONT watchFont_ = nullptr;
    HBRUSH background_ = nullptr;

    std::wstring runHint_;   // TBRun's hint, which changes with the link
    std::wstring hintText_;  // the tooltip's text while it is shown
    bool loading_ = false;   // the editor is being given new lines

    HWND findDialog_ = nullptr;
    FINDREPLACEW find_{};
    std::array<wchar_t, 256> findText_{};
    UINT findMessage_ = 0;

    std::unique_ptr<OffsetsDialog> offsets_;
};

// Runs the message loop until the window is gone; the exit code.
int RunMessageLoop(TForm1& form);

}  // namespace vorn::win32
