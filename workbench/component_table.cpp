#include "workbench/component_table.h"

#include <cstring>
#include <string_view>

#include "workbench/line_buffer.h"
#include "workbench/toolbar_pictures.h"

namespace vorn {
namespace {

using K = ComponentKind;
using C = Command;
using P = PageKind;

constexpr Component kComponents[] = {
    // kind          name                      caption                    shortcut  picture  command            check  vis   owner  page kind
    {K::kMenu,       "File1",                  "&File",                   "",       -1, C::kNone,           false, true, "", P::kNone},
    {K::kMenuItem,   "New1",                   "&New",                    "Ctrl+N", -1, C::kFileNew,        false, true, "File1", P::kNone},
    {K::kMenuItem,   "Open1",                  "&Open...",                "Ctrl+O", -1, C::kFileOpen,       false, true, "File1", P::kNone},
    {K::kMenuItem,   "Save1",                  "&Save",                   "Ctrl+S", -1, C::kFileSave,       false, true, "File1", P::kNone},
    {K::kMenuItem,   "SaveAs",                 "Save &As...",             "",       -1, C::kFileSaveAs,     false, true, "File1", P::kNone},
    {K::kMenuItem,   "Recent1",                "&1",                      "",       -1, C::kRecentFile1,    false, false, "File1", P::kNone},
    {K::kMenuItem,   "Recent2",                "&2",                      "",       -1, C::kRecentFile2,    false, false, "File1", P::kNone},
    {K::kMenuItem,   "Recent3",                "&3",                      "",       -1, C::kRecentFile3,    false, false, "File1", P::kNone},
    {K::kMenuItem,   "Recent4",                "&4",                      "",       -1, C::kRecentFile4,    false, false, "File1", P::kNone},
    {K::kMenuItem,   "Exit1",                  "E&xit",                   "",       -1, C::kExit,           false, true, "File1", P::kNone},
    {K::kMenu,       "MnEdit1",                "&Edit",                   "",       -1, C::kNone,           false, true, "", P::kNone},
    {K::kMenuItem,   "Undo1",                  "&Undo",                   "Ctrl+Z", -1, C::kUndo,           false, true, "MnEdit1", P::kNone},
    {K::kMenuItem,   "Redo1",                  "&Redo",                   "Ctrl+Y", -1, C::kRedo,           false, true, "MnEdit1", P::kNone},
    {K::kMenuItem,   "Cut1",                   "Cu&t",                    "Ctrl+X", -1, C::kCut,            false, true, "MnEdit1", P::kNone},
    {K::kMenuItem,   "Copy1",                  "&Copy",                   "Ctrl+C", -1, C::kCopy,           false, true, "MnEdit1", P::kNone},
    {K::kMenuItem,   "Paste1",                 "&Paste",                  "Ctrl+V", -1, C::kPaste,          false, true, "MnEdit1", P::kNone},
    {K::kMenuItem,   "SelectAll1",             "Select &All",             "Ctrl+A", -1, C::kSelectAll,      false, true, "MnEdit1", P::kNone},
    {K::kMenu,       "Search1",                "&Search",                 "",       -1, C::kNone,           false, true, "", P::kNone},
    {K::kMenuItem,   "Find1",                  "Find...",                 "Ctrl+F", -1, C::kFind,           false, true, "Search1", P::kNone},
    {K::kMenuItem,   "SearchAgain1",           "Search Again",            "F3",     -1, C::kSearchAgain,    false, true, "Search1", P::kNone},
    {K::kMenu,       "Run1",                   "Run",                     "",       -1, C::kNone,           false, true, "", P::kNone},
    {K::kMenuItem,   "MNCompile",              "Compile",                 "F9",     -1, C::kCompile,        false, true, "Run1", P::kNone},
    {K::kMenuItem,   "MNConnect",              "Connect",                 "F5",     -1, C::kConnect,        false, true, "Run1", P::kNone},
    {K::kMenuItem,   "MNReload",               "Reload",                  "Ctrl+R", -1, C::kReload,         false, true, "Run1", P::kNone},
    {K::kMenuItem,   "MNDebug",                "Debug",                   "Ctrl+D", -1, C::kDebug,          false, true, "Run1", P::kNone},
    {K::kMenuItem,   "MNContinue",             "Continue",                "F6",     -1, C::kContinue,       false, true, "Run1", P::kNone},
    {K::kMenuItem,   "MNPause",                "Pause",                   "Shift+F6", -1, C::kPause,        false, true, "Run1", P::kNone},
    {K::kMenuItem,   "MNStepOver",             "Step Over",               "F10",    -1, C::kStepOver,       false, true, "Run1", P::kNone},
    {K::kMenuItem,   "MNStepInto",             "Step Into",               "F11",    -1, C::kStepInto,       false, true, "Run1", P::kNone},
    {K::kMenuItem,   "MNStepOut",              "Step Out",                "Shift+F11", -1, C::kStepOut,     false, true, "Run1", P::kNone},
    {K::kMenuItem,   "MNToggleBreakpoint",     "Toggle Breakpoint",       "F8",     -1, C::kToggleBreakpoint, false, true, "Run1", P::kNone},
    {K::kMenu,       "Options1",               "&Options",                "",       -1, C::kNone,           false, true, "", P::kNone},
    {K::kMenuItem,   "DisplayCompilerOutput1", "Display Compiler Output", "",       -1, C::kCompilerOutput, true,  true, "Options1", P::kNone},
    {K::kMenuItem,   "ReconnectAutomatically1", "Reconnect Automatically", "",      -1, C::kReconnect,      true,  true, "Options1", P::kNone},
    {K::kMenuItem,   "SimulatorLink1",         "Simulator &Link...",      "",       -1, C::kSimulatorLink,  false, true, "Options1", P::kNone},
    {K::kMenu,       "Help1",                  "&Help",                   "",       -1, C::kNone,           false, true, "", P::kNone},
    {K::kMenuItem,   "UserGuide1",             "&User's Guide",           "",       -1, C::kUserGuide,      false, true, "Help1", P::kNone},
    {K::kMenuItem,   "FsuipcOffsets1",         "FSUIPC &Offsets...",      "",       -1, C::kOffsets,        false, true, "Help1", P::kNone},
    {K::kMenuItem,   "About1",                 "&About",                  "",       -1, C::kAbout,          false, true, "Help1", P::kNone},

    {K::kToolButton, "TBFileNew",              "New",                     "", kPicNew,         C::kFileNew,  false, true, "", P::kNone},
    {K::kToolButton, "TBFileOpen",             "Open",                    "", kPicOpen,        C::kFileOpen, false, true, "", P::kNone},
    {K::kToolButton, "TBFileSave",             "Save",                    "", kPicSave,        C::kFileSave, false, true, "", P::kNone},
    {K::kToolButton, "TBCompile",              "Compile",                 "", kPicNotCompiled, C::kCompile,  false, true, "", P::kNone},
    {K::kToolButton, "TBRun",                  "Connect",                 "", kPicConnect,     C::kConnect,  false, true, "", P::kNone},
    {K::kToolButton, "TBReload",               "Reload",                  "", kPicReload,      C::kReload,   false, true, "", P::kNone},
    {K::kToolButton, "TBContinue",             "Continue",                "", kPicContinue,    C::kContinue, false, true, "", P::kNone},
    {K::kToolButton, "TBPause",                "Pause",                   "", kPicPause,       C::kPause,    false, true, "", P::kNone},
    {K::kToolButton, "TBStepOver",             "Step Over",               "", kPicStepOver,    C::kStepOver, false, true, "", P::kNone},
    {K::kToolButton, "TBStepInto",             "Step Into",               "", kPicStepInto,    C::kStepInto, false, true, "", P::kNone},
    {K::kToolButton, "TBStepOut",              "Step Out",                "", kPicStepOut,     C::kStepOut,  false, true, "", P::kNone},
    {K::kToolButton, "TBToggleBreakpoint",     "Toggle Breakpoint",       "", kPicBreakpoint,  C::kToggleBreakpoint, false, true, "", P::kNone},

    {K::kPage,       "TSSource",               "Source",                  "",       -1, C::kNone,           false, true,  "JVHLEditor1", P::kEditor},
    {K::kPage,       "TSExpanded",             "Expanded",                "",       -1, C::kNone,           false, false, "MMExpanded", P::kText},
    {K::kPage,       "TSCompiler",             "Compiler",                "",       -1, C::kNone,           false, true,  "MMCompilerDebug", P::kListing},
    {K::kPage,       "TSInterpret",            "Interpreter",             "",       -1, C::kNone,           false, false, "MMInterpretDebug", P::kGrowing},
    {K::kPage,       "TSProgram",              "Program Output",          "",       -1, C::kNone,           false, true,  "MMOutput", P::kOutput},
    {K::kPage,       "TSWatch",                "Watch",                   "",       -1, C::kNone,           false, false, "MMWatch", P::kTable},
    {K::kPage,       "TSDebugger",             "Debugger",                "",       -1, C::kNone,           false, false, "MMDebugger", P::kDebugger},
};

}  // namespace

std::span<const Component> Components() { return kComponents; }

PageRules PageRulesOf(PageKind kind) {
    PageRules rules;
    switch (kind) {
        case PageKind::kNone:
        case PageKind::kEditor:
        case PageKind::kText:
            break;
        case PageKind::kListing:
            rules.jumpsToSource = true;
            break;
        case PageKind::kOutput:
            rules.jumpsToSource = true;
            [[fallthrough]];
        case PageKind::kGrowing:
            // Pages that grow for hours: an undo record per line would grow with them.
            rules.undo = false;
            rules.lineLimit = kPageLineLimit;
            break;
        case PageKind::kTable:
        case PageKind::kDebugger:
            // Rewritten every tick: read-only, in columns, scrolled by the reader.
            rules.readOnly = true;
            rules.wrap = false;
            rules.keepScroll = true;
            rules.undo = false;
            rules.fixedPitch = true;
            break;
    }
    return rules;
}

const Component* PageComponent(int page) {
    int index = 0;
    for (const Component& c : kComponents) {
        if (c.kind != ComponentKind::kPage) continue;
        if (index++ == page) return &c;
    }
    return nullptr;
}

PageRules PageRulesOf(int page) {
    const Component* c = PageComponent(page);
    return PageRulesOf(c != nullptr ? c->page : PageKind::kText);
}

const Component* FindComponent(const std::string& name) {
    for (const Component& c : kComponents) {
        if (name == c.name) return &c;
    }
    return nullptr;
}

const Component* FindCommand(Command command, ComponentKind kind) {
    for (const Component& c : kComponents) {
        if (c.kind == kind && c.command == command) return &c;
    }
    return nullptr;
}

Shortcut ParseShortcut(const char* text) {
    Shortcut s;
    std::string_view rest(text != nullptr ? text : "");
    for (;;) {
        if (rest.starts_with("Ctrl+")) {
            s.ctrl = true;
            rest.remove_prefix(5);
        } else if (rest.starts_with("Shift+")) {
            s.shift = true;
            rest.remove_prefix(6);
        } else {
            break;
        }
    }
    if (rest.size() == 1 && rest[0] >= 'A' && rest[0] <= 'Z') {
        s.letter = rest[0];
        return s;
    }
    if (rest.size() >= 2 && rest.size() <= 3 && rest[0] == 'F') {
        int n = 0;
        for (char c : rest.substr(1)) {
            if (c < '0' || c > '9') return {};
            n = n * 10 + (c - '0');
        }
        if (n >= 1 && n <= 12) {
            s.function = n;
            return s;
        }
    }
    return {};
}

}  // namespace vorn
