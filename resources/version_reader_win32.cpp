// The about box's values on Windows: read from the running program's own
// version resource, as the about box has always done there.
#include "workbench/gui/version_reader.h"

#include "resources/version_resource.h"

namespace vorn {

VersionInfo ReadVersionInfo() {
    VersionInfo info;
    const std::optional<VersionResource> resource = ReadVersionResource();
    if (!resource) return info;  // "No version information available"
    info.available = true;
    info.major = resource->fileVersion[0];
    info.minor = resource->fileVersion[1];
    info.release = resource->fileVersion[2];
    info.build = resource->fileVersion[3];
    // The string table is code page 1252.
    info.fileDescription = QString::fromLatin1(resource->fileDescription.c_str());
    info.productName = QString::fromLatin1(resource->productName.c_str());
    return info;
}

}  // namespace vorn
