#include "workbench/window_core.h"

#include "machine/debug_mode.h"
#include "workbench/controller.h"
#include "workbench/text_search.h"
#include "workbench/toolbar_pictures.h"
#include "workbench/view.h"

namespace vorn {

std::string CaretLabel(int line, int column) {
    return "Line " + std::to_string(line + 1) + ": Char " + std::to_string(column + 1);
}

WindowCore::WindowCore(WorkbenchView& view, WindowHost& host, FileAccess& files, IpcLink& link, Machine& machine,
                       bool& debugMode)
    : view_(view),
      host_(host),
      files_(files),
      controller_(std::make_unique<WorkbenchController>(view, link, machine, debugMode)) {}

WindowCore::~WindowCore() = default;

void WindowCore::Start(const std::string& title) {
    fileName_.clear();
    modified_ = false;
    programTitle_ = title;
    view_.SetCompilePicture(kPicNotCompiled);
    controller_->StartUp();
}

void WindowCore::Run(Command command) {
    switch (command) {
        case Command::kNone:
            return;
        case Command::kFileNew:
            if (!SavePrompt()) return;
            // The text stays; it is only detached from its file.
            fileName_.clear();
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

bool WindowCore::MayClose() { return SavePrompt(); }

void WindowCore::Closing() {
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

}  // namespace vorn
