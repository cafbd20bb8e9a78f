#pragma once
// Diagnostics as editors and IDEs read them, "FILE:LINE: message": the
// expander's error lines, then every diagnostic line of the compiler's
// listing, placed by the line map. For vornc's commands and the debug adapter.
#include <string>
#include <string_view>
#include <vector>

#include "preprocessor/line_map.h"
#include "support/listing_diagnostic.h"

namespace vorn {

inline std::vector<std::string> PlacedDiagnostics(const LineMap& map, std::string_view listing) {
    std::vector<std::string> lines;
    for (const LineMap::ErrorLine& e : map.Errors()) lines.push_back(PlaceText(map.Place(e.expandedLine)) + ": " + e.text);
    std::size_t start = 0;
    while (start < listing.size()) {
        std::size_t end = listing.find('\n', start);
        if (end == std::string_view::npos) end = listing.size();
        const std::string_view line = listing.substr(start, end - start);
        start = end + 1;
        ListingDiagnostic d;
        if (ParseListingDiagnostic(line, d)) lines.push_back(PlaceText(map.Place(d.expandedLine)) + ": " + std::string(d.message));
    }
    return lines;
}

}  // namespace vorn
