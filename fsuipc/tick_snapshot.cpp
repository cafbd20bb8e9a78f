#include "fsuipc/tick_snapshot.h"

#include <algorithm>
#include <cstring>

#include "fsuipc/offsets.h"
#include "fsuipc/request_block.h"

namespace vorn {

void TickSnapshot::Plan(std::span<const OffsetRange> ranges) {
    active_ = false;
    sorted_.clear();
    for (const OffsetRange& r : ranges) {
        if (r.size == 0 || r.offset >= kFsuipcOffsetEnd || r.size > kFsuipcOffsetEnd - r.offset) continue;
        sorted_.push_back(r);
    }
    std::sort(sorted_.begin(), sorted_.end(),
              [](const OffsetRange& a, const OffsetRange& b) { return a.offset < b.offset; });
    spans_.clear();
    std::uint32_t total = 0;
    for (const OffsetRange& r : sorted_) {
        const std::uint32_t end = r.offset + r.size;
        if (!spans_.empty()) {
            Span& last = spans_.back();
            const std::uint32_t lastEnd = last.offset + last.size;
            if (r.offset <= lastEnd + kReadHeaderSize) {
                if (end > lastEnd) {
                    total += end - lastEnd;
                    last.size = end - last.offset;
                }
                continue;
            }
        }
        spans_.push_back({r.offset, r.size, total});
        total += r.size;
    }
    bytes_.assign(total, 0);
}

void TickSnapshot::Clear() {
    active_ = false;
    spans_.clear();
    bytes_.clear();
}

std::uint8_t* TickSnapshot::Find(std::uint32_t offset, std::uint32_t size) {
    if (!active_) return nullptr;
    // The last span that starts at or before offset.
    auto it = std::upper_bound(spans_.begin(), spans_.end(), offset,
                               [](std::uint32_t o, const Span& s) { return o < s.offset; });
    if (it == spans_.begin()) return nullptr;
    const Span& s = *--it;
    if (std::uint64_t(offset) + size > std::uint64_t(s.offset) + s.size) return nullptr;
    return bytes_.data() + s.at + (offset - s.offset);
}

void TickSnapshot::Patch(std::uint32_t offset, std::uint32_t size, const void* bytes) {
    if (!active_ || bytes == nullptr) return;
    const std::uint64_t end = std::uint64_t(offset) + size;
    for (const Span& s : spans_) {
        const std::uint64_t from = std::max<std::uint64_t>(offset, s.offset);
        const std::uint64_t to = std::min<std::uint64_t>(end, std::uint64_t(s.offset) + s.size);
        if (from >= to) continue;
        std::memcpy(bytes_.data() + s.at + (from - s.offset), static_cast<const std::uint8_t*>(bytes) + (from - offset),
                    std::size_t(to - from));
    }
}

}  // namespace vorn
