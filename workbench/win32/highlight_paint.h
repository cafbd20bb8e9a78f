#pragma once
// Paints one RichEdit line with the shared highlight spans; returns the
// colouring state (as an int) the next line starts in.
#include <windows.h>

#include <string>

namespace vorn::win32 {

int PaintLine(HWND richEdit, int lineStart, const std::wstring& line, int stateIn);

}  // namespace vorn::win32
