#include "workbench/source_jump.h"

#include <charconv>

namespace vorn {

namespace {

// Reads a decimal number at the start of text and moves past it.
bool TakeNumber(std::string_view& text, long long& value) {
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    if (r.ec != std::errc() || r.ptr == text.data()) return false;
    text.remove_prefix(static_cast<std::size_t>(r.ptr - text.data()));
    return true;
}

bool TakePrefix(std::string_view& text, std::string_view prefix) {
    if (text.substr(0, prefix.size()) != prefix) return false;
    text.remove_prefix(prefix.size());
    return true;
}

}  // namespace

std::optional<SourcePlace> PlaceOfPageLine(const ProgramMap& map, std::string_view line) {
    long long number = 0;
    std::string_view rest = line;
    if (TakePrefix(rest, ": ")) {
        if (!TakeNumber(rest, number) || !TakePrefix(rest, ": ")) return std::nullopt;
        if (number < 0 || number > INT32_MAX) return std::nullopt;
        return map.lines.Place(static_cast<int>(number));
    }
    rest = line;
    long long process = 0;
    if (!TakePrefix(rest, "Runtime error in process ") || !TakeNumber(rest, process) || !TakePrefix(rest, " at PC ") ||
        !TakeNumber(rest, number)) {
        return std::nullopt;
    }
    if (TakePrefix(rest, " (")) {
        const std::size_t close = rest.find("): ");
        const std::string_view place = rest.substr(0, close == std::string_view::npos ? 0 : close);
        const std::size_t colon = place.rfind(':');
        std::string_view digits = colon == std::string_view::npos ? std::string_view() : place.substr(colon + 1);
        long long lineNumber = 0;
        if (TakeNumber(digits, lineNumber) && digits.empty() && lineNumber > 0 && lineNumber <= INT32_MAX) {
            SourcePlace found;
            found.file = std::string(place.substr(0, colon));
            found.line = static_cast<int>(lineNumber);
            const std::string& main = map.lines.MainName();
            found.mainFile = found.file == main || (main.empty() && found.file == "untitled");
            return found;
        }
    }
    if (number < 0 || number > INT32_MAX) return std::nullopt;
    return map.PlaceOfPc(static_cast<std::int32_t>(number));
}

}  // namespace vorn
