#include "workbench/win32/dpi.h"

#include <algorithm>

namespace vorn::win32 {
namespace {

// Windows 10's calls, looked up so the program still starts on older ones.
template <typename Call>
Call User32Call(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 != nullptr ? reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

int ScreenDpi() {
    HDC dc = GetDC(nullptr);
    const int dpi = dc != nullptr ? GetDeviceCaps(dc, LOGPIXELSY) : kDefaultDpi;
    if (dc != nullptr) ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : kDefaultDpi;
}

}  // namespace

int WindowDpi(HWND hwnd) {
    using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = User32Call<GetDpiForWindowCall>("GetDpiForWindow");
    const UINT dpi = getDpiForWindow != nullptr && hwnd != nullptr ? getDpiForWindow(hwnd) : 0;
    return dpi > 0 ? static_cast<int>(dpi) : SystemDpi();
}

RECT FitOnMonitor(RECT wanted) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(MonitorFromRect(&wanted, MONITOR_DEFAULTTONEAREST), &info)) return wanted;
    const RECT& work = info.rcWork;
    const LONG width = std::min(wanted.right - wanted.left, work.right - work.left);
    const LONG height = std::min(wanted.bottom - wanted.top, work.bottom - work.top);
    const LONG left = std::clamp(wanted.left, work.left, work.right - width);
    const LONG top = std::clamp(wanted.top, work.top, work.bottom - height);
    return {left, top, left + width, top + height};
}

int SystemDpi() {
    using GetDpiForSystemCall = UINT(WINAPI*)();
    static const auto getDpiForSystem = User32Call<GetDpiForSystemCall>("GetDpiForSystem");
    const UINT dpi = getDpiForSystem != nullptr ? getDpiForSystem() : 0;
    return dpi > 0 ? static_cast<int>(dpi) : ScreenDpi();
}

}  // namespace vorn::win32
