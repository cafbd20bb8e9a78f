#pragma once
// Table-driven cases of the window core's rules, shared by the core's own
// tests and the window tests of both toolkits (plain data, no test framework):
// line ends and searches, and the window cases that each window's driver
// plays through its real menus and controls (RunWindowCase).
#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "workbench/component_table.h"
#include "workbench/debug_panel.h"
#include "workbench/toolbar_pictures.h"
#include "workbench/view.h"

namespace vorn::test {

// File bytes and the editor lines they read as; writing the lines gives
// `written` back (CR LF after every line).
struct LineEndCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
    std::string written;
};

inline const std::vector<LineEndCase> kLineEndCases = {
    {"empty", "", {}, ""},
    {"one line, no end", "a", {"a"}, "a\r\n"},
    {"CR LF", "a\r\nb\r\n", {"a", "b"}, "a\r\nb\r\n"},
    {"LF", "a\nb", {"a", "b"}, "a\r\nb\r\n"},
    {"lone CR", "a\rb\r", {"a", "b"}, "a\r\nb\r\n"},
    {"blank lines kept", "\r\n\r\nx\r\n\r\n", {"", "", "x", ""}, "\r\n\r\nx\r\n\r\n"},
    {"LF CR is two ends", "a\n\rb", {"a", "", "b"}, "a\r\n\r\nb\r\n"},
    {"empty last line", "int a;\r\n\r\n", {"int a;", ""}, "int a;\r\n\r\n"},
    {"only an empty line", "\r\n", {""}, "\r\n"},
};

// A search from (row, col) for `text`; `expected` is "line:column" or the
// not-found message.
struct SearchCase {
    const char* name;
    std::vector<std::string> lines;
    std::string text;
    int col;
    bool matchCase;
    int row;
    std::string expected;
};

inline const std::vector<std::string> kSearchCode = {"int Alpha;", "alpha = 1;", "ALPHA = 2;"};

inline const std::vector<SearchCase> kSearchCases = {
    {"capitals find mixed case", kSearchCode, "ALPHA", 0, false, 0, "0:4"},
    {"match case skips other cases", kSearchCode, "ALPHA", 0, true, 0, "2:0"},
    {"match case exact", kSearchCode, "alpha", 0, true, 0, "1:0"},
    {"start column counts", {"abab"}, "ab", 1, false, 0, "0:2"},
    {"later lines from column 0", {"ab", "xab"}, "ab", 1, false, 0, "1:1"},
    {"caret beyond line end", {"ab", "ab"}, "a", 9, false, 0, "1:0"},
    {"never wraps", kSearchCode, "int", 0, false, 1, "int not found"},
    {"not found in lower case", kSearchCode, "ZZZ", 0, false, 0, "zzz not found"},
    {"not found as typed", kSearchCode, "ZZZ", 0, true, 0, "ZZZ not found"},
    {"empty search text", kSearchCode, "", 0, false, 0, " not found"},
    {"empty text", {}, "x", 0, false, 0, "x not found"},
    {"columns count UTF-16 units", {"\xc3\xa9t\xc3\xa9 caf\xc3\x89"}, "CAF\xc3\xa9", 0, false, 0, "0:4"},
    {"last column of the last line", {"ab"}, "b", 1, true, 0, "0:1"},
};

// Lines appended to "Program Output": all are kept; the newest is in view
// unless the reader scrolled to the top before the last one came.
struct GrowingPageCase {
    const char* name;
    int lines;
    bool scrolledUp;
};

inline const std::vector<GrowingPageCase> kGrowingPageCases = {
    {"every line kept, the newest in view", 1000, false},
    {"a reader who scrolled up keeps the view", 1000, true},
};

inline std::string GrowingPageLine(int index) { return "output line " + std::to_string(index + 1); }

