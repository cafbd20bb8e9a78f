#include "workbench/line_buffer.h"

#include <utility>

namespace vorn {

std::string DroppedLinesNote(std::uint64_t dropped) {
    return "(" + std::to_string(dropped) + (dropped == 1 ? " earlier line dropped)" : " earlier lines dropped)");
}

void LineBuffer::Append(std::string line) {
    if (lines_.size() >= limit_) {
        lines_.pop_front();
        ++dropped_;
    }
    lines_.push_back(std::move(line));
}

void LineBuffer::Clear() {
    lines_.clear();
    dropped_ = 0;
}

std::string LineBuffer::Line(std::size_t index) const {
    if (dropped_ > 0) {
        if (index == 0) return DroppedLinesNote(dropped_);
        --index;
    }
    return index < lines_.size() ? lines_[index] : std::string();
}

std::string LineBuffer::Text() const {
    std::string text;
    if (dropped_ > 0) text = DroppedLinesNote(dropped_) + "\n";
    for (const std::string& line : lines_) {
        text += line;
        text += '\n';
    }
    return text;
}

}  // namespace vorn
