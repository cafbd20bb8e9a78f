#pragma once
// The compiler's diagnostic lines as its listing holds them:
// ": N: message at or before TOKEN", N counting expanded lines. Read by vornc
// and the language server.
#include <charconv>
#include <string_view>

namespace vorn {

struct ListingDiagnostic {
    int expandedLine = 0;
    std::string_view message;  // "Undefined variable x at or before x"
};

// True when line (without its line end) is a diagnostic line.
inline bool ParseListingDiagnostic(std::string_view line, ListingDiagnostic& out) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    // A diagnostic is the only listing line that starts with ": ".
    if (line.substr(0, 2) != ": ") return false;
    int number = 0;
    const auto r = std::from_chars(line.data() + 2, line.data() + line.size(), number);
    if (r.ec != std::errc() || r.ptr == line.data() + 2) return false;
    std::string_view message = line.substr(static_cast<std::size_t>(r.ptr - line.data()));
    if (message.substr(0, 2) != ": ") return false;
    message.remove_prefix(2);
    out.expandedLine = number;
    out.message = message;
    return true;
}

// The token a diagnostic names after its last " at or before ", or empty.
inline std::string_view DiagnosticToken(std::string_view message) {
    constexpr std::string_view kAt = " at or before ";
    const std::size_t at = message.rfind(kAt);
    return at == std::string_view::npos ? std::string_view() : message.substr(at + kAt.size());
}

}  // namespace vorn
