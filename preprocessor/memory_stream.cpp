#include "preprocessor/memory_stream.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace vorn {

// Advises the huge pages the buffer covers, counting one whose remainder is
// no more than the small page the buffer shares with its allocator. A
// refused hint is harmless.
void AdviseHugePages(const void* p, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kHuge = std::uintptr_t{2} << 20;
    const auto start = reinterpret_cast<std::uintptr_t>(p);
    // A buffer that starts or ends within a small page of a huge page
    // boundary (the rest of that small page being the allocator's) still
    // gets the huge page there.
    constexpr std::uintptr_t kSmall = 4096;
    const std::uintptr_t down = start & ~(kHuge - 1);
    const std::uintptr_t begin = start - down < kSmall ? down : down + kHuge;
    const std::uintptr_t up = (start + bytes + kSmall) & ~(kHuge - 1);
    const std::uintptr_t end = up > start + bytes ? up : (start + bytes) & ~(kHuge - 1);
    if (end <= begin) return;
    madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
    // The allocator has already touched the small page holding its header,
    // which alone would keep that first huge page out; collapse it into one
    // now (MADV_COLLAPSE, which older C library headers do not name).
    constexpr int kCollapse = 25;
    if (begin == down) madvise(reinterpret_cast<void*>(begin), kHuge, kCollapse);
#else
    (void)p;
    (void)bytes;
#endif
}

std::size_t HugePageCapacity(std::size_t bytes) {
    // Just under whole huge pages, so the allocator's own mapping of the
    // buffer (header included) is a whole number of them and the system
    // places it on a huge page boundary.
    constexpr std::size_t kHuge = std::size_t{2} << 20;
    constexpr std::size_t kSlack = 64;
    if (bytes < kHuge / 2 || bytes > SIZE_MAX - 2 * kHuge) return bytes;
    return (bytes + kSlack + kHuge - 1) / kHuge * kHuge - kSlack;
}

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
