#include "resources/version_resource.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "workbench/version_info.h"

namespace vorn {

namespace {

std::string RunningProgram() {
    std::vector<char> path(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) return std::string(path.data(), n);
        if (path.size() >= 32768) return {};  // longer than any Windows path
        path.resize(path.size() * 2);
    }
}

// The raw version block of a file, empty when it has none.
std::vector<char> VersionBlock(const std::string& file) {
    const std::string path = file.empty() ? RunningProgram() : file;
    if (path.empty()) return {};
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return {};
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return {};
    return block;
}

std::optional<std::string> StringEntry(std::vector<char>& block, const std::string& name) {
    const std::string key = std::string("\\StringFileInfo\\") + VORN_VERSION_STRING_TABLE + "\\" + name;
    void* value = nullptr;
    UINT length = 0;  // characters, the terminator included
    if (!VerQueryValueA(block.data(), key.c_str(), &value, &length) || value == nullptr) return std::nullopt;
    // Stay inside the block even if the resource's length is wrong.
    const char* text = static_cast<const char*>(value);
    const char* end = block.data() + block.size();
    if (text < block.data() || text >= end) return std::nullopt;
    size_t limit = std::min<size_t>(length, static_cast<size_t>(end - text));
    return std::string(text, strnlen(text, limit));
}

std::array<uint16_t, 4> Split(DWORD ms, DWORD ls) {
    return {HIWORD(ms), LOWORD(ms), HIWORD(ls), LOWORD(ls)};
}

}  // namespace

std::optional<VersionResource> ReadVersionResource(const std::string& file) {
    std::vector<char> block = VersionBlock(file);
    if (block.empty()) return std::nullopt;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\", &value, &length) || value == nullptr ||
        length < sizeof(VS_FIXEDFILEINFO))
        return std::nullopt;
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, value, sizeof fixed);
    if (fixed.dwSignature != 0xFEEF04BD) return std::nullopt;

    VersionResource info;
    info.fileVersion = Split(fixed.dwFileVersionMS, fixed.dwFileVersionLS);
    info.productVersion = Split(fixed.dwProductVersionMS, fixed.dwProductVersionLS);
    info.fileDescription = StringEntry(block, "FileDescription").value_or("");
    info.productName = StringEntry(block, "ProductName").value_or("");
    return info;
}

std::optional<std::string> ReadVersionString(const std::string& file, const std::string& name) {
    std::vector<char> block = VersionBlock(file);
    if (block.empty()) return std::nullopt;
    return StringEntry(block, name);
}

}  // namespace vorn
