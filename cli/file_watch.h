#pragma once
// Notices that files changed by polling their size and modification time:
// cheap enough for a few looks a second, and the same on every platform. A
// change counts once the files look the same at two looks in a row, so a
// file caught half written by an editor is not taken.
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
    // that has held since the look before.
    bool Changed();

private:
    struct Stamp {
        bool exists = false;
        std::uintmax_t size = 0;
        std::filesystem::file_time_type written{};
        bool operator==(const Stamp&) const = default;
    };
    static Stamp StampOf(const std::filesystem::path& file);
    std::vector<Stamp> Look() const;

    std::vector<std::filesystem::path> files_;
    std::vector<Stamp> seen_;   // at the last look
    std::vector<Stamp> taken_;  // when Changed last said so, or at Watch
};

}  // namespace vorn::cli
