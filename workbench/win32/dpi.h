#pragma once
// Dots per inch on Windows. The window's figures are given at 96 DPI and
// scaled with the DPI of the monitor it is on (the program is per-monitor
// aware, so Windows does not stretch its pixels).
#include <windows.h>

namespace vorn::win32 {

inline constexpr int kDefaultDpi = 96;

// The DPI of the monitor `hwnd` is on; the system's on Windows before 10.
int WindowDpi(HWND hwnd);

// The primary monitor's DPI: what a window is created at before it has one.
int SystemDpi();

// A size given at 96 DPI, at `dpi`.
inline int Scaled(int pixelsAt96, int dpi) { return MulDiv(pixelsAt96, dpi, kDefaultDpi); }
// A size at `dpi`, given at 96 DPI (as the settings keep the window's place).
inline int Unscaled(int pixels, int dpi) { return MulDiv(pixels, kDefaultDpi, dpi > 0 ? dpi : kDefaultDpi); }

// `wanted` moved and cut to fit the work area of the monitor it is most on:
// at 150 % a 96 DPI size can be taller than a laptop's screen.
RECT FitOnMonitor(RECT wanted);

}  // namespace vorn::win32
