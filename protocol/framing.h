#pragma once
// Content-Length framed JSON over a byte stream: the wire format both the
// language server and the debug adapter speak. One reader for both, so a
// hostile peer meets the same limits everywhere.
#include <cstddef>
#include <istream>
#include <ostream>
#include <string>

#include <nlohmann/json.hpp>

namespace vorn::protocol {

using Json = nlohmann::json;

// A frame's body may not be larger; editors send whole documents, which stay
// far below it, and a bigger announced length is refused before any of it is
// held.
inline constexpr std::size_t kMaxFrameBytes = std::size_t{32} << 20;
// A header line longer than this is not a header.
inline constexpr std::size_t kMaxHeaderLine = 1024;

struct Frame {
    enum Kind {
        kMessage,   // json holds the parsed body
        kBad,       // error says what was wrong; the reader has skipped past it
        kEnd,       // the stream ended (cleanly or inside a frame)
    };
    Kind kind = kEnd;
    Json json;
    std::string error;
};

class FrameReader {
public:
    explicit FrameReader(std::istream& in, std::size_t maxBytes = kMaxFrameBytes) : in_(in), maxBytes_(maxBytes) {}
    // The next frame. A bad header, a body that is not JSON or one over the
    // limit is kBad and reading goes on after it; an end of input inside a
    // frame is kEnd with error set.
    Frame Next();

private:
    bool ReadHeaderLine(std::string& line, bool& tooLong);
    std::istream& in_;
    std::size_t maxBytes_;
    std::size_t skip_ = 0;
};

// Writes one frame and flushes.
void WriteFrame(std::ostream& out, const Json& message);

// The JSON text of a message, with bytes that are not UTF-8 replaced rather
// than thrown at (program texts are 8-bit).
std::string Serialize(const Json& message);

}  // namespace vorn::protocol
