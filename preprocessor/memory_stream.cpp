#include "preprocessor/memory_stream.h"

#include "support/huge_pages.h"

#include <algorithm>
#include <cstdint>
#include <cstring>


namespace vorn {

void MemoryStream::Reserve(std::size_t size) {
    bytes_.reserve(HugePageCapacity(size));
    AdviseHugePages(bytes_.data(), bytes_.capacity());
}

void MemoryStream::Write(const void* bytes, std::size_t count) {
    if (count == 0) return;
    if (position_ > bytes_.size()) bytes_.resize(position_);
    // Bytes under the position are overwritten; the rest is appended in one
    // go, so large writes never zero-fill memory only to copy over it.
    const auto* src = static_cast<const std::uint8_t*>(bytes);
    const std::size_t overwrite = std::min(count, bytes_.size() - position_);
    if (overwrite > 0) std::memcpy(bytes_.data() + position_, src, overwrite);
    if (overwrite < count) bytes_.insert(bytes_.end(), src + overwrite, src + count);
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
