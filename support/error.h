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
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace vorn
