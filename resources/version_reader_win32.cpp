// The about box's values on Windows: read from the running program's own
// version resource, as the about box has always done there.
#include "workbench/version_reader.h"

#include "resources/version_resource.h"
#include "workbench/text_codec.h"

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
    info.fileDescription = Latin1ToUtf8(resource->fileDescription);
    info.productName = Latin1ToUtf8(resource->productName);
    return info;
}

}  // namespace vorn
