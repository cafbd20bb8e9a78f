#pragma once
// The one form of the line that reports a fault ending a process.
#include <cstdint>
#include <string>
#include <string_view>

namespace vorn {

// "Runtime error in process 0 at PC 11 (prog.vrn:6): division by zero";
// without a place the parenthesis is left out.
std::string RuntimeErrorLine(int process, std::int32_t pc, std::string_view place, std::string_view what);

}  // namespace vorn
