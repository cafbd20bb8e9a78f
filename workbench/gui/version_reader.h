#pragma once
// What the about box shows about the running program. On Windows this is read
// from the program file's version resource; elsewhere the values are compiled
// in (workbench/gui/version_info.h).
#include <QString>

namespace vorn {

struct VersionInfo {
    bool available = false;  // false: the program file has no version resource
    int major = 0;
    int minor = 0;
    int release = 0;
    int build = 0;
    QString fileDescription;  // "FileDescription" of string table 080904E4
    QString productName;      // "ProductName" of the same table
};

VersionInfo ReadVersionInfo();

}  // namespace vorn
