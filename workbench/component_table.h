#pragma once
// Every menu, menu item, toolbar button and page of the main window, in the
// order the window shows them. Both windows build themselves from this
// table, and their tests check them against it, so a new menu item is one
// row here and one case in WindowCore::Run.
#include <cstddef>
#include <span>
#include <string>

namespace vorn {

// What a menu item or toolbar button does; WindowCore::Run carries it out.
enum class Command {
    kNone,  // shown, does nothing
    kFileNew,
    kFileOpen,
    kFileSave,
    kFileSaveAs,
    kRecentFile1,  // the four most recently used files, most recent first
    kRecentFile2,
    kRecentFile3,
    kRecentFile4,
    kExit,
    kUndo,  // the Edit menu: on the editor; Copy and Select All also on the text pages
    kRedo,
    kCut,
    kCopy,
    kPaste,
    kSelectAll,
    kFind,
    kSearchAgain,
    kCompile,
    kConnect,
    kReload,
    kDebug,
    kContinue,  // the debugger's run controls
    kPause,
    kStepOver,
    kStepInto,
    kStepOut,
    kToggleBreakpoint,
    kCompilerOutput,
    kReconnect,
    kSimulatorLink,
    kUserGuide,
    kOffsets,  // Help > FSUIPC Offsets...: the catalogue, a row's declaration to the caret
    kAbout,
};

// Undo, Redo, Cut, Copy, Paste and Select All.
inline bool IsEditCommand(Command command) { return command >= Command::kUndo && command <= Command::kSelectAll; }

enum class ComponentKind { kMenu, kMenuItem, kToolButton, kPage };

// What a page holds; its behaviour on screen follows from this alone (PageRulesOf).
enum class PageKind {
    kNone,     // not a page
    kEditor,   // the source text
    kText,     // replaced whole at each compile ("Expanded")
    kListing,  // as kText; its diagnostics lead to their source lines ("Compiler")
    kGrowing,  // lines appended for hours, kept to their last ones ("Interpreter")
    kOutput,   // as kGrowing; its runtime errors lead to their source lines ("Program Output")
    kTable,    // columns rewritten while on top ("Watch")
    kDebugger, // as kTable: processes, a call stack, variables ("Debugger")
};

struct PageRules {
    bool readOnly = false;
    bool wrap = true;               // long lines wrap at the page's width
    bool keepScroll = false;        // a refresh leaves the reader's scroll position
    bool undo = true;               // the control keeps an undo record
    bool jumpsToSource = false;     // a double-clicked line may lead to its source line
    std::size_t lineLimit = 0;      // kept lines; 0 for no limit
    bool fixedPitch = false;        // columns of spaces line up
};
PageRules PageRulesOf(PageKind kind);

struct Component {
    ComponentKind kind;
    const char* name;     // the component's name (object name in Qt, for tests and tools)
    const char* caption;  // '&' marks the access key; the hint of a toolbar button
    const char* shortcut; // "Ctrl+N", "F9" or ""; menu items only
    int picture;          // toolbar buttons: ToolbarPicture at start; -1 otherwise
    Command command;
    bool checkable;       // menu items with a check mark
    bool visible;         // pages and menu items: shown at start
    const char* owner;    // menu items: the menu's name; pages: the name of their text control
    PageKind page;        // pages: what they hold; kNone otherwise
};

// The whole table, in display order: menus and their items, then the
// toolbar's buttons left to right, then the pages in tab order (their index
// in this order is the PageIndex of view.h).
std::span<const Component> Components();

// The page row of a PageIndex, or nullptr out of range.
const Component* PageComponent(int page);
// The rules of a PageIndex (a plain text page's out of range).
PageRules PageRulesOf(int page);

// The component named `name`, or nullptr.
const Component* FindComponent(const std::string& name);

// The first menu item or toolbar button that runs `command`, or nullptr.
const Component* FindCommand(Command command, ComponentKind kind);

// A shortcut's parts, for windows that build accelerator tables themselves.
struct Shortcut {
    bool ctrl = false;
    bool shift = false;
    char letter = 0;   // 'A'..'Z', or 0
    int function = 0;  // 1..12 for F1..F12, or 0
};
// "Ctrl+N" -> ctrl, 'N'; "F3" -> function 3; "" or anything else -> all empty.
Shortcut ParseShortcut(const char* text);

}  // namespace vorn
