#include "preprocessor/memory_stream.h"

#include <algorithm>
#include <cstring>

namespace vorn {

void MemoryStream::Write(const void* bytes, std::size_t count) {
    if (count == 0) return;
    if (position_ + count > bytes_.size()) bytes_.resize(position_ + count);
    std::memcpy(bytes_.data() + position_, bytes, count);
    position_ += count;
}

std::size_t MemoryStream::Read(void* bytes, std::size_t count) {
    const std::size_t available = bytes_.size() - std::min(position_, bytes_.size());
    const std::size_t n = std::min(count, available);
    if (n > 0) std::memcpy(bytes, bytes_.data() + position_, n);
    position_ += n;
    return n;
}

std::string MemoryStream::RemainingText() const {
    if (position_ >= bytes_.size()) return {};
    return std::string(bytes_.begin() + static_cast<std::ptrdiff_t>(position_), bytes_.end());
}

}  // namespace vorn
