#pragma once
// What the about box shows about the running program. On Windows this is read
// from the program file's version resource (resources/version_reader_win32.cpp);
// elsewhere the values are compiled in (workbench/version_info.h).
#include <string>

namespace vorn {

struct VersionInfo {
    bool available = false;  // false: the program file has no version resource
    int major = 0;
    int minor = 0;
    int release = 0;
    int build = 0;
    std::string fileDescription;  // "FileDescription" of string table 080904E4 (UTF-8)
    std::string productName;      // "ProductName" of the same table (UTF-8)
};

VersionInfo ReadVersionInfo();

// The about box's texts and place, the same in both windows.
struct AboutTexts {
    std::string caption;      // "About " + product name
    std::string version;      // "Version 0.1.0.0", or the no-information line
    std::string description;  // the file description
};
AboutTexts AboutTextsOf(const VersionInfo& info);

// The about box's size and its OK button's.
inline constexpr int kAboutWidth = 320;
inline constexpr int kAboutHeight = 240;
inline constexpr int kAboutButtonWidth = 75;
inline constexpr int kAboutButtonHeight = 25;

// Top-left corner that centres a window of w x h on a screen of screenW x
// screenH. All in logical pixels (what the window system places windows
// in), never device pixels, or a scaled screen puts the box off-screen.
struct Origin {
    int x = 0;
    int y = 0;
};
Origin CentredOrigin(int screenW, int screenH, int w, int h);

}  // namespace vorn