// What a test can do in a real window and what it can see there, through
// the window's own controls (each toolkit's test writes one).
class WindowDriver {
public:
    virtual ~WindowDriver() = default;
    // As the user does: a command through its menu item, text typed over the
    // editor's whole text, a selection in the editor, a click on a tab.
    virtual void Run(Command command) = 0;
    virtual void Type(const std::vector<std::string>& lines) = 0;
    virtual void Select(int line, int column, int length) = 0;
    virtual void ClickTab(PageIndex page) = 0;
    // What the window shows.
    virtual std::vector<std::string> EditorLines() = 0;
    virtual std::string SelectedText() = 0;
    virtual bool TabShown(PageIndex page) = 0;
    virtual PageIndex PageOnTop() = 0;
    virtual std::string PageText(PageIndex page) = 0;
    virtual int ButtonPicture(Command command) = 0;
    virtual std::string ItemCaption(Command command) = 0;  // without its shortcut
    virtual bool Checked(Command command) = 0;
    virtual bool Enabled(Command command) = 0;
    // The debugger's share: the simulator's keys, the status line, the gutter.
    virtual void Press(const std::string& key) = 0;  // "Ctrl+G" in vorn-sim
    virtual void Pump(int ms) = 0;                   // runs the window's events
    virtual std::string StatusText() = 0;
    virtual std::vector<SourceMark> Marks() = 0;
    virtual bool GutterShown() = 0;
    // Double-clicks the "Debugger" page's line that starts with `start`
    // and answers the box that asks for a value with `value`.
    // Double-clicks the "Debugger" page's line that starts with `start`; a box that asks for text gets `value`.
    virtual void DoubleClickPageLine(const std::string& start, const std::string& value) = 0;
    virtual bool LineShown(int line) = 0;  // in the editor, from 0
    virtual int CaretLine() = 0;
    // Puts text ("\n" between lines) in place of the selection, as typing or pasting does.
    virtual void Insert(const std::string& text) = 0;
    virtual void ClickGutter(int line) = 0;  // beside the editor's line, from 0
    virtual void DeleteLines(int first, int count) = 0;  // selected whole and deleted
};

enum class Act {
    kRun,          // command
    kType,         // lines
    kSelect,       // line, column, length
    kClickTab,     // page
    kEditorIs,     // lines
    kEditorHas,    // text: a part of one of its lines
    kSelectionIs,  // text
    kTabShown,     // page, flag
    kOnTop,        // page
    kPageHas,      // page, text: a part of its text
    kPictureIs,    // command, number
    kCaptionIs,    // command, text
    kCheckedIs,    // command, flag
    kEnabledIs,    // command, flag
    kPress,        // text: a key in the simulator
    kAwaitStatus,  // text: a part of the status line, within 10 s
    kAwaitPage,    // page, text: a part of the page's text, within 10 s
    kMarkIs,       // number: line from 0, column: the SourceMark::Kind; flag: present
    kGutterIs,     // flag
    kDoubleClickLine,  // text: the "Debugger" page line's start, lines[0]: the answer to a text box
    kLineShown,    // number: the editor's line from 0, flag
    kCaretLineIs,  // number: from 0
    kInsert,       // text
    kClickGutter,  // number: the line from 0
    kDeleteLines,  // number: the first line from 0, column: how many
    kTypeFile,     // text: a file whose lines are typed
};

struct WindowStep {
    Act act = Act::kRun;
    Command command = Command::kNone;
    PageIndex page = kPageSource;
    int number = 0;  // a picture, or the line of kSelect
    int column = 0, length = 0;
    bool flag = false;
    std::string text;
    std::vector<std::string> lines;
};

inline WindowStep Step(Act act, Command command = Command::kNone, PageIndex page = kPageSource) {
    WindowStep s;
    s.act = act, s.command = command, s.page = page;
    return s;
}
inline WindowStep WithText(WindowStep s, std::string text) { return s.text = std::move(text), s; }
inline WindowStep WithLines(WindowStep s, std::vector<std::string> lines) { return s.lines = std::move(lines), s; }
inline WindowStep WithFlag(WindowStep s, bool flag) { return s.flag = flag, s; }

