#include "protocol/uri.h"

#include <algorithm>
#include <cctype>

namespace vorn::protocol {

namespace {
int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
[[maybe_unused]] bool IsDriveLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
}  // namespace

std::string UriToPath(const std::string& uri) {
    constexpr std::string_view kScheme = "file://";
    if (uri.compare(0, kScheme.size(), kScheme) != 0) return {};
    std::size_t at = kScheme.size();
    // An authority ("file://host/...") other than empty or localhost is not ours.
    const std::size_t slash = uri.find('/', at);
    if (slash == std::string::npos) return {};
    const std::string host = uri.substr(at, slash - at);
    if (!host.empty() && host != "localhost") return {};
    std::string path;
    for (at = slash; at < uri.size(); ++at) {
        const char c = uri[at];
        if (c == '%') {
            if (at + 2 >= uri.size()) return {};
            const int hi = HexValue(uri[at + 1]);
            const int lo = HexValue(uri[at + 2]);
            if (hi < 0 || lo < 0) return {};
            const char decoded = static_cast<char>(hi * 16 + lo);
            if (decoded == '\0') return {};  // a NUL would cut the name short
            path.push_back(decoded);
            at += 2;
        } else if (c == '?' || c == '#') {
            break;
        } else {
            path.push_back(c);
        }
    }
#ifdef _WIN32
    // "file:///c%3A/dir/x.vrn" names c:\dir\x.vrn.
    if (path.size() >= 3 && path[0] == '/' && IsDriveLetter(path[1]) && path[2] == ':') path.erase(0, 1);
    std::replace(path.begin(), path.end(), '/', '\\');
#endif
    return path;
}

std::string PathToUri(const std::string& native) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string path = native;
#ifdef _WIN32
    // As editors write them: "file:///c%3A/dir/x.vrn", the drive in lower case.
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':') {
        path[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(path[0])));
        path = "/" + path;
    }
#endif
    std::string uri = "file://";
    for (const char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '/' || c == '-' || c == '_' || c == '.' || c == '~';
        if (plain) {
            uri.push_back(ch);
        } else {
            uri.push_back('%');
            uri.push_back(kHex[c >> 4]);
            uri.push_back(kHex[c & 15]);
        }
    }
    return uri;
}

}  // namespace vorn::protocol
