#include "cli/diagnostics.h"

#include <charconv>
#include <string_view>

namespace vorn::cli {

namespace {

void WritePlaced(const SourcePlace& place, std::string_view message, std::FILE* out) {
    const std::string line = PlaceText(place) + ": " + std::string(message) + "\n";
    std::fwrite(line.data(), 1, line.size(), out);
}

}  // namespace

int WriteDiagnostics(const LineMap& map, const std::string& listing, std::FILE* out) {
    int written = 0;
    for (const LineMap::ErrorLine& e : map.Errors()) {
        WritePlaced(map.Place(e.expandedLine), e.text, out);
        ++written;
    }
    std::size_t start = 0;
    while (start < listing.size()) {
        std::size_t end = listing.find('\n', start);
        if (end == std::string::npos) end = listing.size();
        std::string_view line(listing.data() + start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        // A diagnostic is the only listing line that starts with ": ".
        if (line.substr(0, 2) != ": ") continue;
        int number = 0;
        const auto r = std::from_chars(line.data() + 2, line.data() + line.size(), number);
        if (r.ec != std::errc() || r.ptr == line.data() + 2) continue;
        std::string_view message = line.substr(static_cast<std::size_t>(r.ptr - line.data()));
        if (message.substr(0, 2) != ": ") continue;
        message.remove_prefix(2);
        WritePlaced(map.Place(number), message, out);
        ++written;
    }
    return written;
}

}  // namespace vorn::cli
