#include "machine/runtime_error.h"

namespace vorn {

std::string RuntimeErrorLine(int process, std::int32_t pc, std::string_view place, std::string_view what) {
    std::string line = "Runtime error in process " + std::to_string(process) + " at PC " + std::to_string(pc);
    if (!place.empty()) {
        line += " (";
        line += place;
        line += ")";
    }
    line += ": ";
    line += what;
    return line;
}

}  // namespace vorn
