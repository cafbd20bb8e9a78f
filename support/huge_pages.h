#pragma once
// Memory hints for the few large buffers of a compile (code, image, source
// streams). Touching a fresh small page costs far more than writing it on
// the machines we run on; buffers on huge pages take a fraction of the page
// faults. Header-only, so every library can use it without a dependency.
#include <cstddef>
#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace vorn {

// Advises the huge pages the buffer covers, counting one whose remainder is
// no more than the small page the buffer shares with its allocator. A
// refused hint is harmless.
inline void AdviseHugePages(const void* p, std::size_t bytes) {
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

inline std::size_t HugePageCapacity(std::size_t bytes) {
    // Just under whole huge pages, so the allocator's own mapping of the
    // buffer (header included) is a whole number of them and the system
    // places it on a huge page boundary.
    constexpr std::size_t kHuge = std::size_t{2} << 20;
    constexpr std::size_t kSlack = 64;
    if (bytes < kHuge / 2 || bytes > SIZE_MAX - 2 * kHuge) return bytes;
    return (bytes + kSlack + kHuge - 1) / kHuge * kHuge - kSlack;
}

}  // namespace vorn
