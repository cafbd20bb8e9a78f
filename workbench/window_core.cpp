#include "workbench/window_core.h"

#include <algorithm>

#include "fsuipc/ipc_link.h"
#include "machine/debug_mode.h"
#include "workbench/controller.h"
#include "workbench/ini_store.h"
#include "workbench/line_buffer.h"
#include "workbench/source_jump.h"
#include "workbench/text_search.h"
#include "workbench/toolbar_pictures.h"
#include "workbench/user_guide.h"
#include "workbench/view.h"
#include "workbench/column_text.h"
#include "workbench/watch_model.h"

namespace vorn {

std::string CaretLabel(int line, int column) {
    return "Line " + std::to_string(line + 1) + ": Char " + std::to_string(column + 1);
}

std::vector<std::string> WatchLines(const std::vector<WatchRow>& rows) {
    std::vector<std::vector<std::string>> cells = {{"Name", "Type", "Where", "Value"}};
    cells.reserve(rows.size() + 1);
    for (const WatchRow& r : rows) cells.push_back({r.name, r.type, r.where, r.value});
    return ColumnLines(cells);
}

ScreenRect FindDialogPlace(const ScreenRect& window, int dialogWidth, int dialogHeight) {
    constexpr int kMargin = 8;
    const int left = window.left + std::max(0, window.width - dialogWidth - kMargin);
    const int top = window.top + std::max(0, window.height - dialogHeight - kMargin);
    return {left, top, dialogWidth, dialogHeight};
}

std::string IncludedPlaceMessage(const std::string& file, int line) {
    return "The line is in the included file " + file + ", line " + std::to_string(line) + ".";
}

BoundedPage::BoundedPage(std::size_t limit) : limit_(limit == 0 ? 1 : limit) {}

void BoundedPage::Append(WindowHost& host, PageIndex page, const std::string& line) {
    if (kept_ >= limit_) {
        ++dropped_;
        host.DropOldestPageLine(page, DroppedLinesNote(dropped_), dropped_ == 1);
    } else {
        ++kept_;
    }
    host.AppendPageLine(page, line);
}

WindowCore::WindowCore(WindowHost& host, FileAccess& files, IpcLink& link, Machine& machine, bool& debugMode)
    : host_(host),
      files_(files),
      link_(link),
      controller_(std::make_unique<WorkbenchController>(*this, link, machine, debugMode)),
      debug_(std::make_unique<DebugPanel>(machine, link, *controller_)) {
    for (int page = 0; page < kPageCount; ++page) {
        bounded_.emplace_back(PageRulesOf(page).lineLimit);
        pageShown_[static_cast<std::size_t>(page)] = PageComponent(page)->visible;
    }
    link_.SetWaiter([this](std::uint32_t waitedMs) { return Waiting(waitedMs); });
}

WindowCore::~WindowCore() { link_.SetWaiter({}); }

void WindowCore::SetStatusText(const std::string& text) {
    statusText_ = text;
    ShowStatus();
}

void WindowCore::ShowStatus() {
    // A wait's text first, then the stop; "" gives the link's state back.
    PutStatus(!statusText_.empty() ? statusText_ : debug_->StopText());
}

void WindowCore::PutStatus(const std::string& text) {
    // Asked after every tick: the window repaints its status line only for a new text.
    if (shownStatus_ == text) return;
    shownStatus_ = text;
    host_.SetStatusText(text);
}

void WindowCore::ProgramLoaded() { debug_->Attach(); }

void WindowCore::GutterClicked(int line) {
    if (Exchanging()) return;
    ExchangeScope scope(*this);
    debug_->Toggle(line);
    UpdateDebugger();
}

void WindowCore::EditorLinesReplaced(int first, int removed, int added) {
    if (loading_) return;  // an opened file's text is new, not moved
    debug_->LinesReplaced(first, removed, added);
    if (!Exchanging()) UpdateMarks();
}

void WindowCore::RunDebugCommand(Command command) {
    switch (command) {
        case Command::kToggleBreakpoint:
            debug_->Toggle(host_.CaretLine());
            break;
        case Command::kContinue:
            debug_->Continue();
            break;
        case Command::kPause:
            if (controller_->Connected()) debug_->Pause();
            break;
        default: {
            std::string error;
            // The reason shows until the stop changes; it is no wait's text to keep.
            if (!debug_->Step(command, error)) PutStatus(error);
            break;
        }
    }
}

void WindowCore::UpdateDebugger() {
    const bool connected = controller_->Connected();
    const bool stopped = connected && debug_->Stopped();
    if (debug_->Update(connected) || !stopped) ShowStatus();
    // Told to the window when they change, not every tick.
    const RunControls controls{stopped, stopped && debug_->CanStep(), connected && !stopped};
    if (controls != runControls_) {
        runControls_ = controls;
        host_.SetEnabled(Command::kContinue, controls.resume);
        for (Command c : {Command::kStepOver, Command::kStepInto, Command::kStepOut}) host_.SetEnabled(c, controls.step);
        host_.SetEnabled(Command::kPause, controls.pause);
    }
    // The page is there while a running program has breakpoints or is stopped.
    const bool page = connected && (debug_->HasBreakpoints() || stopped);
    if (page != pageShown_[kPageDebugger]) SetPageVisible(kPageDebugger, page);
    UpdateMarks();
    // Reading the variables may cost an FSUIPC exchange: only for a page on top.
    if (page && currentPage_ == kPageDebugger) {
        SetPageText(kPageDebugger, JoinPageLines(debug_->PageLines()));
    }
}

void WindowCore::UpdateMarks() {
    std::vector<SourceMark> marks = debug_->Marks(controller_->Connected());
    const bool gutter = debug_->HasBreakpoints() || pageShown_[kPageDebugger];
    if (marks != marks_ || gutter != gutter_) {
        // A stop on another line brings it into view once; the user may scroll away from it.
        const std::optional<int> stop = StoppedLine(marks);
        if (stop && stop != StoppedLine(marks_)) host_.RevealLine(*stop);
        marks_ = marks;
        gutter_ = gutter;
        host_.SetSourceMarks(marks_, gutter_);
    }
}

void WindowCore::EditVariable(const std::string& line) {
    const std::optional<DebugPanel::Target> target = debug_->VariableOfLine(line);
    if (!target) return;
    std::string value = target->value;
    if (!host_.AskText(programTitle_, "New value of " + target->name + ":", value)) return;
    std::string error;
    if (!debug_->SetVariable(target->name, value, error)) host_.ShowMessage(programTitle_, error);
}

// While an exchange waits the window goes on: it paints, switches pages,
// edits; what would talk to the simulator waits its turn (see RunWhileExchanging).
bool WindowCore::Waiting(std::uint32_t waitedMs) {
    if (waitedMs >= kWaitingStatusMs && !waitingShown_) {
        waitingShown_ = true;
        SetStatusText(kWaitingStatusText);
    }
    if (!giveUp_) host_.ProcessEvents();
    return giveUp_ && waitedMs >= kGiveUpAfterMs;
}

void WindowCore::ExchangeEnded() {
    if (--exchanging_ > 0) return;
    giveUp_ = false;
    if (waitingShown_) {
        waitingShown_ = false;
        SetStatusText("");
    }
    if (disconnectQueued_) {
        disconnectQueued_ = false;
        ExchangeScope scope(*this);
        if (controller_->Connected()) controller_->SetConnected(false);
        UpdateWatch();
    }
    if (closeQueued_) {
        closeQueued_ = false;
        host_.RequestClose();
    }
}

void WindowCore::RunWhileExchanging(Command command) {
    switch (command) {
        case Command::kConnect:
            // Disconnect ends the wait at once; Connect waits for no one.
            if (!controller_->Connected()) return;
            giveUp_ = true;
            disconnectQueued_ = true;
            return;
        case Command::kCompile:
        case Command::kDebug:
        case Command::kReload:
            return;  // they would start, step or reload a program in the middle of a tick
        default:
            RunCommand(command);  // no link in these
            return;
    }
}

constexpr SettingId kRecentKeys[] = {SettingId::kRecentFile1, SettingId::kRecentFile2, SettingId::kRecentFile3,
                                     SettingId::kRecentFile4};

void WindowCore::Start(const std::string& title) {
    fileName_.clear();
    modified_ = false;
    programTitle_ = title;
    controller_->ShowCompiled(false);
    host_.SetCaretLabel("***");  // as the form's components are reset at creation
    controller_->StartUp();
    controller_->UseSettings(&settings_);
    controller_->SetAnnounceConnect(true);
    std::vector<std::string> messages;
    store_ = OpenUserSettings();
    if (store_) settings_.Load(*store_, messages);
    settings_.AttachStore(store_.get());
    for (const std::string& line : messages) AppendOutputLine(line);
    if (settings_.Switch(SettingId::kReconnect) != controller_->ReconnectEnabled()) controller_->ToggleReconnect();
    host_.SetChecked(Command::kReconnect, controller_->ReconnectEnabled());
    SetRecentFiles(RecentFiles());
    host_.SetEnabled(Command::kReload, false);  // only a running program can be reloaded
    UpdateDebugger();
}

void WindowCore::StartWith(const std::string& file, bool connect) {
    if (file.empty() || !OpenFile(file)) return;
    if (!connect && !settings_.Switch(SettingId::kConnectAtStart)) return;
    ExchangeScope scope(*this);
    controller_->Compile();
    if (controller_->Compiled()) controller_->ConnectOrWait();
    UpdateWatch();
}

void WindowCore::Remember(SettingId id, const std::string& value) {
    std::string error;
    // A settings file that cannot be written must not stop the window.
    if (!settings_.Change(id, value, error)) AppendOutputLine(error);
}

void WindowCore::RememberGeometry(int left, int top, int width, int height) {
    if (!store_) return;
    const std::pair<SettingId, int> place[] = {{SettingId::kWindowLeft, left},
                                               {SettingId::kWindowTop, top},
                                               {SettingId::kWindowWidth, width},
                                               {SettingId::kWindowHeight, height}};
    for (const auto& [id, value] : place) {
        std::string reason;
        // A window dragged beyond the table's range is not remembered there.
        if (CheckSetting(InfoOf(id), std::to_string(value), reason)) Remember(id, std::to_string(value));
    }
}

std::vector<std::string> WindowCore::RecentFiles() const {
    std::vector<std::string> paths;
    for (SettingId id : kRecentKeys) {
        const std::string path = settings_.Text(id);
        if (!path.empty()) paths.push_back(path);
    }
    return paths;
}

void WindowCore::SetRecentFiles(const std::vector<std::string>& paths) {
    std::vector<std::string> captions;
    for (std::size_t i = 0; i < std::size(kRecentKeys); ++i) {
        const std::string path = i < paths.size() ? paths[i] : std::string();
        if (settings_.Stored(kRecentKeys[i]) != path) Remember(kRecentKeys[i], path);
        captions.push_back(path.empty() ? std::string() : "&" + std::to_string(i + 1) + " " + files_.NativePath(path));
    }
    host_.SetRecentFiles(captions);
}

void WindowCore::OpenRecent(std::size_t index) {
    std::vector<std::string> paths = RecentFiles();
    if (index >= paths.size()) return;
    if (!SavePrompt()) return;
    const std::string path = paths[index];
    if (!files_.Read(path, 0).ok) {
        paths.erase(paths.begin() + static_cast<std::ptrdiff_t>(index));
        SetRecentFiles(paths);
        host_.ShowMessage(programTitle_, "The file " + files_.NativePath(path) +
                                             " is no longer there; it is taken off the list of recent files.");
        return;
    }
    OpenFile(path);
}

void WindowCore::OpenUserGuide() {
    const std::string guide = UserGuidePath();
    if (guide.empty()) {
        host_.ShowMessage(programTitle_, "The user's guide (guide.html) is not installed beside Vorn.");
    } else if (!host_.OpenDocument(guide)) {
        host_.ShowMessage(programTitle_, "Cannot open " + guide);
    }
}

void WindowCore::EditLinkSettings() {
    LinkDialogValues values{settings_.Text(SettingId::kIpcName), int(settings_.Number(SettingId::kIpcTimeoutMs)),
                            int(settings_.Number(SettingId::kIpcAttempts))};
    const auto fallback = [](SettingId id) { return std::string(InfoOf(id).defaultValue); };
    LinkDialogValues defaults{fallback(SettingId::kIpcName), std::stoi(fallback(SettingId::kIpcTimeoutMs)),
                              std::stoi(fallback(SettingId::kIpcAttempts))};
    for (const LinkDialogSwitch& s : kLinkDialogSwitches) {
        values.*s.value = settings_.Switch(s.id);
        defaults.*s.value = fallback(s.id) == "true";
    }
    values.reconnect = controller_->ReconnectEnabled();
    if (!host_.EditLinkSettings(values, defaults)) return;
    // Each value passes the table's check, or the dialog says which one failed.
    std::vector<std::pair<SettingId, std::string>> chosen = {
        {SettingId::kIpcName, values.name},
        {SettingId::kIpcTimeoutMs, std::to_string(values.timeoutMs)},
        {SettingId::kIpcAttempts, std::to_string(values.attempts)}};
    for (const LinkDialogSwitch& s : kLinkDialogSwitches) chosen.emplace_back(s.id, values.*s.value ? "true" : "false");
    for (const auto& [id, value] : chosen) {
        std::string reason;
        if (!CheckSetting(InfoOf(id), value, reason)) {
            ShowError(std::string(InfoOf(id).key) + ": " + reason);
            return;
        }
    }
    for (const auto& [id, value] : chosen) Remember(id, value);
    if (values.reconnect != controller_->ReconnectEnabled()) controller_->ToggleReconnect();
    host_.SetChecked(Command::kReconnect, controller_->ReconnectEnabled());
}

void WindowCore::Run(Command command) {
    // Closing asks MayClose, which a scope of our own would answer with "later".
    if (command == Command::kExit) {
        RunCommand(command);
        return;
    }
    if (Exchanging()) {
        RunWhileExchanging(command);
        return;
    }
    ExchangeScope scope(*this);
    RunCommand(command);
    UpdateWatch();
    UpdateDebugger();
}

void WindowCore::RunCommand(Command command) {
    switch (command) {
        case Command::kNone:
            return;
        case Command::kFileNew:
            if (!SavePrompt()) return;
            // The text stays; it is only detached from its file.
            fileName_.clear();
            NameSource();
            SetFileCaption();
            return;
        case Command::kFileOpen: {
            if (!SavePrompt()) return;
            std::string path;
            if (host_.ChooseOpenPath(path)) OpenFile(path);
            return;
        }
        case Command::kFileSave:
            Save();
            return;
        case Command::kFileSaveAs:
            SaveAs();
            return;
        case Command::kRecentFile1:
        case Command::kRecentFile2:
        case Command::kRecentFile3:
        case Command::kRecentFile4:
            OpenRecent(static_cast<std::size_t>(command) - static_cast<std::size_t>(Command::kRecentFile1));
            return;
        case Command::kExit:
            host_.CloseWindow();
            return;
        case Command::kContinue:
        case Command::kPause:
        case Command::kStepOver:
        case Command::kStepInto:
        case Command::kStepOut:
        case Command::kToggleBreakpoint:
            RunDebugCommand(command);
            return;
        case Command::kUndo:
        case Command::kRedo:
        case Command::kCut:
        case Command::kCopy:
        case Command::kPaste:
        case Command::kSelectAll:
            EditOnTop(command);
            return;
        case Command::kSimulatorLink:
            EditLinkSettings();
            return;
        case Command::kFind:
            host_.ShowFindDialog();
            return;
        case Command::kSearchAgain:
            RunSearch(1);
            return;
        case Command::kCompile:
            controller_->Compile();
            debug_->Compiled();
            return;
        case Command::kConnect:
            controller_->ToggleConnection();
            return;
        case Command::kReload:
            controller_->Reload();
            debug_->Compiled();
            return;
        case Command::kDebug:
            controller_->ToggleDebug();
            return;
        case Command::kCompilerOutput:
            controller_->ToggleCompilerOutput();
            return;
        case Command::kReconnect:
            controller_->ToggleReconnect();
            host_.SetChecked(Command::kReconnect, controller_->ReconnectEnabled());
            Remember(SettingId::kReconnect, controller_->ReconnectEnabled() ? "true" : "false");
            return;
        case Command::kUserGuide:
            OpenUserGuide();
            return;
        case Command::kOffsets:
            host_.ShowOffsets();
            return;
        case Command::kAbout:
            host_.ShowAbout();
            return;
    }
}

void WindowCore::EditOnTop(Command command) {
    // The editor takes every edit; the other pages are records, which only give their text.
    if (currentPage_ == kPageSource) {
        host_.EditPage(kPageSource, command);
    } else if (command == Command::kCopy || command == Command::kSelectAll) {
        host_.EditPage(currentPage_, command);
    }
}

void WindowCore::SetFileCaption() {
    host_.SetCaption(programTitle_ + " - " + (fileName_.empty() ? std::string() : files_.NativePath(fileName_)));
}

void WindowCore::ShowError(const std::string& message) { host_.ShowError(programTitle_, message); }

void WindowCore::SetCompilePicture(int picture) {
    compilePicture_ = picture;
    host_.SetButtonPicture(Command::kCompile, picture);
}

void WindowCore::SetRunPicture(int picture) {
    runPicture_ = picture;
    host_.SetButtonPicture(Command::kConnect, picture);
}

void WindowCore::SetRunHint(const std::string& hint) {
    runHint_ = hint;
    host_.SetButtonHint(Command::kConnect, hint);
}

void WindowCore::SetConnectCaption(const std::string& caption) { host_.SetItemCaption(Command::kConnect, caption); }

void WindowCore::SetDebugCaption(const std::string& caption) { host_.SetItemCaption(Command::kDebug, caption); }

void WindowCore::SelectPage(int index) {
    if (!IsPage(index) || !pageShown_[static_cast<std::size_t>(index)]) return;
    const auto page = static_cast<PageIndex>(index);
    if (page != currentPage_) {
        currentPage_ = page;
        host_.ShowPage(page);
    }
    // A page chosen outside a command is read now; inside one, when it ends.
    if ((page == kPageWatch || page == kPageDebugger) && !Exchanging()) {
        ExchangeScope scope(*this);
        UpdateWatch();
        UpdateDebugger();
    }
}

void WindowCore::SetPageVisible(int index, bool visible) {
    if (!IsPage(index)) return;
    const auto page = static_cast<PageIndex>(index);
    // The page on top goes away: the first page takes over, in both windows alike.
    if (!visible && page == currentPage_) SelectPage(kPageSource);
    pageShown_[static_cast<std::size_t>(page)] = visible;
    host_.ShowPageTab(page, visible);
}

void WindowCore::SetPageText(PageIndex page, const std::string& text) {
    std::string& shown = pageText_[static_cast<std::size_t>(page)];
    // Read-only pages are rewritten every tick: unchanged text must not make them flicker.
    if (PageRulesOf(page).readOnly && text == shown) return;
    shown = text;
    host_.SetPageText(page, text);
}

bool WindowCore::SavePrompt() {
    if (!modified_) return true;
    const std::string name = fileName_.empty() ? std::string() : files_.NativePath(fileName_);
    switch (host_.AskSave(programTitle_, "Save File " + name)) {
        case SaveAnswer::kYes:
            // A cancelled file dialog lets the command go on; a failed write
            // ends it, so the text is still there to be saved elsewhere.
            return Save() != SaveOutcome::Failed;
        case SaveAnswer::kNo:
            return true;
        case SaveAnswer::kCancel:
            break;
    }
    return false;
}

bool WindowCore::OpenFile(const std::string& path) {
    // Read first: a file that cannot be read must leave the name, the caption
    // and the compile picture alone, or the next Save would write this text
    // over the file that failed to open.
    const std::string shown = "Cannot open file \"" + files_.NativePath(path) + "\". ";
    FileAccess::ReadResult read = files_.Read(path, kMaxSourceFileBytes);
    if (!read.ok) {
        ShowError(shown + read.error);
        return false;
    }
    if (read.tooLarge || read.bytes.size() > kMaxSourceFileBytes) {
        ShowError(shown + "The file is larger than " + std::to_string(kMaxSourceFileBytes / (1024 * 1024)) + " MB.");
        return false;
    }
    if (const std::string problem = EditorLimitProblem(read.bytes); !problem.empty()) {
        ShowError(shown + problem);
        return false;
    }
    SourceText text = DecodeSourceText(read.bytes);
    read.bytes.clear();

    fileName_ = files_.AbsolutePath(path);
    NameSource();
    controller_->ShowCompiled(false);
    SetFileCaption();
    files_.EnterFolderOf(fileName_);
    fileEncoding_ = text.encoding;
    loading_ = true;
    host_.SetEditorLines(text.lines);
    loading_ = false;
    debug_->ClearBreakpoints();
    UpdateMarks();
    modified_ = false;  // the edits answered "No" to are gone with the old text
    std::vector<std::string> recent = RecentFiles();
    recent.erase(std::remove(recent.begin(), recent.end(), fileName_), recent.end());
    recent.insert(recent.begin(), fileName_);
    if (recent.size() > std::size(kRecentKeys)) recent.resize(std::size(kRecentKeys));
    SetRecentFiles(recent);
    return true;
}

WindowCore::SaveOutcome WindowCore::Save() {
    if (fileName_.empty()) return SaveAs();
    if (!WriteEditorTo(fileName_)) return SaveOutcome::Failed;
    modified_ = false;
    return SaveOutcome::Saved;
}

WindowCore::SaveOutcome WindowCore::SaveAs() {
    std::string path;
    if (!host_.ChooseSavePath(fileName_, path)) return SaveOutcome::Cancelled;
    fileName_ = files_.AbsolutePath(path);
    NameSource();
    SetFileCaption();
    files_.EnterFolderOf(fileName_);
    if (!WriteEditorTo(fileName_)) return SaveOutcome::Failed;
    modified_ = false;
    return SaveOutcome::Saved;
}

bool WindowCore::WriteEditorTo(const std::string& path) {
    const std::string bytes = EncodeSourceText(host_.EditorLines(), fileEncoding_);
    std::string reason;
    if (!files_.WriteAtomically(path, bytes, reason)) {
        ShowError("Cannot create file \"" + files_.NativePath(path) + "\". " + reason);
        return false;
    }
    return true;
}

bool WindowCore::MayClose() {
    if (Exchanging()) {
        giveUp_ = true;
        closeQueued_ = true;
        return false;
    }
    return SavePrompt();
}

void WindowCore::Closing() {
    ExchangeScope scope(*this);
    // Withdraw the program's hot keys and close the link: left registered,
    // they would stay in the simulator after Vorn has gone.
    controller_->SetConnected(false);
}

void WindowCore::RunSearch(int columnOffset) {
    const int row = host_.CaretLine();
    const int col = host_.CaretColumn() + columnOffset;
    const SearchResult result = Search(host_.EditorLines(), host_.FindText(), col, host_.FindMatchCase(), row);
    if (!result.found) {
        host_.ShowMessage(programTitle_, NotFoundMessage(result));
        return;
    }
    host_.SelectText(result.line, result.column, result.length);
}

void WindowCore::EditorChanged() {
    // Putting an opened file into the editor is not an edit.
    if (loading_) return;
    controller_->SourceChanged();
}

void WindowCore::CaretMoved() { host_.SetCaretLabel(CaretLabel(host_.CaretLine(), host_.CaretColumn())); }

void WindowCore::NameSource() {
    // Open and Save As make the file's folder the current one, so the name
    // alone is what the user knows it by; includes are also looked for beside
    // the file wherever the current folder is.
    const std::size_t slash = fileName_.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? fileName_ : fileName_.substr(slash + 1);
    controller_->SetSourceName(name, fileName_);
    debug_->SetFileName(name);
}

void WindowCore::Tick() {
    if (Exchanging()) return;  // one tick at a time: the one waiting goes on
    ExchangeScope scope(*this);
    controller_->TimerTick();
    UpdateWatch();
    UpdateDebugger();
}

void WindowCore::PageSelected(int page) {
    // Bringing a page to the top from here comes back from a window as this call.
    if (!IsPage(page) || page == currentPage_) return;
    currentPage_ = static_cast<PageIndex>(page);
    if ((page != kPageWatch && page != kPageDebugger) || Exchanging()) return;
    ExchangeScope scope(*this);
    UpdateWatch();
    UpdateDebugger();
}

void WindowCore::UpdateWatch() {
    const bool connected = controller_->Connected();
    if (connected != watchShown_) {
        watchShown_ = connected;
        host_.SetEnabled(Command::kReload, connected);
        SetPageVisible(kPageWatch, connected);
    }
    // Reading the values costs an FSUIPC exchange: only for a page on top.
    if (!connected || currentPage_ != kPageWatch) return;
    SetPageText(kPageWatch, JoinPageLines(WatchLines(controller_->WatchRows())));
}

void WindowCore::PageLineDoubleClicked(int page, const std::string& line) {
    if (page == kPageDebugger) {
        if (Exchanging()) return;
        ExchangeScope scope(*this);
        // A stack line leads to its line; a variable's line asks for its new value.
        if (const std::optional<int> at = debug_->PageLineClicked(line)) {
            SelectPage(kPageSource);
            host_.SelectText(*at, 0, 0);
            host_.FocusEditor();
        } else {
            EditVariable(line);
        }
        UpdateDebugger();
        return;
    }
    if (!IsPage(page) || !PageRulesOf(page).jumpsToSource) return;
    // A diagnostic belongs to the last compile, which a failed reload did not run.
    const bool listingPage = PageComponent(page)->page == PageKind::kListing;
    ProgramMap listing;
    if (listingPage) listing.lines = controller_->ListingLines();
    const std::optional<SourcePlace> place = PlaceOfPageLine(listingPage ? listing : controller_->Program(), line);
    if (!place || place->line < 1) return;
    if (!place->mainFile) {
        host_.ShowMessage(programTitle_, IncludedPlaceMessage(place->file, place->line));
        return;
    }
    SelectPage(kPageSource);
    host_.SelectText(place->line - 1, 0, 0);
    host_.FocusEditor();
}

BoundedPage* WindowCore::PageBuffer(PageIndex page) {
    if (!IsPage(page) || PageRulesOf(page).lineLimit == 0) return nullptr;
    return &bounded_[static_cast<std::size_t>(page)];
}

void WindowCore::AppendPageLine(PageIndex page, const std::string& line) {
    if (BoundedPage* buffer = PageBuffer(page)) buffer->Append(host_, page, line);
}

void WindowCore::ClearPage(PageIndex page) {
    if (BoundedPage* buffer = PageBuffer(page)) {
        buffer->Clear();
        host_.ClearPage(page);
    }
}

void WindowCore::SetPageLineLimit(std::size_t limit) {
    for (int page = 0; page < kPageCount; ++page) {
        if (PageRulesOf(page).lineLimit == 0) continue;
        bounded_[static_cast<std::size_t>(page)] = BoundedPage(limit);
        host_.SetPageLineLimit(static_cast<PageIndex>(page), limit);
    }
}

}  // namespace vorn
