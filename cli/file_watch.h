#pragma once
// Notices that files changed by polling their size and modification time:
// cheap enough for once a second, and the same on every platform.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vorn::cli {

class FileWatch {
public:
    // Watches these files from now on; what they look like now is "unchanged".
    void Watch(std::vector<std::filesystem::path> files);
    // True once for every change (written, replaced, removed, made again)
    // since the last call or Watch.
    bool Changed();

private:
    struct Stamp {
        bool exists = false;
        std::uintmax_t size = 0;
        std::filesystem::file_time_type written{};
        bool operator==(const Stamp&) const = default;
    };
    static Stamp StampOf(const std::filesystem::path& file);

    std::vector<std::filesystem::path> files_;
    std::vector<Stamp> stamps_;
};

}  // namespace vorn::cli
