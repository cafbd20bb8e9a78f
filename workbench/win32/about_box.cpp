#include "workbench/win32/about_box.h"

#include "workbench/version_reader.h"
#include "workbench/win32/dpi.h"
#include "workbench/win32/text.h"
#include "workbench/win32/window_class.h"

namespace vorn::win32 {

LRESULT CALLBACK TAbout::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND:
            // BN_OK, Enter (the default button) and Escape close it.
            if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) DestroyWindow(hwnd);
            return 0;
        case WM_CLOSE:
            DestroyWindow(hwnd);
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

TAbout::TAbout(HWND owner) {
    // 1. The display mode's size. Windows are placed in logical pixels, which
    // differ from the mode's device pixels on a scaled display; centring
    // uses the logical size, or the box lands off-screen.
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    if (EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) {
        screenWidth_ = static_cast<int>(mode.dmPelsWidth);
        screenHeight_ = static_cast<int>(mode.dmPelsHeight);
    }
    const int logicalWidth = GetSystemMetrics(SM_CXSCREEN);
    const int logicalHeight = GetSystemMetrics(SM_CYSCREEN);

    RegisterToolWindowClass(kAboutClass, &TAbout::WindowProc);
    HINSTANCE instance = GetModuleHandleW(nullptr);

    // 2. The window, client area kAboutWidth x kAboutHeight at 96 DPI, centred.
    const int dpi = owner != nullptr ? WindowDpi(owner) : SystemDpi();
    auto px = [dpi](int pixelsAt96) { return Scaled(pixelsAt96, dpi); };
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    RECT frame{0, 0, px(kAboutWidth), px(kAboutHeight)};
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    const Origin at = CentredOrigin(logicalWidth, logicalHeight, w, h);
    window_ = CreateWindowExW(WS_EX_DLGMODALFRAME, kAboutClass, L"About ....", style, at.x, at.y, w, h, owner,
                              nullptr, instance, nullptr);
    HFONT font = CreateFontW(-px(11), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, DEFAULT_PITCH | FF_SWISS,
                             L"MS Sans Serif");

    // 3. The OK button, centred above the bottom edge.
    BN_OK = CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                            px((kAboutWidth - kAboutButtonWidth) / 2), px(kAboutHeight - kAboutButtonHeight - 50),
                            px(kAboutButtonWidth), px(kAboutButtonHeight), window_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)), instance, nullptr);

    // 4. The two labels.
    LAbout = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, px(30), px(20), px(kAboutWidth - 40), px(16),
                             window_, nullptr, instance, nullptr);
    LDescription = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, px(30), px(40), px(kAboutWidth - 40),
                                   px(16), window_, nullptr, instance, nullptr);
    for (HWND child : {BN_OK, LAbout, LDescription}) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);

    // 5. and 6. The version values and the caption.
    const VersionInfo info = ReadVersionInfo();
    major_ = info.major;
    minor_ = info.minor;
    release_ = info.release;
    build_ = info.build;
    fileDescription_ = info.fileDescription;
    productName_ = info.productName;
    const AboutTexts texts = AboutTextsOf(info);
    SetWindowTextW(LAbout, Wide(texts.version).c_str());
    SetWindowTextW(LDescription, Wide(texts.description).c_str());
    SetWindowTextW(window_, Wide(texts.caption).c_str());

    // 7. Modal over the owner until it closes.
    const bool ownerEnabled = owner != nullptr && IsWindowEnabled(owner);
    if (ownerEnabled) EnableWindow(owner, FALSE);
    ShowWindow(window_, SW_SHOW);
    SetFocus(BN_OK);
    MSG msg{};
    while (IsWindow(window_) && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(window_, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (msg.message == WM_QUIT) PostQuitMessage(static_cast<int>(msg.wParam));  // for the main loop
    if (ownerEnabled) {
        EnableWindow(owner, TRUE);
        SetActiveWindow(owner);
    }
    if (IsWindow(window_)) DestroyWindow(window_);
    DeleteObject(font);
}

}  // namespace vorn::win32
