#include "cli/diagnostics.h"

#include "support/placed_diagnostics.h"

namespace vorn::cli {

int WriteDiagnostics(const LineMap& map, const std::string& listing, std::FILE* out) {
    const std::vector<std::string> lines = PlacedDiagnostics(map, listing);
    for (const std::string& line : lines) {
        std::fwrite(line.data(), 1, line.size(), out);
        std::fputc('\n', out);
    }
    return static_cast<int>(lines.size());
}

}  // namespace vorn::cli
