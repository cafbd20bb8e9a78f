#pragma once
// A view without a window, for `vornc run` and for tools: the editor holds
// lines given up front, "Program Output" lines go to one stream and
// "Interpreter" lines to another as they arrive, and everything else is kept
// so that the caller can look at it after each command.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "workbench/toolbar_pictures.h"
#include "workbench/view.h"

namespace vorn {

class HeadlessView : public WorkbenchView {
public:
    // output and trace may be null to keep the lines only in memory.
    HeadlessView(std::vector<std::string> editorLines, std::FILE* output, std::FILE* trace);

    // There is no "Expanded" page to show it on, and the text may be 256 MB.
    void SetExpandedText(const std::string&) override {}
    void ShowExpandedBuffer(const MemoryStream&) override {}
    void SetCompilerText(const std::string& text) override { compilerText_ = text; }
    void AppendOutputLine(const std::string& line) override;
    void AppendInterpreterLine(const std::string& line) override;
    void ClearOutput() override { outputLines_ = 0; }

    void SelectPage(int index) override { page_ = index; }
    void SetPageVisible(int index, bool visible) override;

    void SetCompilePicture(int index) override { compilePicture_ = index; }
    // The picture last set; the controller keeps its own record.
    int CompilePicture() const { return compilePicture_; }
    void SetConnectCaption(const std::string& caption) override { connectCaption_ = caption; }
    void SetRunHint(const std::string& hint) override { runHint_ = hint; }
    void SetRunPicture(int index) override { runPicture_ = index; }
    void SetDebugCaption(const std::string& caption) override { debugCaption_ = caption; }
    void SetCompilerOutputChecked(bool checked) override { compilerOutputChecked_ = checked; }

    std::vector<std::string> EditorLines() const override;
    void WriteEditorText(MemoryStream& source) const override;
    // The text the next Compile or Reload reads.
    void SetEditorLines(const std::vector<std::string>& lines);
    // The same, as the lines of DecodedSourceLines: each ended by LF.
    void SetEditorText(std::string lines) { editorText_ = std::move(lines); }
    void SetModified(bool modified) override { modified_ = modified; }
    void EnableTimer() override { timerEnabled_ = true; }

    void ShowError(const std::string& message) override { errors_.push_back(message); }
    // Kept apart from the program's output: a tool reports them its own way.
    void ShowLinkMessage(const std::string& line) override { linkMessages_.push_back(line); }

    // What the commands left behind.
    const std::string& CompilerText() const { return compilerText_; }
    // Lines on "Program Output" since it was last cleared.
    int OutputLineCount() const { return outputLines_; }
    int SelectedPage() const { return page_; }
    bool PageVisible(int index) const;
    const std::string& ConnectCaption() const { return connectCaption_; }
    const std::string& DebugCaption() const { return debugCaption_; }
    int RunPicture() const { return runPicture_; }
    bool CompilerOutputChecked() const { return compilerOutputChecked_; }
    bool Modified() const { return modified_; }
    bool TimerEnabled() const { return timerEnabled_; }
    // Messages of the error box, oldest first; TakeErrors empties the list.
    const std::vector<std::string>& Errors() const { return errors_; }
    std::vector<std::string> TakeErrors();
    // Lines about the link since the last call, oldest first.
    std::vector<std::string> TakeLinkMessages();

private:
    std::string editorText_;  // every line followed by LF
    std::FILE* output_;
    std::FILE* trace_;
    std::string compilerText_;
    int outputLines_ = 0;
    int page_ = kPageSource;
    bool visible_[kPageCount] = {true, false, true, false, true, false};
    int compilePicture_ = kPicNotCompiled;
    int runPicture_ = kPicConnect;
    std::string connectCaption_ = "Connect";
    std::string runHint_ = "Connect";
    std::string debugCaption_ = "Debug";
    bool compilerOutputChecked_ = false;
    bool modified_ = false;
    bool timerEnabled_ = true;
    std::vector<std::string> errors_;
    std::vector<std::string> linkMessages_;
};

}  // namespace vorn
