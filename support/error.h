#pragma once
// The one exception type of the project. Only errors that end a whole
// command are raised (an unreadable include file, a blank define name, a
// literal the compiler cannot convert, file errors); compile diagnostics and
// FSUIPC failures are never exceptions.
#include <stdexcept>
#include <string>

namespace vorn {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message, int expandedLine = 0)
        : std::runtime_error(message), expandedLine_(expandedLine) {}
    // The line of the expanded text the compile had reached (0: none), so
    // that the message can name the file and line the user wrote.
    int ExpandedLine() const { return expandedLine_; }

private:
    int expandedLine_;
};

}  // namespace vorn