inline WindowStep Run(Command c) { return Step(Act::kRun, c); }
inline WindowStep Type(std::vector<std::string> lines) { return WithLines(Step(Act::kType), std::move(lines)); }
inline WindowStep Select(int line, int column, int length) {
    WindowStep s = Step(Act::kSelect);
    s.number = line, s.column = column, s.length = length;
    return s;
}
inline WindowStep ClickTab(PageIndex p) { return Step(Act::kClickTab, Command::kNone, p); }
inline WindowStep EditorIs(std::vector<std::string> lines) { return WithLines(Step(Act::kEditorIs), std::move(lines)); }
inline WindowStep EditorHas(std::string text) { return WithText(Step(Act::kEditorHas), std::move(text)); }
inline WindowStep SelectionIs(std::string text) { return WithText(Step(Act::kSelectionIs), std::move(text)); }
inline WindowStep TabShown(PageIndex p, bool shown) { return WithFlag(Step(Act::kTabShown, Command::kNone, p), shown); }
inline WindowStep OnTop(PageIndex p) { return Step(Act::kOnTop, Command::kNone, p); }
inline WindowStep PageHas(PageIndex p, std::string text) {
    return WithText(Step(Act::kPageHas, Command::kNone, p), std::move(text));
}
inline WindowStep PictureIs(Command c, int picture) {
    WindowStep s = Step(Act::kPictureIs, c);
    s.number = picture;
    return s;
}
inline WindowStep CaptionIs(Command c, std::string text) { return WithText(Step(Act::kCaptionIs, c), std::move(text)); }
inline WindowStep CheckedIs(Command c, bool on) { return WithFlag(Step(Act::kCheckedIs, c), on); }
inline WindowStep EnabledIs(Command c, bool on) { return WithFlag(Step(Act::kEnabledIs, c), on); }

inline WindowStep Press(std::string key) { return WithText(Step(Act::kPress), std::move(key)); }
inline WindowStep AwaitStatus(std::string text) { return WithText(Step(Act::kAwaitStatus), std::move(text)); }
inline WindowStep AwaitPage(PageIndex p, std::string text) {
    return WithText(Step(Act::kAwaitPage, Command::kNone, p), std::move(text));
}
inline WindowStep MarkIs(int line, SourceMark::Kind kind, bool present = true) {
    WindowStep s = WithFlag(Step(Act::kMarkIs), present);
    s.number = line, s.column = static_cast<int>(kind);
    return s;
}
inline WindowStep GutterIs(bool shown) { return WithFlag(Step(Act::kGutterIs), shown); }
inline WindowStep LineShown(int line, bool shown) {
    WindowStep s = WithFlag(Step(Act::kLineShown), shown);
    s.number = line;
    return s;
}
inline WindowStep Insert(std::string text) { return WithText(Step(Act::kInsert), std::move(text)); }
inline WindowStep ClickGutter(int line) {
    WindowStep s = Step(Act::kClickGutter);
    s.number = line;
    return s;
}
inline WindowStep TypeFile(std::string path) { return WithText(Step(Act::kTypeFile), std::move(path)); }
inline WindowStep DeleteLines(int first, int count) {
    WindowStep s = Step(Act::kDeleteLines);
    s.number = first, s.column = count;
    return s;
}
inline WindowStep CaretLineIs(int line) {
    WindowStep s = Step(Act::kCaretLineIs);
    s.number = line;
    return s;
}
inline WindowStep DoubleClickLine(std::string start, std::string value) {
    return WithLines(WithText(Step(Act::kDoubleClickLine), std::move(start)), {std::move(value)});
}

struct WindowCase {
    const char* name;
    std::vector<WindowStep> steps;
};

