#pragma once
// The main window's rules without a toolkit: the file commands with their
// save prompt, Find and Search Again, the caret label, and the one dispatch
// from a command of the component table to what it does. Each window (Qt,
// Win32) implements the small interfaces below and routes its menus,
// buttons and editor notifications here.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "workbench/component_table.h"
#include "workbench/debug_panel.h"
#include "workbench/settings.h"
#include "workbench/source_text.h"
#include "workbench/toolbar_pictures.h"
#include "workbench/view.h"

namespace vorn {

class IpcLink;
class Machine;
class WorkbenchController;

enum class SaveAnswer { kYes, kNo, kCancel };

// The fields of "Options > Simulator Link...".
struct LinkDialogValues {
    std::string name;
    int timeoutMs = 0;
    int attempts = 0;
    bool reconnect = false;
    bool connectAtStart = false;
    bool oneExchangePerTick = false;
};

// The dialog's check boxes, in order; both windows lay them out from here.
struct LinkDialogSwitch {
    SettingId id;
    const char* label;       // with its & mnemonic
    const char* objectName;  // the Qt widget's name, for tests
    bool LinkDialogValues::*value;
};
inline constexpr LinkDialogSwitch kLinkDialogSwitches[] = {
    {SettingId::kReconnect, "&Reconnect automatically", "Reconnect", &LinkDialogValues::reconnect},
    {SettingId::kConnectAtStart, "&Connect when Vorn starts", "ConnectAtStart", &LinkDialogValues::connectAtStart},
    {SettingId::kOneExchangePerTick, "&One exchange per tick", "OneExchangePerTick",
     &LinkDialogValues::oneExchangePerTick},
};

// What only a toolkit can do: its dialogs and message boxes, the caption,
// painting the components the core addresses by Command and the pages it
// addresses by PageIndex, and the editor. The host keeps no state of the
// workbench; WindowCore does. Paths are UTF-8; editor text is UTF-8 lines,
// columns in UTF-16 units.
class WindowHost {
public:
    virtual ~WindowHost() = default;

    // The modal file dialogs; false when cancelled. `currentName` is the
    // file being edited (may be empty), for the save dialog to offer.
    virtual bool ChooseOpenPath(std::string& path) = 0;
    virtual bool ChooseSavePath(const std::string& currentName, std::string& path) = 0;
    // "Save File <name>" with Yes, No and Cancel (Escape is Cancel).
    virtual SaveAnswer AskSave(const std::string& title, const std::string& text) = 0;
    // A plain message box with OK.
    virtual void ShowMessage(const std::string& title, const std::string& text) = 0;
    // The application's standard error box.
    virtual void ShowError(const std::string& title, const std::string& text) = 0;
    virtual void SetCaption(const std::string& caption) = 0;

    // The modeless find dialog and what it holds.
    virtual void ShowFindDialog() = 0;
    virtual std::string FindText() const = 0;
    virtual bool FindMatchCase() const = 0;
    virtual void ShowAbout() = 0;
    // Hands a file to the system's viewer for its type (the browser for
    // HTML); false when none would take it.
    virtual bool OpenDocument(const std::string& path) = 0;
    // Help > FSUIPC Offsets...: the catalogue with a filter box (OffsetsBrowser);
    // a double-clicked row's declaration goes in at the editor's caret.
    virtual void ShowOffsets() = 0;
    // "Simulator Link": modal, filled with `values`; false when cancelled.
    // "Defaults" puts `defaults` in the fields.
    virtual bool EditLinkSettings(LinkDialogValues& values, const LinkDialogValues& defaults) = 0;

    // The components of a command: the check mark and caption of its menu
    // item, the hint and picture of its toolbar button; greyed out both.
    virtual void SetChecked(Command command, bool checked) = 0;
    virtual void SetEnabled(Command command, bool enabled) = 0;
    virtual void SetItemCaption(Command command, const std::string& caption) = 0;
    virtual void SetButtonHint(Command command, const std::string& hint) = 0;
    virtual void SetButtonPicture(Command command, int picture) = 0;
    // The recent-file items of "File": `captions` has one entry per item,
    // "" for an item that is not shown.
    virtual void SetRecentFiles(const std::vector<std::string>& captions) = 0;

    // The pages. Text has CR LF line ends. A page behaves as PageRulesOf says.
    virtual void SetPageText(PageIndex page, const std::string& text) = 0;
    // The pages that only grow.
    virtual void AppendPageLine(PageIndex page, const std::string& line) = 0;
    // Comes just before an AppendPageLine at the limit: the page's oldest
    // line goes and `note` is its first line (new when `noteIsNew`, else in
    // place of the note already shown) by the time that line is in.
    virtual void DropOldestPageLine(PageIndex page, const std::string& note, bool noteIsNew) = 0;
    virtual void ClearPage(PageIndex page) = 0;
    // For tests: a growing page keeps `limit` lines (and the note).
    virtual void SetPageLineLimit(PageIndex page, std::size_t limit) { (void)page, (void)limit; }
    // Shows or hides a page's tab; never the one on top.
    virtual void ShowPageTab(PageIndex page, bool shown) = 0;
    // Brings a shown page to the top.
    virtual void ShowPage(PageIndex page) = 0;

