#pragma once
// Paints one RichEdit line with the shared highlight spans; returns the
// colouring state (as an int) the next line starts in.
#include <windows.h>

#include <string>
#include <vector>

namespace vorn::win32 {

int PaintLine(HWND richEdit, int lineStart, const std::wstring& line, int stateIn);

// The whole text as RTF with the spans' colours, for putting a file in with
// one message instead of two per span; `endStates` gets each line's state.
std::string ColouredRtf(const std::vector<std::wstring>& lines, std::vector<int>& endStates);

}  // namespace vorn::win32
