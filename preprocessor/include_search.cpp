#include "preprocessor/include_search.h"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace vorn {

namespace {

namespace fs = std::filesystem;

bool IsFolder(const fs::path& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

}  // namespace

std::filesystem::path ExecutableFolder() {
#ifdef _WIN32
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return fs::path(path).parent_path();
#else
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path{} : self.parent_path();
#endif
}

std::string LibraryIncludeFolder() {
    const fs::path exe = ExecutableFolder();
    if (!exe.empty()) {
        for (const fs::path& candidate : {exe / "include", exe / ".." / "share" / "vorn" / "include"}) {
            if (IsFolder(candidate)) return candidate.lexically_normal().string();
        }
    }
#ifdef VORN_BUILD_LIBRARY_DIR
    if (IsFolder(VORN_BUILD_LIBRARY_DIR)) return fs::path(VORN_BUILD_LIBRARY_DIR).lexically_normal().string();
#endif
    return {};
}

std::vector<std::string> IncludeFolders(const std::string& sourceFile) {
    std::vector<std::string> folders;
    const std::string own = fs::path(sourceFile).parent_path().string();
    if (!own.empty()) folders.push_back(own);
    const std::string library = LibraryIncludeFolder();
    if (!library.empty() && library != own) folders.push_back(library);
    return folders;
}

}  // namespace vorn
