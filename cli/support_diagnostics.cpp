#include "cli/diagnostics.h"

#include <string_view>

#include "support/listing_diagnostic.h"

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
        const std::string_view line(listing.data() + start, end - start);
        start = end + 1;
        ListingDiagnostic d;
        if (!ParseListingDiagnostic(line, d)) continue;
        WritePlaced(map.Place(d.expandedLine), d.message, out);
        ++written;
    }
    return written;
}

}  // namespace vorn::cli
