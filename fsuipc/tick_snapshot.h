#pragma once
// What the one exchange at the start of a batched tick read: the offsets a
// program can reach by name, merged into few spans, and their bytes. During
// the tick reads of those offsets are served from here and writes patch it.
#include <cstdint>
#include <span>
#include <vector>

namespace vorn {

struct OffsetRange {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};

class TickSnapshot {
public:
    struct Span {
        std::uint32_t offset;
        std::uint32_t size;
        std::uint32_t at;  // where its bytes start in Bytes()
    };

    // Sorts and merges the ranges (overlapping, touching, or closer than a
    // read record's header, which would cost more than the gap). Ranges that
    // are empty or leave the 16-bit offsets are left out. Not active until
    // SetActive.
    void Plan(std::span<const OffsetRange> ranges);
    void Clear();
    void SetActive(bool on) { active_ = on; }
    bool Active() const { return active_; }

    const std::vector<Span>& Spans() const { return spans_; }
    std::uint8_t* Bytes(const Span& span) { return bytes_.data() + span.at; }
    // The bytes of [offset, offset + size) when one span holds them all.
    std::uint8_t* Find(std::uint32_t offset, std::uint32_t size);
    // A write of these bytes: every span it overlaps takes its share.
    void Patch(std::uint32_t offset, std::uint32_t size, const void* bytes);

private:
    std::vector<Span> spans_;
    std::vector<std::uint8_t> bytes_;
    std::vector<OffsetRange> sorted_;  // kept between ticks: no allocation per tick
    bool active_ = false;
};

}  // namespace vorn
