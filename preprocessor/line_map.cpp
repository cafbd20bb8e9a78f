#include "preprocessor/line_map.h"

#include <algorithm>
#include <filesystem>
#include <utility>

#include "support/error.h"

namespace vorn {

const std::string LineMap::kNoName;

void LineMap::SetNames(std::string mainName, std::string includeFolder) {
    files_.assign(1, std::move(mainName));
    includeFolder_ = std::move(includeFolder);
}

void LineMap::Begin() {
    files_.resize(1);
    runs_.clear();
    lines_ = 0;
    errors_.clear();
    mainLines_ = 0;
}

int LineMap::FileIndex(const std::string& name) {
    std::string shown = name;
    const std::filesystem::path written(name);
    if (!includeFolder_.empty() && written.is_relative()) {
        shown = (std::filesystem::path(includeFolder_) / written).lexically_normal().generic_string();
    }
    for (std::size_t i = 1; i < files_.size(); ++i) {
        if (files_[i] == shown) return static_cast<int>(i);
    }
    files_.push_back(shown);
    return static_cast<int>(files_.size() - 1);
}

void LineMap::Add(int file, int line) {
    const auto index = static_cast<std::int32_t>(lines_++);
    if (!runs_.empty()) {
        const Run& last = runs_.back();
        if (last.file == file && static_cast<std::int64_t>(last.line) + (index - last.first) == line) return;
    }
    runs_.push_back({index, file, line});
}

SourcePlace LineMap::Place(int expandedLine) const {
    SourcePlace place;
    if (expandedLine >= 1 && static_cast<std::size_t>(expandedLine) <= lines_) {
        const std::int32_t index = expandedLine - 1;
        const auto after = std::upper_bound(runs_.begin(), runs_.end(), index,
                                            [](std::int32_t i, const Run& run) { return i < run.first; });
        const Run& run = *(after - 1);
        place.file = files_[static_cast<std::size_t>(run.file)];
        place.line = run.line + (index - run.first);
        place.mainFile = run.file == 0;
        return place;
    }
    place.file = MainName();
    place.line = mainLines_ > 0 ? mainLines_ : 1;
    place.mainFile = true;
    return place;
}

std::string PlaceText(const SourcePlace& place) {
    return (place.file.empty() ? std::string("untitled") : place.file) + ":" + std::to_string(place.line);
}

}  // namespace vorn

namespace vorn {

std::string PlacedErrorText(const LineMap& map, const std::exception& error) {
    const auto* placed = dynamic_cast<const Error*>(&error);
    if (placed == nullptr || placed->ExpandedLine() <= 0) return error.what();
    return PlaceText(map.Place(placed->ExpandedLine())) + ": " + error.what();
}

}  // namespace vorn
