#pragma once
// Every menu, menu item, toolbar button and page of the main window, in the
// order the window shows them. Both windows build themselves from this
// table, and their tests check them against it, so a new menu item is one
// row here and one case in WindowCore::Run.
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
    kFind,
    kSearchAgain,
    kCompile,
    kConnect,
    kReload,
    kDebug,
    kCompilerOutput,
    kReconnect,
    kSimulatorLink,
    kUserGuide,
    kAbout,
};

enum class ComponentKind { kMenu, kMenuItem, kToolButton, kPage };

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
};

// The whole table, in display order: menus and their items, then the
// toolbar's buttons left to right, then the pages in tab order (their index
// in this order is the PageIndex of view.h).
std::span<const Component> Components();

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
