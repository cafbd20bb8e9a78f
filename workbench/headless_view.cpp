#include "workbench/headless_view.h"

#include <utility>

namespace vorn {

namespace {
void PutLine(std::FILE* stream, const std::string& line) {
    if (!stream) return;
    std::fwrite(line.data(), 1, line.size(), stream);
    std::fputc('\n', stream);
    // Lines are read by people and pipes as they come, not when the run ends.
    std::fflush(stream);
}
}  // namespace

HeadlessView::HeadlessView(std::vector<std::string> editorLines, std::FILE* output, std::FILE* trace)
    : editorLines_(std::move(editorLines)), output_(output), trace_(trace) {}

void HeadlessView::AppendOutputLine(const std::string& line) {
    ++outputLines_;
    PutLine(output_, line);
}

void HeadlessView::AppendInterpreterLine(const std::string& line) { PutLine(trace_, line); }

void HeadlessView::SetPageVisible(int index, bool visible) {
    if (index >= 0 && index < kPageCount) visible_[index] = visible;
}

bool HeadlessView::PageVisible(int index) const { return index >= 0 && index < kPageCount && visible_[index]; }

std::vector<std::string> HeadlessView::TakeErrors() {
    std::vector<std::string> errors;
    errors.swap(errors_);
    return errors;
}

std::vector<std::string> HeadlessView::TakeLinkMessages() {
    std::vector<std::string> lines;
    lines.swap(linkMessages_);
    return lines;
}

}  // namespace vorn