    // The editor. Putting lines in is not an edit.
    virtual std::vector<std::string> EditorLines() const = 0;
    virtual void SetEditorLines(const std::vector<std::string>& lines) = 0;
    virtual int CaretLine() const = 0;
    virtual int CaretColumn() const = 0;
    // Selects `length` units from (line, column), clamped to the text; the caret ends after them.
    virtual void SelectText(int line, int column, int length) = 0;
    virtual void SetCaretLabel(const std::string& text) = 0;
    virtual void FocusEditor() = 0;
    // An Edit menu command (kUndo .. kSelectAll) on a page's text control, as its own keys do it.
    virtual void EditPage(PageIndex page, Command command) = 0;
    // The Source page's gutter (shown or not) and the debugger's marks in it.
    virtual void SetSourceMarks(const std::vector<SourceMark>& marks, bool gutter) = 0;
    // Scrolls the editor so that a line (from 0) shows, the caret left where it is.
    virtual void RevealLine(int line) = 0;
    // A modal box asking for one line of text, filled with `value`; false when cancelled.
    virtual bool AskText(const std::string& title, const std::string& prompt, std::string& value) = 0;

    // The status line: the link's state, and a wait's text over it ("" gives
    // the link's state back).
    virtual void SetLinkStatus(const std::string& text) = 0;
    virtual void SetStatusText(const std::string& text) = 0;
    // The 100 ms timer; it runs from start to end, Connect starts it again.
    virtual void StartTimer() = 0;
    // Closes the window as its close box does (MayClose, then Closing).
    virtual void CloseWindow() = 0;
    // While an exchange waits for the simulator: handles the events that
    // are there (painting, the user's input) and returns at once.
    virtual void ProcessEvents() = 0;
    // Asks the window to close again later, from its own event loop.
    virtual void RequestClose() = 0;
};

// The platform's files. Paths are UTF-8.
class FileAccess {
public:
    virtual ~FileAccess() = default;

    struct ReadResult {
        bool ok = false;
        bool tooLarge = false;  // known to exceed the limit without reading it
        std::string bytes;      // at most limit + 1 bytes
        std::string error;  // the system's reason when !ok
    };
    // Reads the file, but never more than `limit + 1` bytes.
    virtual ReadResult Read(const std::string& path, std::size_t limit) = 0;
    // Writes beside the file and renames over it only when complete, so a full
    // disk or a missing permission leaves the old file as it was. False with
    // the system's reason otherwise; no temporary file is left behind.
    virtual bool WriteAtomically(const std::string& path, const std::string& bytes, std::string& error) = 0;
    virtual std::string AbsolutePath(const std::string& path) = 0;
    // The path as the user's system writes it (C:\dir\file on Windows).
    virtual std::string NativePath(const std::string& path) = 0;
    // Makes the file's folder the current folder, so #include "x.vrn" finds
    // files beside the one being edited.
    virtual void EnterFolderOf(const std::string& path) = 0;
};

// "Line 3: Char 7" for the caret at line 2, column 6 (both from 0).
std::string CaretLabel(int line, int column);

struct WatchRow;
// The "Watch" page's lines: a heading, then one line per global, in columns.
std::vector<std::string> WatchLines(const std::vector<WatchRow>& rows);

// Shown in the status line once an exchange has waited this long.
inline constexpr std::uint32_t kWaitingStatusMs = 1000;
// Disconnect or closing asked during an exchange lets it go on this long
// first: an ordinary exchange ends within it, and the hot keys can then
// still be withdrawn; only a stalled one is given up.
inline constexpr std::uint32_t kGiveUpAfterMs = 250;
inline constexpr const char* kWaitingStatusText = "Waiting for the simulator...";

// A rectangle on the screen, in the window's pixels.
struct ScreenRect {
    int left = 0, top = 0, width = 0, height = 0;
};
// Where the find dialog opens: in the window's lower right corner, clear of
// the editor's first lines where the first matches show.
ScreenRect FindDialogPlace(const ScreenRect& window, int dialogWidth, int dialogHeight);

// What "in an included file" says when a page line is double-clicked.
std::string IncludedPlaceMessage(const std::string& file, int line);

// Keeps a growing page to its last `limit` lines; the window mirrors the steps.
class BoundedPage {
public:
    explicit BoundedPage(std::size_t limit);
    // Appends one line through the host, dropping the oldest one first at the limit.
    void Append(WindowHost& host, PageIndex page, const std::string& line);
    void Clear() { kept_ = 0, dropped_ = 0; }
    std::size_t Kept() const { return kept_; }
    std::uint64_t Dropped() const { return dropped_; }

private:
    std::size_t limit_;
    std::size_t kept_ = 0;
    std::uint64_t dropped_ = 0;
};

// The controller's view for both windows: it keeps what the window shows
// (the compile record's picture, captions, check marks, which pages are
// shown and on top, their contents and line limits) and tells the host what
// to paint. Nothing is ever read back from a window but the editor's text.
class WindowCore : public WorkbenchView {
public:
    // The host, files, link and machine must outlive the core.
    WindowCore(WindowHost& host, FileAccess& files, IpcLink& link, Machine& machine, bool& debugMode);
    ~WindowCore();
    WindowCore(const WindowCore&) = delete;
    WindowCore& operator=(const WindowCore&) = delete;

