#pragma once
// Text in fixed columns for the read-only table pages (Watch, Debugger):
// each column as wide as its widest cell, two spaces between columns.
#include <string>
#include <vector>

namespace vorn {

// One line per row, each after `indent`; the last cell is not padded.
std::vector<std::string> ColumnLines(const std::vector<std::vector<std::string>>& rows, const std::string& indent = "");

// The lines as one page text, "\r\n" between them.
std::string JoinPageLines(const std::vector<std::string>& lines);

}  // namespace vorn
