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

std::vector<FileWatch::Stamp> FileWatch::Look() const {
    std::vector<Stamp> stamps;
    for (const std::filesystem::path& f : files_) stamps.push_back(StampOf(f));
    return stamps;
}

void FileWatch::Watch(std::vector<std::filesystem::path> files) {
    files_ = std::move(files);
    seen_ = Look();
    taken_ = seen_;
}

bool FileWatch::Changed() {
    std::vector<Stamp> now = Look();
    const bool settled = now == seen_;
    seen_ = std::move(now);
    if (!settled || seen_ == taken_) return false;
    taken_ = seen_;
    return true;
}

}  // namespace vorn::cli