inline const std::vector<WindowCase> kWindowCases = {
    {"a fresh window: Source on top, not compiled, disconnected",
     {OnTop(kPageSource), TabShown(kPageSource, true), TabShown(kPageCompiler, true), TabShown(kPageProgramOutput, true),
      TabShown(kPageExpanded, false), TabShown(kPageInterpreter, false), TabShown(kPageWatch, false),
      PictureIs(Command::kCompile, kPicNotCompiled), PictureIs(Command::kConnect, kPicConnect),
      CaptionIs(Command::kConnect, "Connect"), CheckedIs(Command::kCompilerOutput, false),
      EnabledIs(Command::kReload, false)}},
    {"Debug shows the Expanded and Interpreter pages and hides them again",
     {Run(Command::kDebug), TabShown(kPageExpanded, true), TabShown(kPageInterpreter, true),
      CaptionIs(Command::kDebug, "Debug Off"), Run(Command::kDebug), TabShown(kPageExpanded, false),
      TabShown(kPageInterpreter, false), CaptionIs(Command::kDebug, "Debug On")}},
    {"a page on top that is hidden gives the top to Source",
     {Run(Command::kDebug), ClickTab(kPageInterpreter), OnTop(kPageInterpreter), Run(Command::kDebug),
      OnTop(kPageSource)}},
    {"a compile sets the picture and an edit clears it",
     {Type({"int a;"}), Run(Command::kCompile), PictureIs(Command::kCompile, kPicCompiled),
      Type({"int a;", "int b;"}), PictureIs(Command::kCompile, kPicNotCompiled)}},
    {"a syntax error is not compiled and shows on Compiler",
     {Type({"int a"}), Run(Command::kCompile), PictureIs(Command::kCompile, kPicNotCompiled),
      PageHas(kPageCompiler, "syntax error")}},
    {"Debug fills Expanded at the next compile",
     {Run(Command::kDebug), Type({"#define LIMIT 7", "int a = LIMIT;"}), Run(Command::kCompile),
      PageHas(kPageExpanded, "int a = 7;"), Run(Command::kDebug)}},
    {"Display Compiler Output is a check mark",
     {Run(Command::kCompilerOutput), CheckedIs(Command::kCompilerOutput, true), Run(Command::kCompilerOutput),
      CheckedIs(Command::kCompilerOutput, false)}},
    {"Cut and Paste move text, Undo and Redo take the paste back and again",
     {Type({"alpha beta"}), Select(0, 0, 6), Run(Command::kCut), EditorIs({"beta"}),
      PictureIs(Command::kCompile, kPicNotCompiled), Select(0, 4, 0), Run(Command::kPaste), EditorIs({"betaalpha "}),
      Run(Command::kUndo), EditorIs({"beta"}), Run(Command::kRedo), EditorIs({"betaalpha "})}},
    {"Copy leaves the text; Select All takes all of it",
     {Type({"one", "two"}), Run(Command::kSelectAll), SelectionIs("one\ntwo"), Select(0, 0, 3), Run(Command::kCopy),
      EditorIs({"one", "two"}), Select(1, 3, 0), Run(Command::kPaste), EditorIs({"one", "twoone"})}},
    {"Copy and Select All take a text page's lines; Cut and Paste leave it alone",
     {Type({"int a"}), Run(Command::kCompile), ClickTab(kPageCompiler), Run(Command::kSelectAll), Run(Command::kCut),
      PageHas(kPageCompiler, "syntax error"), Run(Command::kCopy), ClickTab(kPageSource), Select(0, 5, 0),
      Run(Command::kPaste), EditorHas("syntax error")}},
    {"Connect without a compiled program stays disconnected",
     {Type({"int a"}), Run(Command::kConnect), CaptionIs(Command::kConnect, "Connect"),
      PictureIs(Command::kConnect, kPicConnect), EnabledIs(Command::kReload, false)}},
};

// The debugger in the window, against a real vorn-sim: a breakpoint, the
// stop, a step, a variable changed on the "Debugger" page, Continue.
inline const std::vector<std::string> kCountProgram = {
    "int n;", "char msg[32];", "key(Control, 'G') {", "n = n + 1;", "sprintf(msg, \"count %d\", n)", "printstr(msg)", "}"};

inline const std::vector<std::string> kCallProgram = {
    "int n;", "char msg[32];", "Bump() {", "n = n + 2;", "}", "key(Control, 'G') {", "Bump();",
    "sprintf(msg, \"n is %d\", n)", "printstr(msg)", "}"};

// A key routine below more lines than the editor shows.
inline std::vector<std::string> LongProgram() {
    std::vector<std::string> lines(200, "");
    lines[0] = "int n;";
    lines[197] = "key(Control, 'G') {";
    lines[198] = "n = 5;";
    lines[199] = "}";
    return lines;
}

