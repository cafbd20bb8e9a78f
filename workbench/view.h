#pragma once
// What the workbench controller tells the window that hosts it. WindowCore
// implements it for both windows (and paints through their WindowHost);
// `vornc run` has a headless one; tests record calls.
#include <string>
#include <vector>

#include "preprocessor/memory_stream.h"

namespace vorn {

// Page indices of the page control, in tab order (the order of the pages in
// the component table).
enum PageIndex : int {
    kPageSource = 0,
    kPageExpanded = 1,
    kPageCompiler = 2,
    kPageInterpreter = 3,
    kPageProgramOutput = 4,
    kPageWatch = 5,
    kPageDebugger = 6,
    kPageCount = 7,
};

class WorkbenchView {
public:
    virtual ~WorkbenchView() = default;

    // Replace the whole text of the "Expanded" page (MMExpanded).
    virtual void SetExpandedText(const std::string& text) = 0;
    // The same from the expander's buffer; a view without the page skips
    // the copy, which for a large text is the size of the text again.
    virtual void ShowExpandedBuffer(const MemoryStream& expanded) { SetExpandedText(expanded.Text()); }
    // Replace the whole text of the "Compiler" page (MMCompilerDebug).
    virtual void SetCompilerText(const std::string& text) = 0;
    // Append one line to "Program Output" (MMOutput).
    virtual void AppendOutputLine(const std::string& line) = 0;
    // Append one line to "Interpreter" (MMInterpretDebug).
    virtual void AppendInterpreterLine(const std::string& line) = 0;
    virtual void ClearOutput() = 0;

    virtual void SelectPage(int index) = 0;
    // Show or hide the tab of one page ("Expanded", "Interpreter" and "Watch" are hidden at times).
    virtual void SetPageVisible(int index, bool visible) = 0;

    // Picture of TBCompile: kPicNotCompiled or kPicCompiled. The controller
    // keeps the record itself; it never reads a picture back.
    virtual void SetCompilePicture(int index) = 0;
    // Caption of MNConnect, hint and picture of TBRun.
    virtual void SetConnectCaption(const std::string& caption) = 0;
    virtual void SetRunHint(const std::string& hint) = 0;
    virtual void SetRunPicture(int index) = 0;
    // Caption of MNDebug.
    virtual void SetDebugCaption(const std::string& caption) = 0;
    // Check mark of DisplayCompilerOutput1.
    virtual void SetCompilerOutputChecked(bool checked) = 0;

    // The editor's lines, without line ends.
    virtual std::vector<std::string> EditorLines() const = 0;
    // Appends the editor's lines to `source`, each followed by CR LF. A view
    // that holds its text in one piece overrides it: a text of millions of
    // lines is then never a vector of strings.
    virtual void WriteEditorText(MemoryStream& source) const {
        for (const std::string& line : EditorLines()) {
            source.Write(line);
            source.Write("\r\n");
        }
    }
    // The window's Modified flag, set by every edit.
    virtual void SetModified(bool modified) = 0;
    // The 100 ms timer; it runs from start to end, Connect enables it again.
    virtual void EnableTimer() = 0;

    // The application's standard error box, for an error that ends a command.
    virtual void ShowError(const std::string& message) = 0;

    // A line about the link: why Connect failed, a lost link, a reconnect.
    // A window shows it on "Program Output" with the program's own lines.
    virtual void ShowLinkMessage(const std::string& line) { AppendOutputLine(line); }
    // The status line: the link's state ("Connected to FSUIPC ...", "Link lost ...").
    virtual void SetLinkStatus(const std::string& text) { static_cast<void>(text); }
    // The machine has loaded the program (Connect, a reconnect, a reload): a debugger places its breakpoints.
    virtual void ProgramLoaded() {}
};

}  // namespace vorn
