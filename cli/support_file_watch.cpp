#include "cli/file_watch.h"

#include <system_error>
#include <utility>

namespace vorn::cli {

FileWatch::Stamp FileWatch::StampOf(const std::filesystem::path& file) {
    Stamp stamp;
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(file, ec);
    if (ec || !std::filesystem::is_regular_file(status)) return stamp;
    stamp.size = std::filesystem::file_size(file, ec);
    if (ec) return stamp;
    stamp.written = std::filesystem::last_write_time(file, ec);
    if (ec) return stamp;
    stamp.exists = true;
    return stamp;
}

void FileWatch::Watch(std::vector<std::filesystem::path> files) {
    files_ = std::move(files);
    stamps_.clear();
    for (const std::filesystem::path& f : files_) stamps_.push_back(StampOf(f));
}

bool FileWatch::Changed() {
    bool changed = false;
    for (std::size_t i = 0; i < files_.size(); ++i) {
        const Stamp now = StampOf(files_[i]);
        if (now == stamps_[i]) continue;
        stamps_[i] = now;
        changed = true;
    }
    return changed;
}

}  // namespace vorn::cli
