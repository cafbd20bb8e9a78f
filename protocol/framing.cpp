#include "protocol/framing.h"

#include <charconv>
#include <limits>

namespace vorn::protocol {

namespace {

constexpr char kLengthHeader[] = "content-length:";
constexpr std::size_t kLengthHeaderSize = sizeof kLengthHeader - 1;

// Where "Content-Length:" starts in the line, in any letter case. Junk in
// front of it (the unread rest of a broken frame) is skipped, so the reader
// finds its way back to the next frame.
std::size_t FindLengthHeader(const std::string& line) {
    for (std::size_t at = 0; at + kLengthHeaderSize <= line.size(); ++at) {
        std::size_t i = 0;
        while (i < kLengthHeaderSize) {
            const char c = line[at + i];
            const char lower = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            if (lower != kLengthHeader[i]) break;
            ++i;
        }
        if (i == kLengthHeaderSize) return at;
    }
    return std::string::npos;
}

}  // namespace

bool FrameReader::ReadHeaderLine(std::string& line, bool& tooLong) {
    line.clear();
    tooLong = false;
    for (;;) {
        const int c = in_.get();
        if (c == std::char_traits<char>::eof()) return false;
        if (c == '\n') break;
        if (line.size() < kMaxHeaderLine) {
            line.push_back(static_cast<char>(c));
        } else {
            tooLong = true;
        }
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

Frame FrameReader::Next() {
    Frame frame;
    if (skip_ > 0) {
        // The body of a frame refused for its size, after its error was sent.
        const std::size_t length = skip_;
        skip_ = 0;
        in_.ignore(static_cast<std::streamsize>(
            std::min<std::size_t>(length, static_cast<std::size_t>(std::numeric_limits<std::streamsize>::max()))));
        if (static_cast<std::size_t>(in_.gcount()) != length) {
            frame.error = "the input ended inside a frame";
            return frame;
        }
    }
    std::string line;
    bool sawHeader = false;
    bool haveLength = false;
    bool badHeader = false;
    std::size_t length = 0;
    for (;;) {
        bool tooLong = false;
        if (!ReadHeaderLine(line, tooLong)) {
            if (sawHeader) frame.error = "the input ended inside a frame header";
            return frame;
        }
        if (line.empty()) {
            if (!sawHeader) continue;  // blank lines between frames are tolerated
            break;
        }
        sawHeader = true;
        if (tooLong) {
            badHeader = true;
        } else if (const std::size_t header = FindLengthHeader(line); header != std::string::npos) {
            std::size_t at = header + kLengthHeaderSize;
            while (at < line.size() && line[at] == ' ') ++at;
            std::size_t value = 0;
            const char* end = line.data() + line.size();
            const auto r = std::from_chars(line.data() + at, end, value);
            if (r.ec != std::errc() || r.ptr != end || at == line.size()) {
                badHeader = true;
            } else {
                length = value;
                haveLength = true;
            }
        }
    }
    if (badHeader || !haveLength) {
        frame.kind = Frame::kBad;
        frame.error = haveLength ? "malformed frame header" : "a frame without a valid Content-Length header";
        // Nothing tells where the body ends; the search for the next
        // Content-Length finds the next frame.
        return frame;
    }
    if (length > maxBytes_) {
        // Answered at once, then skipped by the next call, never held: the
        // peer may well be hostile, or wait for the answer before going on.
        skip_ = length;
        frame.kind = Frame::kBad;
        frame.error = "a frame of " + std::to_string(length) + " bytes is larger than the limit of " +
                      std::to_string(maxBytes_);
        return frame;
    }
    std::string body(length, '\0');
    in_.read(body.data(), static_cast<std::streamsize>(length));
    if (static_cast<std::size_t>(in_.gcount()) != length) {
        frame.error = "the input ended inside a frame";
        return frame;
    }
    frame.json = Json::parse(body, nullptr, false);
    if (frame.json.is_discarded()) {
        frame.kind = Frame::kBad;
        frame.error = "the frame's body is not JSON";
        frame.json = Json();
        return frame;
    }
    if (!frame.json.is_object()) {
        frame.kind = Frame::kBad;
        frame.error = "the frame's body is not a JSON object";
        frame.json = Json();
        return frame;
    }
    frame.kind = Frame::kMessage;
    return frame;
}

std::string Serialize(const Json& message) {
    return message.dump(-1, ' ', false, Json::error_handler_t::replace);
}

void WriteFrame(std::ostream& out, const Json& message) {
    const std::string body = Serialize(message);
    out << "Content-Length: " << body.size() << "\r\n\r\n" << body;
    out.flush();
}

}  // namespace vorn::protocol