inline const std::vector<WindowCase> kDebuggerCases = {
#ifdef VORN_DEMO_FILE
    {"the demo stops in Status(), an edited local changes the line it prints",
     {TypeFile(VORN_DEMO_FILE), Select(22, 0, 0), Run(Command::kToggleBreakpoint), Run(Command::kCompile),
      Run(Command::kConnect), Press("Ctrl+S"), AwaitStatus("Stopped at untitled:23 (breakpoint) in key Ctrl+S"),
      ClickTab(kPageDebugger), AwaitPage(kPageDebugger, "  alt "), DoubleClickLine("  alt ", "12345"),
      Run(Command::kStepOver), AwaitStatus("Stopped at untitled:24 (step)"), Run(Command::kContinue),
      AwaitPage(kPageProgramOutput, "ALT 12345 ft"), Run(Command::kConnect)}},
#endif
    {"a breakpoint stops the key's routine, a step moves, an edited variable changes the output",
     {Type(kCountProgram), GutterIs(false), EnabledIs(Command::kContinue, false), EnabledIs(Command::kPause, false),
      Select(3, 0, 0), Run(Command::kToggleBreakpoint), GutterIs(true), MarkIs(3, SourceMark::Kind::kNoCode),
      Run(Command::kCompile), MarkIs(3, SourceMark::Kind::kBreakpoint), Run(Command::kConnect),
      TabShown(kPageDebugger, true), EnabledIs(Command::kPause, true), EnabledIs(Command::kStepOver, false),
      Press("Ctrl+G"), AwaitStatus("Stopped at untitled:4 (breakpoint) in key Ctrl+G"),
      MarkIs(3, SourceMark::Kind::kStopped), EnabledIs(Command::kContinue, true), EnabledIs(Command::kPause, false),
      ClickTab(kPageDebugger), PageHas(kPageDebugger, "Call stack of process"), PageHas(kPageDebugger, "key Ctrl+G"),
      Run(Command::kStepOver), AwaitStatus("Stopped at untitled:5 (step) in key Ctrl+G"),
      MarkIs(4, SourceMark::Kind::kStopped), MarkIs(3, SourceMark::Kind::kStopped, false),
      AwaitPage(kPageDebugger, "data $"), DoubleClickLine("  n ", "41"), Run(Command::kContinue),
      AwaitPage(kPageProgramOutput, "count 41"), EnabledIs(Command::kContinue, false),
      Run(Command::kToggleBreakpoint), Run(Command::kConnect), GutterIs(false)}},
    {"breakpoints go with their lines through edits, and with a line that is taken out",
     {Type(kCountProgram), Select(3, 0, 0), Run(Command::kToggleBreakpoint), Run(Command::kCompile),
      MarkIs(3, SourceMark::Kind::kBreakpoint), ClickGutter(5), MarkIs(5, SourceMark::Kind::kBreakpoint),
      Select(0, 0, 0), Insert("int a;\nint b;\n"), MarkIs(5, SourceMark::Kind::kNoCode),
      MarkIs(7, SourceMark::Kind::kNoCode), MarkIs(3, SourceMark::Kind::kNoCode, false), Run(Command::kCompile),
      MarkIs(5, SourceMark::Kind::kBreakpoint), Select(5, 4, 0), Insert("\n"), MarkIs(5, SourceMark::Kind::kNoCode),
      MarkIs(8, SourceMark::Kind::kNoCode), DeleteLines(0, 1), MarkIs(4, SourceMark::Kind::kNoCode),
      DeleteLines(4, 1), MarkIs(4, SourceMark::Kind::kNoCode, false), MarkIs(6, SourceMark::Kind::kNoCode),
      ClickGutter(6), GutterIs(false)}},
    {"Step Into enters the called routine, Step Out comes back to the caller",
     {Type(kCallProgram), Select(6, 0, 0), Run(Command::kToggleBreakpoint), Run(Command::kCompile),
      Run(Command::kConnect), Press("Ctrl+G"), AwaitStatus("Stopped at untitled:7 (breakpoint)"),
      Run(Command::kStepInto), AwaitStatus("Stopped at untitled:4 (step) in key Ctrl+G"),
      MarkIs(3, SourceMark::Kind::kStopped), ClickTab(kPageDebugger), AwaitPage(kPageDebugger, "#1"),
      DoubleClickLine("  #1", ""), OnTop(kPageSource), CaretLineIs(6), Run(Command::kStepOut), AwaitStatus("Stopped at untitled:7 (step)"),
      Run(Command::kContinue), AwaitPage(kPageProgramOutput, "n is 2"), Run(Command::kConnect)}},
    {"Disconnect ends a stop; the breakpoint stays for the next run",
     {Type(kCountProgram), Select(3, 0, 0), Run(Command::kToggleBreakpoint), Run(Command::kCompile),
      Run(Command::kConnect), Press("Ctrl+G"), AwaitStatus("Stopped at untitled:4 (breakpoint)"),
      Run(Command::kConnect), AwaitStatus("Disconnected"), EnabledIs(Command::kContinue, false),
      EnabledIs(Command::kStepOver, false), EnabledIs(Command::kPause, false),
      MarkIs(3, SourceMark::Kind::kStopped, false), MarkIs(3, SourceMark::Kind::kBreakpoint),
      Run(Command::kConnect), Press("Ctrl+G"), AwaitStatus("Stopped at untitled:4 (breakpoint)"),
      Run(Command::kContinue), AwaitPage(kPageProgramOutput, "count 1"), Run(Command::kConnect)}},
    {"Pause stops with no process (nothing to step) and a running sequence without breakpoints",
     {Type(kCountProgram), Run(Command::kCompile), Run(Command::kConnect), Run(Command::kPause),
      AwaitStatus("Stopped (pause)"), EnabledIs(Command::kContinue, true), EnabledIs(Command::kStepOver, false),
      Run(Command::kContinue), EnabledIs(Command::kPause, true), Run(Command::kConnect),
      Type({"int n;", "sequence Loop() {", "while (1) {", "printstr(\"looping\")", "wait(1)", "}", "}",
            "key(Control, 'G') {", "startseq Loop()", "}"}),
      Run(Command::kCompile), Run(Command::kConnect), TabShown(kPageDebugger, false), Press("Ctrl+G"),
      AwaitPage(kPageProgramOutput, "looping"), Run(Command::kPause), AwaitStatus("(pause) in sequence Loop"),
      TabShown(kPageDebugger, true), GutterIs(true), EnabledIs(Command::kStepOver, true), Run(Command::kContinue),
      EnabledIs(Command::kPause, true), Run(Command::kConnect)}},
    {"Reload while stopped runs the new program on; its breakpoints stop it again",
     {Type(kCountProgram), Select(3, 0, 0), Run(Command::kToggleBreakpoint), Run(Command::kCompile),
      Run(Command::kConnect), Press("Ctrl+G"), AwaitStatus("Stopped at untitled:4 (breakpoint)"),
      Select(4, 19, 0), Insert(" again"), Run(Command::kReload), AwaitStatus("Connected"),
      EnabledIs(Command::kContinue, false), MarkIs(3, SourceMark::Kind::kBreakpoint),
      Press("Ctrl+G"), AwaitStatus("Stopped at untitled:4 (breakpoint)"), Run(Command::kContinue),
      AwaitPage(kPageProgramOutput, "count again 1"), Run(Command::kConnect)}},
    {"a stop below the lines in view brings its line into view",
     {Type(LongProgram()), Select(198, 0, 0), Run(Command::kToggleBreakpoint), Select(0, 0, 0),
      LineShown(198, false), Run(Command::kCompile), Run(Command::kConnect), Press("Ctrl+G"),
      AwaitStatus("Stopped at untitled:199 (breakpoint)"), LineShown(198, true), LineShown(0, false),
      Run(Command::kContinue), Run(Command::kConnect)}},
};

