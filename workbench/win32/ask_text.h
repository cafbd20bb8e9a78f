#pragma once
// A modal box asking for one line of text: a prompt, an edit field, OK and Cancel.
#include <windows.h>

#include <string>

namespace vorn::win32 {

inline constexpr int kIdAskText = 300;

// False when cancelled; `value` fills the field and takes what OK found there.
bool AskTextBox(HWND owner, const std::string& title, const std::string& prompt, std::string& value);

}  // namespace vorn::win32
