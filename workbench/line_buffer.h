#pragma once
// The text of a page that only ever grows at the end ("Interpreter",
// "Program Output"), kept to its last lines: when older lines go, one line
// at the top says how many. Appending costs the same at the limit as before.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

namespace vorn {

inline constexpr std::size_t kPageLineLimit = 100000;

class LineBuffer {
public:
    explicit LineBuffer(std::size_t limit = kPageLineLimit) : limit_(limit == 0 ? 1 : limit) {}

    void Append(std::string line);
    void Clear();

    // Lines as the page shows them: the dropped-lines note (if any) first.
    std::size_t Size() const { return lines_.size() + (dropped_ > 0 ? 1 : 0); }
    std::string Line(std::size_t index) const;
    // All shown lines, each ended by "\n".
    std::string Text() const;

    std::uint64_t Dropped() const { return dropped_; }
    // Lines appended since the last Clear, dropped ones included; a window
    // compares it with what it has shown to find the new lines.
    std::uint64_t Appended() const { return dropped_ + lines_.size(); }
    std::size_t Limit() const { return limit_; }

private:
    std::size_t limit_;
    std::deque<std::string> lines_;
    std::uint64_t dropped_ = 0;
};

// "(1234 earlier lines dropped)"
std::string DroppedLinesNote(std::uint64_t dropped);

}  // namespace vorn
