#pragma once
// TAbout on Windows: building one shows the about window modally over its
// owner and discards it when it closes. It reads the program file's version
// resource and sits centred on the screen.
#include <windows.h>

#include <string>

namespace vorn::win32 {

inline constexpr wchar_t kAboutClass[] = L"TAbout";

class TAbout {
public:
    explicit TAbout(HWND owner);
    TAbout(const TAbout&) = delete;
    TAbout& operator=(const TAbout&) = delete;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    HWND window_ = nullptr;
    HWND BN_OK = nullptr;
    HWND LAbout = nullptr;
    HWND LDescription = nullptr;
    int major_ = 0;
    int minor_ = 0;
    int release_ = 0;
    int build_ = 0;
    std::string fileDescription_;
    std::string productName_;
    int screenWidth_ = 0;   // the display mode's, in device pixels
    int screenHeight_ = 0;
};

}  // namespace vorn::win32
