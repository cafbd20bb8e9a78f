#include "workbench/user_guide.h"

#include <filesystem>
#include <system_error>

#include "preprocessor/include_search.h"

namespace vorn {

namespace {

namespace fs = std::filesystem;

// UTF-8, as the windows take every text (a Windows path may hold any letter).
std::string Utf8(const fs::path& path) {
    const std::u8string text = path.lexically_normal().u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace

std::string UserGuidePath() {
    std::error_code ec;
    const fs::path exe = ExecutableFolder();
    if (!exe.empty()) {
        for (const fs::path& candidate : {exe / "guide.html", exe / ".." / "share" / "doc" / "vorn" / "guide.html"}) {
            if (fs::is_regular_file(candidate, ec)) return Utf8(candidate);
        }
    }
#ifdef VORN_BUILD_GUIDE_PATH
    if (fs::is_regular_file(VORN_BUILD_GUIDE_PATH, ec)) return Utf8(VORN_BUILD_GUIDE_PATH);
#endif
    return {};
}

}  // namespace vorn
