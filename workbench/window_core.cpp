#include "workbench/window_core.h"

#include <algorithm>

#include "fsuipc/ipc_link.h"
#include "machine/debug_mode.h"
#include "workbench/controller.h"
#include "workbench/line_buffer.h"
#include "workbench/source_jump.h"
#include "workbench/text_search.h"
#include "workbench/toolbar_pictures.h"
#include "workbench/view.h"
#include "workbench/watch_model.h"

namespace vorn {

std::string CaretLabel(int line, int column) {
    return "Line " + std::to_string(line + 1) + ": Char " + std::to_string(column + 1);
}

std::vector<std::string> WatchLines(const std::vector<WatchRow>& rows) {
    std::size_t name = 4, type = 4, where = 5;  // the headings' widths
    for (const WatchRow& r : rows) {
        name = std::max(name, r.name.size());
        type = std::max(type, r.type.size());
        where = std::max(where, r.where.size());
    }
    auto line = [&](const std::string& a, const std::string& b, const std::string& c, const std::string& d) {
        std::string text = a;
        text.resize(name + 2, ' ');
        text += b;
        text.resize(name + 2 + type + 2, ' ');
        text += c;
        text.resize(name + 2 + type + 2 + where + 2, ' ');
        return text + d;
    };
    std::vector<std::string> lines;
    lines.reserve(rows.size() + 1);
    lines.push_back(line("Name", "Type", "Where", "Value"));
    for (const WatchRow& r : rows) lines.push_back(line(r.name, r.type, r.where, r.value));
    return lines;
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

void BoundedPage::Append(WindowHost& host, int page, const std::string& line) {
    if (kept_ >= limit_) {
        ++dropped_;
        host.DropOldestPageLine(page, DroppedLinesNote(dropped_), dropped_ == 1);
    } else {
        ++kept_;
    }
    host.AppendPageLine(page, line);
}

WindowCore::WindowCore(WorkbenchView& view, WindowHost& host, FileAccess& files, IpcLink& link, Machine& machine,
                       bool& debugMode)
    : view_(view),
      host_(host),
      files_(files),
      link_(link),
      controller_(std::make_unique<WorkbenchController>(view, link, machine, debugMode)),
      output_(kPageLineLimit),
      interpreter_(kPageLineLimit) {
    link_.SetWaiter([this](std::uint32_t waitedMs) { return Waiting(waitedMs); });
}

WindowCore::~WindowCore() { link_.SetWaiter({}); }

void WindowCore::SetStatusText(const std::string& text) { host_.SetStatusText(text); }

// While an exchange waits the window goes on: it paints, switches pages,
// edits; what would talk to the simulator waits its turn (see RunWhileExchanging).
bool WindowCore::Waiting(std::uint32_t waitedMs) {
    if (waitedMs >= kWaitingStatusMs && !waitingShown_) {
        waitingShown_ = true;
        SetStatusText(kWaitingStatusText);
    }
    if (!giveUp_) host_.ProcessEvents();
    return giveUp_;
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

void WindowCore::Start(const std::string& title) {
    fileName_.clear();
    modified_ = false;
    programTitle_ = title;
    view_.SetCompilePicture(kPicNotCompiled);
    controller_->StartUp();
    host_.SetEnabled(Command::kReload, false);  // only a running program can be reloaded
}

void WindowCore::Run(Command command) {
    if (Exchanging()) {
        RunWhileExchanging(command);
        return;
    }
    ExchangeScope scope(*this);
    RunCommand(command);
    UpdateWatch();
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
        case Command::kFind:
            host_.ShowFindDialog();
            return;
        case Command::kSearchAgain:
            RunSearch(1);
            return;
        case Command::kCompile:
            controller_->Compile();
            return;
        case Command::kConnect:
            controller_->ToggleConnection();
            return;
        case Command::kReload:
            controller_->Reload();
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
            return;
        case Command::kAbout:
            host_.ShowAbout();
            return;
    }
}

void WindowCore::SetFileCaption() {
    host_.SetCaption(programTitle_ + " - " + (fileName_.empty() ? std::string() : files_.NativePath(fileName_)));
}

void WindowCore::ShowError(const std::string& message) { view_.ShowError(message); }

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
    SourceText text = DecodeSourceText(read.bytes);
    read.bytes.clear();

    fileName_ = files_.AbsolutePath(path);
    NameSource();
    view_.SetCompilePicture(kPicNotCompiled);
    SetFileCaption();
    files_.EnterFolderOf(fileName_);
    fileEncoding_ = text.encoding;
    loading_ = true;
    host_.SetEditorLines(text.lines);
    loading_ = false;
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
    const std::string bytes = EncodeSourceText(view_.EditorLines(), fileEncoding_);
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
    const SearchResult result = Search(view_.EditorLines(), host_.FindText(), col, host_.FindMatchCase(), row);
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
    controller_->SetSourceName(slash == std::string::npos ? fileName_ : fileName_.substr(slash + 1), fileName_);
}

void WindowCore::Tick() {
    if (Exchanging()) return;  // one tick at a time: the one waiting goes on
    ExchangeScope scope(*this);
    controller_->TimerTick();
    UpdateWatch();
}

void WindowCore::PageSelected(int page) {
    if (page != kPageWatch || Exchanging()) return;
    ExchangeScope scope(*this);
    UpdateWatch();
}

void WindowCore::UpdateWatch() {
    const bool connected = controller_->Connected();
    if (connected != watchShown_) {
        watchShown_ = connected;
        host_.SetEnabled(Command::kReload, connected);
        view_.SetPageVisible(kPageWatch, connected);
    }
    // Reading the values costs an FSUIPC exchange: only for a page on top.
    if (connected && host_.CurrentPage() == kPageWatch) host_.SetWatchLines(WatchLines(controller_->WatchRows()));
}

void WindowCore::PageLineDoubleClicked(int page, const std::string& line) {
    if (page != kPageCompiler && page != kPageProgramOutput) return;
    // A diagnostic belongs to the last compile, which a failed reload did not run.
    ProgramMap listing;
    if (page == kPageCompiler) listing.lines = controller_->ListingLines();
    const std::optional<SourcePlace> place =
        PlaceOfPageLine(page == kPageCompiler ? listing : controller_->Program(), line);
    if (!place || place->line < 1) return;
    if (!place->mainFile) {
        host_.ShowMessage(programTitle_, IncludedPlaceMessage(place->file, place->line));
        return;
    }
    view_.SelectPage(kPageSource);
    host_.SelectText(place->line - 1, 0, 0);
    host_.FocusEditor();
}

BoundedPage* WindowCore::PageBuffer(int page) {
    if (page == kPageProgramOutput) return &output_;
    if (page == kPageInterpreter) return &interpreter_;
    return nullptr;
}

void WindowCore::AppendPageLine(int page, const std::string& line) {
    if (BoundedPage* buffer = PageBuffer(page)) buffer->Append(host_, page, line);
}

void WindowCore::ClearPage(int page) {
    if (BoundedPage* buffer = PageBuffer(page)) {
        buffer->Clear();
        host_.ClearPage(page);
    }
}

void WindowCore::SetPageLineLimit(std::size_t limit) {
    output_ = BoundedPage(limit);
    interpreter_ = BoundedPage(limit);
}

}  // namespace vorn
