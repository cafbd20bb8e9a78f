#pragma once
// Line-oriented text reading and writing over a MemoryStream. The expander
// and the lexer read their input through it, so both see the same lines:
//  - LF ends a line; a CR directly before the LF is not part of the line and
//    any other CR is dropped;
//  - a Ctrl+Z (0x1A) at the start of a line ends the input; elsewhere it is
//    an ordinary character;
//  - a last line without a line end is still a line; input ending with a
//    line end has no extra empty line after it.
// Written lines end with CR LF.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "preprocessor/memory_stream.h"

namespace vorn {

class TextStreamAdapter {
public:
    static constexpr std::size_t kBufferSize = 128;

    TextStreamAdapter() = default;
    TextStreamAdapter(const TextStreamAdapter&) = delete;
    TextStreamAdapter& operator=(const TextStreamAdapter&) = delete;

    // Binds the adapter to a stream it does not own. A null stream is a
    // programming error: raises vorn::Error naming "StreamIO".
    void AssignStream(MemoryStream* stream);
    bool IsAssigned() const { return stream_ != nullptr; }

    // Opens for reading from the start of the stream.
    void Reset();
    // Opens for writing at the start of the stream (no truncation: callers
    // clear the stream first).
    void Rewrite();
    // Opens for writing at the end of the stream.
    void Append();
    // Flushes pending output; the stream stays bound.
    void Close();

    // Reading. Eof is true at the end of the stream or before a Ctrl+Z that
    // starts a line. ReadLine gives false (and an empty line) at Eof.
    bool Eof();
    bool ReadLine(std::string& line);

    // Writing. Bytes collect in the buffer and go to the stream when it is
    // full and at every line end.
    void Write(std::string_view text);
    void WriteLine(std::string_view text);
    void Flush();

private:
    enum class Mode { kClosed, kInput, kOutput };

    bool Fill();              // refills the read buffer; false at the stream's end
    int PeekByte();           // next byte or -1 at the end; does not consume
    void RequireMode(Mode mode) const;

    MemoryStream* stream_ = nullptr;
    Mode mode_ = Mode::kClosed;
    std::uint8_t buffer_[kBufferSize] = {};
    std::size_t bufferPos_ = 0;
    std::size_t bufferEnd_ = 0;
};

// The same binding as a free function, for callers that think of it as an
// operation on the text file record.
inline void AssignStream(TextStreamAdapter& file, MemoryStream* stream) { file.AssignStream(stream); }

}  // namespace vorn