    // The window's creation: no file, not modified, `title` as ProgramTitle,
    // then the controller's share, then the user's settings (none with
    // VORN_NO_SETTINGS=1): a damaged one is a line on "Program Output".
    void Start(const std::string& title);
    // `vorn [--connect] [FILE]`: opens FILE; with `connect` (or the setting
    // "Connect when Vorn starts") compiles it and, when that succeeds,
    // connects, waiting for a simulator that is not there yet.
    void StartWith(const std::string& file, bool connect);
    Settings& UserSettings() { return settings_; }
    // The window's place at close, kept for the next start.
    void RememberGeometry(int left, int top, int width, int height);

    // Carries out a command of the component table.
    void Run(Command command);

    // Loads a file into the editor as Open does after its dialog. A file that
    // cannot be read shows the error box and changes nothing; false then.
    bool OpenFile(const std::string& path);
    // The window is asked to close: true when it may (the save prompt said
    // so). While an exchange waits it may not yet: the wait is given up and
    // the window is asked again once it has ended.
    bool MayClose();
    // The window closes: the program's hot keys are withdrawn and the link closed.
    void Closing();

    // The find dialog's Find Next.
    void FindNext() { RunSearch(0); }
    // The user edited the text.
    void EditorChanged();
    // A key or mouse press moved the caret: the label shows it.
    void CaretMoved();

    // The window's 100 ms timer.
    void Tick();
    // The user brought a page to the top (a page index out of range is ignored).
    void PageSelected(int page);
    // The page on top.
    PageIndex CurrentPage() const { return currentPage_; }
    bool PageShown(PageIndex page) const { return pageShown_[page]; }
    // What a page shows, for pages replaced whole (the Watch page's lines).
    const std::string& PageText(PageIndex page) const { return pageText_[page]; }
    // A line of "Compiler" or "Program Output" was double-clicked: a
    // diagnostic or runtime error line leads to its source line.
    void PageLineDoubleClicked(int page, const std::string& line);
    // The controller's lines for "Program Output" and "Interpreter", kept to
    // their last lines; and the clearing at Connect.
    void AppendPageLine(PageIndex page, const std::string& line);
    void ClearPage(PageIndex page);
    // Lines appended to a growing page since it was last cleared, dropped ones included.
    std::uint64_t PageLinesAppended(PageIndex page) const {
        const BoundedPage& b = bounded_[static_cast<std::size_t>(page)];
        return b.Kept() + b.Dropped();
    }
    // For tests: a smaller limit than kPageLineLimit.
    void SetPageLineLimit(std::size_t limit);
    // The status line; every text the core shows there goes through here.
    void SetStatusText(const std::string& text);
    // An exchange with the simulator is under way (the window's events are
    // being handled inside its wait).
    bool Exchanging() const { return exchanging_ > 0; }

    WorkbenchController& Controller() { return *controller_; }
    const std::string& FileName() const { return fileName_; }
    bool Modified() const { return modified_; }
    void SetModified(bool modified) { modified_ = modified; }
    const std::string& ProgramTitle() const { return programTitle_; }

    // WorkbenchView: what the controller shows, kept here and painted by the host.
    void SetExpandedText(const std::string& text) override { SetPageText(kPageExpanded, text); }
    void SetCompilerText(const std::string& text) override { SetPageText(kPageCompiler, text); }
    void AppendOutputLine(const std::string& line) override { AppendPageLine(kPageProgramOutput, line); }
    void AppendInterpreterLine(const std::string& line) override { AppendPageLine(kPageInterpreter, line); }
    void ClearOutput() override { ClearPage(kPageProgramOutput); }
    void SelectPage(int index) override;
    void SetPageVisible(int index, bool visible) override;
    void SetCompilePicture(int picture) override;
    void SetConnectCaption(const std::string& caption) override;
    void SetRunHint(const std::string& hint) override;
    void SetRunPicture(int picture) override;
    void SetDebugCaption(const std::string& caption) override;
    void SetCompilerOutputChecked(bool checked) override { host_.SetChecked(Command::kCompilerOutput, checked); }
    std::vector<std::string> EditorLines() const override { return host_.EditorLines(); }
    void EnableTimer() override { host_.StartTimer(); }
    void ShowError(const std::string& message) override;
    void SetLinkStatus(const std::string& text) override { host_.SetLinkStatus(text); }
    void ProgramLoaded() override;

