#include "compiler/int_stack.h"

namespace vorn {

void TIntStack::Push(std::int32_t value) {
    // Room grows to the highest index plus 20: 20, 39, 58, ...
    if (static_cast<std::int64_t>(items_.size()) - 1 < top_) items_.resize(items_.size() - 1 + 20);
    items_[static_cast<std::size_t>(top_)] = value;
    ++top_;
}

std::int32_t TIntStack::Pop() {
    if (top_ <= 0) return 0;
    --top_;
    return items_[static_cast<std::size_t>(top_)];
}

}  // namespace vorn
