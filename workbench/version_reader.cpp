#include "workbench/version_reader.h"

#include "workbench/version_info.h"

namespace vorn {

// On Windows the values come from the program file's version resource; that
// reader lives in resources/version_reader_win32.cpp.
#ifndef _WIN32
VersionInfo ReadVersionInfo() {
    VersionInfo info;
    info.available = true;
    info.major = VORN_FILE_VERSION_MAJOR;
    info.minor = VORN_FILE_VERSION_MINOR;
    info.release = VORN_FILE_VERSION_RELEASE;
    info.build = VORN_FILE_VERSION_BUILD;
    info.fileDescription = VORN_FILE_DESCRIPTION;
    info.productName = VORN_PRODUCT_NAME;
    return info;
}
#endif

AboutTexts AboutTextsOf(const VersionInfo& info) {
    AboutTexts texts;
    texts.caption = "About " + info.productName;
    if (!info.available) {
        texts.version = "No version information available";
        return texts;
    }
    texts.version = "Version " + std::to_string(info.major) + "." + std::to_string(info.minor) + "." +
                    std::to_string(info.release) + "." + std::to_string(info.build);
    texts.description = info.fileDescription;
    return texts;
}

Origin CentredOrigin(int screenW, int screenH, int w, int h) {
    // Integer division truncates toward zero, as it always has here.
    return {(screenW - w) / 2, (screenH - h) / 2};
}

}  // namespace vorn
