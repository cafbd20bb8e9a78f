#pragma once
// The compiler's stack of scope marks and open if/while labels.
#include <cstdint>
#include <vector>

namespace vorn {

class TIntStack {
public:
    TIntStack() : items_(20) {}

    void Push(std::int32_t value);
    // Popping an empty stack (only possible after a broken nesting, when no
    // image is written) returns 0 and leaves the stack as it is.
    std::int32_t Pop();

    std::int32_t Top() const { return top_; }
    std::size_t Room() const { return items_.size(); }

private:
    std::int32_t top_ = 0;
    std::vector<std::int32_t> items_;
};

}  // namespace vorn
