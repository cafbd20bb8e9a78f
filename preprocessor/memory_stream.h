#pragma once
// A growable in-memory byte stream with a current position. All data that
// passes between the workbench, the expander, the compiler and the machine
// travels in one of these.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vorn {

class MemoryStream {
public:
    // Stores the bytes at the position, growing the stream as needed, and
    // advances the position past them.
    void Write(const void* bytes, std::size_t count);
    void Write(std::string_view text) { Write(text.data(), text.size()); }

    // Copies up to count bytes from the position and advances past them;
    // returns how many were copied (fewer only at the end of the stream).
    std::size_t Read(void* bytes, std::size_t count);

    void Clear() { bytes_.clear(); position_ = 0; }
    // Makes bytes the whole content, without copying them; the position
    // goes to the end, as if they had been written.
    void Adopt(std::vector<std::uint8_t>&& bytes) {
        bytes_ = std::move(bytes);
        position_ = bytes_.size();
    }
    // Makes room for size bytes in all, so that writing up to there does
    // not reallocate. Content and position are unchanged.
    void Reserve(std::size_t size);
    void Rewind() { position_ = 0; }
    // Moves the position; a position past the end is clamped to the end.
    void Seek(std::size_t position) { position_ = position < bytes_.size() ? position : bytes_.size(); }

    std::size_t Size() const { return bytes_.size(); }
    std::size_t Position() const { return position_; }
    bool AtEnd() const { return position_ >= bytes_.size(); }

    std::span<const std::uint8_t> Bytes() const { return bytes_; }
    // The bytes from the position to the end, as text.
    std::string RemainingText() const;
    // The whole content as text.
    std::string Text() const { return std::string(bytes_.begin(), bytes_.end()); }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

}  // namespace vorn
