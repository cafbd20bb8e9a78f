#include "workbench/gui/version_reader.h"

#include "workbench/gui/version_info.h"

namespace vorn {

// On Windows the values come from the program file's version resource; that
// reader lives in version_reader_win32.cpp.
#ifndef _WIN32
VersionInfo ReadVersionInfo() {
    VersionInfo info;
    info.available = true;
    info.major = VORN_FILE_VERSION_MAJOR;
    info.minor = VORN_FILE_VERSION_MINOR;
    info.release = VORN_FILE_VERSION_RELEASE;
    info.build = VORN_FILE_VERSION_BUILD;
    info.fileDescription = QStringLiteral(VORN_FILE_DESCRIPTION);
    info.productName = QStringLiteral(VORN_PRODUCT_NAME);
    return info;
}
#endif

}  // namespace vorn
