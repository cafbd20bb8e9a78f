#pragma once
// Where each line of an expanded text came from: the file (the edited one or
// an include) and the line in it. Diagnostics and runtime errors count lines
// of the expanded text; this turns them back into lines the user can find.
#include <cstdint>
#include <exception>
#include <string>
#include <utility>
#include <vector>

namespace vorn {

struct SourcePlace {
    std::string file;        // as the user named it; empty for an unnamed edited text
    int line = 0;            // 1 = the first line of that file
    bool mainFile = false;   // the edited text itself, not an include
};

class LineMap {
public:
    // Names the edited text (file 0). Include names are resolved against the
    // current folder; when that is not the user's, includeFolder (the current
    // folder as the user would name it) goes before relative include names.
    void SetNames(std::string mainName, std::string includeFolder = {});
    // Forgets the lines of the last expansion; the names stay.
    void Begin();
    // The index of an include file's name as written, added on first use.
    int FileIndex(const std::string& name);
    // The next expanded line comes from line `line` of file `file`.
    void Add(int file, int line);
    // The expanded line just added is one of the expander's error lines.
    void MarkError(std::string text) { errors_.push_back({static_cast<int>(lines_), std::move(text)}); }
    // One more line of the edited text was read (define and include lines count).
    int NextMainLine() { return ++mainLines_; }

    // The origin of expanded line n (1-based). A line outside the expanded
    // text (0 at the start, or the end of input) maps to the last line of
    // the edited text.
    SourcePlace Place(int expandedLine) const;

    const std::string& MainName() const { return files_.empty() ? kNoName : files_.front(); }
    std::size_t ExpandedLines() const { return lines_; }
    // The include files of the last expansion, named as in places.
    std::vector<std::string> IncludeNames() const { return {files_.begin() + (files_.empty() ? 0 : 1), files_.end()}; }
    // The expander's error lines, in order, with their expanded line numbers.
    struct ErrorLine {
        int expandedLine;
        std::string text;
    };
    const std::vector<ErrorLine>& Errors() const { return errors_; }

private:
    // Expanded lines from `first` (0-based) on come from consecutive lines
    // of one file, from `line` on, up to the next run. Runs, not one record
    // a line: a text of millions of lines has a handful of them.
    struct Run {
        std::int32_t first;
        std::int32_t file;
        std::int32_t line;
    };
    static const std::string kNoName;
    std::string includeFolder_;
    std::vector<std::string> files_ = std::vector<std::string>(1);
    std::vector<Run> runs_;
    std::size_t lines_ = 0;
    std::vector<ErrorLine> errors_;
    int mainLines_ = 0;
};

// "prog.vrn:6", the form editors jump to ("untitled:6" for an unnamed text).
std::string PlaceText(const SourcePlace& place);

// An error that ended a command, with "prog.vrn:6: " before it when it
// names a line of the expanded text.
std::string PlacedErrorText(const LineMap& map, const std::exception& error);

}  // namespace vorn
