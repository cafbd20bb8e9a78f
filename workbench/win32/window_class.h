#pragma once
// The window class of a tool window: the arrow cursor and the dialog colour.
#include <windows.h>

namespace vorn::win32 {

// Registering again when the class exists fails harmlessly, so each window may call it as it opens.
inline void RegisterToolWindowClass(const wchar_t* name, WNDPROC proc) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
}

}  // namespace vorn::win32
