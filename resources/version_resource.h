#pragma once
// Reads a program file's version resource (Windows only): what the about box
// shows there, taken from the file itself rather than from compiled-in values.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace vorn {

struct VersionResource {
    // major, minor, release, build
    std::array<uint16_t, 4> fileVersion{};
    std::array<uint16_t, 4> productVersion{};
    std::string fileDescription;  // "FileDescription" of the string table
    std::string productName;      // "ProductName" of the string table
};

// The version resource of `file`, or of the running program when `file` is
// empty. Nothing when the file has none; a missing string entry reads as "".
std::optional<VersionResource> ReadVersionResource(const std::string& file = {});

// One string of the string table "080904E4" of `file` (empty = running
// program); nothing when the file has no version resource or no such entry.
std::optional<std::string> ReadVersionString(const std::string& file, const std::string& name);

}  // namespace vorn