// Plays a case through a driver: "" when every step held, else the first
// that did not, with what the window showed.
inline std::string RunWindowCase(WindowDriver& w, const WindowCase& c) {
    auto join = [](const std::vector<std::string>& lines) {
        std::string text;
        for (const std::string& line : lines) text += "[" + line + "]";
        return text;
    };
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
        const WindowStep& s = c.steps[i];
        std::string shown;
        bool held = true;
        switch (s.act) {
            case Act::kRun: w.Run(s.command); break;
            case Act::kType: w.Type(s.lines); break;
            case Act::kSelect: w.Select(s.number, s.column, s.length); break;
            case Act::kClickTab: w.ClickTab(s.page); break;
            case Act::kEditorIs:
                held = w.EditorLines() == s.lines;
                shown = join(w.EditorLines());
                break;
            case Act::kEditorHas:
                shown = join(w.EditorLines());
                held = shown.find(s.text) != std::string::npos;
                break;
            case Act::kSelectionIs:
                shown = w.SelectedText();
                held = shown == s.text;
                break;
            case Act::kTabShown:
                held = w.TabShown(s.page) == s.flag;
                shown = w.TabShown(s.page) ? "shown" : "hidden";
                break;
            case Act::kOnTop:
                held = w.PageOnTop() == s.page;
                shown = std::to_string(w.PageOnTop());
                break;
            case Act::kPageHas:
                shown = w.PageText(s.page);
                held = shown.find(s.text) != std::string::npos;
                break;
            case Act::kPictureIs:
                held = w.ButtonPicture(s.command) == s.number;
                shown = std::to_string(w.ButtonPicture(s.command));
                break;
            case Act::kCaptionIs:
                shown = w.ItemCaption(s.command);
                held = shown == s.text;
                break;
            case Act::kCheckedIs:
                held = w.Checked(s.command) == s.flag;
                shown = w.Checked(s.command) ? "checked" : "not checked";
                break;
            case Act::kEnabledIs:
                held = w.Enabled(s.command) == s.flag;
                shown = w.Enabled(s.command) ? "enabled" : "greyed";
                break;
            case Act::kPress: w.Press(s.text); break;
            case Act::kAwaitStatus:
            case Act::kAwaitPage:
                for (int n = 0; n < 100; ++n) {
                    shown = s.act == Act::kAwaitStatus ? w.StatusText() : w.PageText(s.page);
                    held = shown.find(s.text) != std::string::npos;
                    if (held) break;
                    w.Pump(100);
                }
                break;
            case Act::kMarkIs: {
                const SourceMark mark{s.number, static_cast<SourceMark::Kind>(s.column)};
                const std::vector<SourceMark> marks = w.Marks();
                held = (std::find(marks.begin(), marks.end(), mark) != marks.end()) == s.flag;
                for (const SourceMark& m : marks) shown += std::to_string(m.line) + ":" + std::to_string(int(m.kind)) + " ";
                break;
            }
            case Act::kGutterIs:
                held = w.GutterShown() == s.flag;
                shown = w.GutterShown() ? "a gutter" : "no gutter";
                break;
            case Act::kDoubleClickLine: w.DoubleClickPageLine(s.text, s.lines.at(0)); break;
            case Act::kInsert: w.Insert(s.text); break;
            case Act::kClickGutter: w.ClickGutter(s.number); break;
            case Act::kDeleteLines: w.DeleteLines(s.number, s.column); break;
            case Act::kTypeFile: {
                std::ifstream file(s.text);
                std::vector<std::string> lines;
                for (std::string line; std::getline(file, line);) {
                    if (!line.empty() && line.back() == '\r') line.pop_back();
                    lines.push_back(line);
                }
                held = !lines.empty();
                shown = "nothing read from " + s.text;
                w.Type(lines);
                break;
            }
            case Act::kCaretLineIs:
                held = w.CaretLine() == s.number;
                shown = "the caret on line " + std::to_string(w.CaretLine() + 1);
                break;
            case Act::kLineShown:
                held = w.LineShown(s.number) == s.flag;
                shown = "line " + std::to_string(s.number + 1) + (w.LineShown(s.number) ? " in view" : " out of view");
                break;
        }
        if (!held) return "step " + std::to_string(i + 1) + " of \"" + c.name + "\": the window shows " + shown;
    }
    return {};
}

}  // namespace vorn::test
