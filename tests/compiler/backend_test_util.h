#pragma once
// Compiles program text through CompileSource and hands back what a user
// would look at: the listing's lines and the image as words.
#include <cstdint>
#include <string>
#include <vector>

#include "compiler/compile_source.h"
#include "preprocessor/memory_stream.h"

namespace vorn::testing {

struct Compiled {
    bool ok = false;
    std::vector<std::string> lines;       // listing lines without CR LF
    std::vector<std::int32_t> words;      // the whole image, word by word
    std::vector<std::uint8_t> imageBytes;
    std::string listingText;              // raw, with CR LF
};

inline Compiled Compile(const std::string& program, bool showListing = true) {
    MemoryStream source, listing, image;
    source.Write(program);
    Compiled result;
    result.ok = CompileSource(source, listing, image, showListing);
    result.listingText = listing.Text();
    const std::string& text = result.listingText;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        result.lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    const auto bytes = image.Bytes();
    result.imageBytes.assign(bytes.begin(), bytes.end());
    for (std::size_t i = 0; i + 3 < bytes.size(); i += 4)
        result.words.push_back(static_cast<std::int32_t>(static_cast<std::uint32_t>(bytes[i]) |
                                                         static_cast<std::uint32_t>(bytes[i + 1]) << 8 |
                                                         static_cast<std::uint32_t>(bytes[i + 2]) << 16 |
                                                         static_cast<std::uint32_t>(bytes[i + 3]) << 24));
    return result;
}

// Lines that are diagnostics (": <line>: <message> at or before <token>").
inline std::vector<std::string> Diagnostics(const Compiled& c) {
    std::vector<std::string> found;
    for (const auto& line : c.lines)
        if (line.rfind(": ", 0) == 0) found.push_back(line);
    return found;
}

inline bool HasDiagnostic(const Compiled& c, const std::string& message) {
    for (const auto& line : Diagnostics(c))
        if (line.find(": " + message + " at or before") != std::string::npos) return true;
    return false;
}

// The code section of an image: words after the key and label tables.
struct ImageParts {
    std::int32_t dataEnd = 0;
    std::vector<std::vector<std::int32_t>> keys;
    std::vector<std::int32_t> labels;
    std::vector<std::int32_t> code;
    std::int32_t dataWords = 0;
    std::vector<std::uint8_t> data;
};

inline ImageParts Split(const Compiled& c) {
    ImageParts p;
    const auto& w = c.words;
    std::size_t i = 0;
    auto next = [&]() { return i < w.size() ? w[i++] : 0; };
    p.dataEnd = next();
    for (std::int32_t k = 0, n = next(); k < n; ++k) p.keys.push_back({next(), next(), next(), next()});
    for (std::int32_t k = 0, n = next(); k < n; ++k) p.labels.push_back(next());
    for (std::int32_t k = 0, n = next(); k < n; ++k) p.code.push_back(next());
    p.dataWords = next();
    if (i * 4 <= c.imageBytes.size()) p.data.assign(c.imageBytes.begin() + static_cast<std::ptrdiff_t>(i * 4), c.imageBytes.end());
    return p;
}

}  // namespace vorn::testing
