#include "preprocessor/text_stream_adapter.h"

#include <cstring>

#include "support/error.h"

namespace vorn {

namespace {
constexpr std::uint8_t kLf = 0x0A;
constexpr std::uint8_t kCr = 0x0D;
constexpr std::uint8_t kCtrlZ = 0x1A;
}  // namespace

void TextStreamAdapter::AssignStream(MemoryStream* stream) {
    if (stream == nullptr) throw Error("Assertion failed: no stream to bind (StreamIO)");
    stream_ = stream;
    mode_ = Mode::kClosed;
    bufferPos_ = bufferEnd_ = 0;
}

void TextStreamAdapter::RequireMode(Mode mode) const {
    if (stream_ == nullptr) throw Error("Assertion failed: text file not bound to a stream (StreamIO)");
    if (mode_ != mode) throw Error("Assertion failed: text file not open for this operation (StreamIO)");
}

void TextStreamAdapter::Reset() {
    if (stream_ == nullptr) throw Error("Assertion failed: text file not bound to a stream (StreamIO)");
    if (mode_ == Mode::kOutput) Flush();
    stream_->Rewind();
    mode_ = Mode::kInput;
    bufferPos_ = bufferEnd_ = 0;
}

void TextStreamAdapter::Rewrite() {
    if (stream_ == nullptr) throw Error("Assertion failed: text file not bound to a stream (StreamIO)");
    if (mode_ == Mode::kOutput) Flush();
    stream_->Rewind();
    mode_ = Mode::kOutput;
    bufferPos_ = bufferEnd_ = 0;
}

void TextStreamAdapter::Append() {
    Rewrite();
    stream_->Seek(stream_->Size());
}

void TextStreamAdapter::Close() {
    if (mode_ == Mode::kOutput) Flush();
    mode_ = Mode::kClosed;
    bufferPos_ = bufferEnd_ = 0;
}

bool TextStreamAdapter::Fill() {
    bufferPos_ = 0;
    bufferEnd_ = stream_->Read(buffer_, kBufferSize);
    return bufferEnd_ > 0;
}

int TextStreamAdapter::PeekByte() {
    if (bufferPos_ >= bufferEnd_ && !Fill()) return -1;
    return buffer_[bufferPos_];
}

bool TextStreamAdapter::Eof() {
    RequireMode(Mode::kInput);
    // Reads always stop at a line start, so a Ctrl+Z seen here starts a line.
    const int next = PeekByte();
    return next < 0 || next == kCtrlZ;
}

bool TextStreamAdapter::ReadLine(std::string& line) {
    line.clear();
    if (Eof()) return false;
    for (;;) {
        if (bufferPos_ >= bufferEnd_ && !Fill()) return true;  // last line without a line end
        const std::uint8_t* begin = buffer_ + bufferPos_;
        const std::size_t avail = bufferEnd_ - bufferPos_;
        const auto* lf = static_cast<const std::uint8_t*>(std::memchr(begin, kLf, avail));
        const std::size_t span = lf != nullptr ? static_cast<std::size_t>(lf - begin) : avail;
        // A CR is never part of a line: before LF it belongs to the line end,
        // anywhere else it is dropped.
        const std::uint8_t* p = begin;
        const std::uint8_t* stop = begin + span;
        while (p != stop) {
            const auto* cr = static_cast<const std::uint8_t*>(std::memchr(p, kCr, static_cast<std::size_t>(stop - p)));
            const std::uint8_t* end = cr != nullptr ? cr : stop;
            line.append(reinterpret_cast<const char*>(p), static_cast<std::size_t>(end - p));
            p = cr != nullptr ? cr + 1 : stop;
        }
        bufferPos_ += span;
        if (lf != nullptr) {
            ++bufferPos_;
            return true;
        }
    }
}

void TextStreamAdapter::Write(std::string_view text) {
    RequireMode(Mode::kOutput);
    while (!text.empty()) {
        const std::size_t room = kBufferSize - bufferEnd_;
        const std::size_t n = text.size() < room ? text.size() : room;
        std::memcpy(buffer_ + bufferEnd_, text.data(), n);
        bufferEnd_ += n;
        text.remove_prefix(n);
        if (bufferEnd_ == kBufferSize) Flush();
    }
}

void TextStreamAdapter::WriteLine(std::string_view text) {
    Write(text);
    Write("\r\n");
    Flush();
}

void TextStreamAdapter::Flush() {
    if (mode_ != Mode::kOutput || bufferEnd_ == 0) return;
    stream_->Write(buffer_, bufferEnd_);
    bufferEnd_ = 0;
}

}  // namespace vorn
