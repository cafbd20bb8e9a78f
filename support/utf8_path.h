#pragma once
// File names and environment values in UTF-8 on every system. On Windows the
// narrow calls speak the ANSI code page, which cannot name every folder (a
// user name outside it puts one in %APPDATA%); the wide calls can.
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace vorn {

inline std::filesystem::path PathFromUtf8(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

// The variable's value in UTF-8; "" when it is not set.
inline std::string EnvironmentUtf8(const char* name) {
#ifdef _WIN32
    const std::wstring wideName(name, name + std::strlen(name));  // the names asked for are ASCII
    const wchar_t* value = _wgetenv(wideName.c_str());
    if (value == nullptr) return {};
    const std::u8string text = std::filesystem::path(value).u8string();
    return std::string(text.begin(), text.end());
#else
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
#endif
}

}  // namespace vorn