    // A click in the Source page's gutter beside a line (from 0).
    void GutterClicked(int line);
    // An edit replaced the editor's lines [first, first + removed) with [first, first + added).
    void EditorLinesReplaced(int first, int removed, int added);
    DebugPanel& Debugging() { return *debug_; }

    // What the toolbar shows: TBCompile's and TBRun's pictures, TBRun's hint, the menu's captions.
    int CompilePicture() const { return compilePicture_; }
    int RunPicture() const { return runPicture_; }
    const std::string& RunHint() const { return runHint_; }

private:
    enum class SaveOutcome { Saved, Cancelled, Failed };

    // Marks a call that may talk to the simulator; the last one to end
    // clears the waiting text and carries out what was asked for meanwhile.
    class ExchangeScope {
    public:
        explicit ExchangeScope(WindowCore& core) : core_(core) { ++core_.exchanging_; }
        ~ExchangeScope() { core_.ExchangeEnded(); }
        ExchangeScope(const ExchangeScope&) = delete;
        ExchangeScope& operator=(const ExchangeScope&) = delete;

    private:
        WindowCore& core_;
    };
    void ExchangeEnded();
    // The link's waiter: true gives the exchange up.
    bool Waiting(std::uint32_t waitedMs);
    // A command that came while an exchange waits.
    void RunWhileExchanging(Command command);

    void RunCommand(Command command);
    void EditOnTop(Command command);
    void RunDebugCommand(Command command);
    // The debugger's share of the window after a command or a tick: marks,
    // status line, run controls, the "Debugger" page.
    void UpdateDebugger();
    // The gutter and its marks, painted when they changed.
    void UpdateMarks();
    void ShowStatus();
    void PutStatus(const std::string& text);
    void EditVariable(const std::string& line);
    bool SavePrompt();
    SaveOutcome Save();
    SaveOutcome SaveAs();
    bool WriteEditorTo(const std::string& path);
    void EditLinkSettings();
    void OpenUserGuide();
    void OpenRecent(std::size_t index);
    void Remember(SettingId id, const std::string& value);
    std::vector<std::string> RecentFiles() const;
    void SetRecentFiles(const std::vector<std::string>& paths);
    void SetFileCaption();
    void RunSearch(int columnOffset);
    // Names the edited text in source places ("prog.vrn:6").
    void NameSource();
    // The "Watch" page: shown while connected, refreshed while on top.
    void UpdateWatch();
    BoundedPage* PageBuffer(PageIndex page);
    void SetPageText(PageIndex page, const std::string& text);
    static bool IsPage(int index) { return index >= 0 && index < kPageCount; }

    WindowHost& host_;
    FileAccess& files_;
    IpcLink& link_;
    std::unique_ptr<WorkbenchController> controller_;
    std::unique_ptr<DebugPanel> debug_;
    std::vector<SourceMark> marks_;
    bool gutter_ = false;
    struct RunControls {
        bool resume = false, step = false, pause = false;
        bool operator==(const RunControls&) const = default;
    };
    std::optional<RunControls> runControls_;  // as last told to the window
    std::string statusText_;  // the wait's text, over the stop and the link's state
    std::optional<std::string> shownStatus_;  // as last told to the window

    std::string fileName_;
    bool modified_ = false;
    std::string programTitle_;
    TextEncoding fileEncoding_ = TextEncoding::Utf8;
    bool loading_ = false;  // a file is being put into the editor
    bool watchShown_ = false;
    std::vector<BoundedPage> bounded_;  // per page; a limit of 0 for pages that do not grow
    PageIndex currentPage_ = kPageSource;
    std::array<bool, kPageCount> pageShown_{};
    std::array<std::string, kPageCount> pageText_;
    int compilePicture_ = kPicNotCompiled;
    int runPicture_ = kPicConnect;
    std::string runHint_;
    Settings settings_;
    std::unique_ptr<SettingsStore> store_;

    int exchanging_ = 0;
    bool giveUp_ = false;            // Disconnect or closing asked to end the wait
    bool disconnectQueued_ = false;  // carried out when the exchange has ended
    bool closeQueued_ = false;
    bool waitingShown_ = false;
};

}  // namespace vorn
