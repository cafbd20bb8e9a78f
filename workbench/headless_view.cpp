#include "workbench/headless_view.h"

#include <algorithm>
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
    : output_(output), trace_(trace) {
    SetEditorLines(editorLines);
}

void HeadlessView::SetEditorLines(const std::vector<std::string>& lines) {
    editorText_.clear();
    for (const std::string& line : lines) {
        editorText_ += line;
        editorText_ += '\n';
    }
}

std::vector<std::string> HeadlessView::EditorLines() const {
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; start < editorText_.size(); start = end + 1) {
        end = editorText_.find('\n', start);
        lines.emplace_back(editorText_, start, end - start);
    }
    return lines;
}

void HeadlessView::WriteEditorText(MemoryStream& source) const {
    // CR LF for each LF: one byte more a line.
    source.Reserve(source.Size() + editorText_.size() +
                   static_cast<std::size_t>(std::count(editorText_.begin(), editorText_.end(), '\n')));
    for (std::size_t start = 0, end; start < editorText_.size(); start = end + 1) {
        end = editorText_.find('\n', start);
        source.Write(editorText_.data() + start, end - start);
        source.Write("\r\n");
    }
}

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
