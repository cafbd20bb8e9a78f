// Load value / Store int / Store float over the three address regions:
// FSUIPC offsets (16 bits), the data segment and the process's frame.
#include <algorithm>
#include <cstring>

#include "fsuipc/ipc_link.h"
#include "fsuipc/offsets.h"
#include "machine/code_image.h"
#include "machine/executor.h"

namespace vorn {
namespace {

constexpr const char* kDataFault = "data address out of range";
constexpr const char* kOffsetFault = "FSUIPC offset out of range";

// Bytes an integer access of this size moves: sizes other than 1, 2 and 4
// never move more than the 4 bytes an int holds, nor fewer than none.
std::int32_t IntBytes(std::int32_t size) { return std::clamp<std::int32_t>(size, 0, 4); }

std::int32_t SignExtend(std::int32_t v, std::int32_t size) {
    if (size == 1) return static_cast<std::int8_t>(v);
    if (size == 2) return static_cast<std::int16_t>(v);
    return v;
}

}  // namespace

// FSUIPC's offsets are 16 bits wide: an access that starts below 0 or runs
// past 0xFFFF would otherwise land at a wrapped offset.
bool Executor::FsuipcRange(std::int32_t address, std::int64_t n, std::uint16_t& offset) {
    if (address < 0 || std::int64_t{address} + n > kFsuipcOffsetEnd) {
        fault_ = kOffsetFault;
        return false;
    }
    offset = static_cast<std::uint16_t>(address);
    return true;
}

std::int32_t TruncateToInt32(double value) {
    if (!(value > -9.2e18 && value < 9.2e18)) return 0;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::int64_t>(value)));
}

bool Executor::FrameSlot(std::int32_t address, int& slot) {
    const std::int64_t s = std::int64_t{frameBase_} + (std::int64_t{address} - kFrameBase) / 4;
    if (s < 0 || s >= kStackSlots) {
        fault_ = kFrameFault;
        return false;
    }
    slot = static_cast<int>(s);
    return true;
}

bool Executor::DataRange(std::int32_t address, std::int64_t n, std::size_t& offset) {
    const std::int64_t off = std::int64_t{address} - kDataBase;
    const auto size = static_cast<std::int64_t>(m_.data_.size());
    if (address < kDataBase || address >= kFrameBase || off + std::max<std::int64_t>(n, 1) > size) {
        fault_ = kDataFault;
        return false;
    }
    offset = static_cast<std::size_t>(off);
    return true;
}

bool Executor::LoadValue(std::int32_t address, std::int32_t size) {
    if (!CanPush(1)) {
        fault_ = kOverflow;
        return false;
    }
    if (size >= 8) {
        double v = 0;
        if (address >= kFrameBase) {
            int s = 0;
            if (!FrameSlot(address, s)) return false;
            v = floats_[s];
        } else if (address >= kDataBase) {
            std::size_t off = 0;
            if (!DataRange(address, 8, off)) return false;
            std::memcpy(&v, m_.data_.data() + off, 8);
        } else {
            std::uint8_t buf[8] = {};
            std::uint16_t at = 0;
            if (!FsuipcRange(address, 8, at)) return false;
            m_.linkError_ = m_.link_.ReadBlock(buf, at, 8);
            std::memcpy(&v, buf, 8);
        }
        PushFloat(v);
        return true;
    }
    const std::int32_t n = IntBytes(size);
    std::int32_t v = 0;
    if (address >= kFrameBase) {
        int s = 0;
        if (!FrameSlot(address, s)) return false;
        v = ints_[s];
    } else if (address >= kDataBase) {
        std::size_t off = 0;
        if (!DataRange(address, n, off)) return false;
        std::uint8_t buf[4] = {};
        std::memcpy(buf, m_.data_.data() + off, static_cast<std::size_t>(n));
        v = static_cast<std::int32_t>(std::uint32_t{buf[0]} | std::uint32_t{buf[1]} << 8 |
                                      std::uint32_t{buf[2]} << 16 | std::uint32_t{buf[3]} << 24);
    } else {
        std::uint8_t buf[4] = {};
        std::uint16_t at = 0;
        if (!FsuipcRange(address, n, at)) return false;
        m_.linkError_ = m_.link_.ReadBlock(buf, at, static_cast<std::uint16_t>(n));
        v = static_cast<std::int32_t>(std::uint32_t{buf[0]} | std::uint32_t{buf[1]} << 8 |
                                      std::uint32_t{buf[2]} << 16 | std::uint32_t{buf[3]} << 24);
    }
    PushInt(SignExtend(v, size));
    return true;
}

bool Executor::StoreInt(std::int32_t value, std::int32_t address, std::int32_t size) {
    if (address >= kFrameBase) {
        int s = 0;
        if (!FrameSlot(address, s)) return false;
        ints_[s] = value;  // the whole value, whatever the size
        return true;
    }
    const std::int32_t n = IntBytes(size);
    const auto u = static_cast<std::uint32_t>(value);
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
                                   static_cast<std::uint8_t>(u >> 16), static_cast<std::uint8_t>(u >> 24)};
    if (address >= kDataBase) {
        std::size_t off = 0;
        if (!DataRange(address, n, off)) return false;
        std::memcpy(m_.data_.data() + off, bytes, static_cast<std::size_t>(n));
        return true;
    }
    std::uint16_t at = 0;
    if (!FsuipcRange(address, n, at)) return false;
    m_.linkError_ = m_.link_.WriteBlock(bytes, at, static_cast<std::uint16_t>(n));
    return true;
}

bool Executor::StoreFloat(double value, std::int32_t address) {
    if (address >= kFrameBase) {
        int s = 0;
        if (!FrameSlot(address, s)) return false;
        floats_[s] = value;
        return true;
    }
    if (address >= kDataBase) {
        std::size_t off = 0;
        if (!DataRange(address, 8, off)) return false;
        std::memcpy(m_.data_.data() + off, &value, 8);
        return true;
    }
    std::uint16_t at = 0;
    if (!FsuipcRange(address, 8, at)) return false;
    m_.linkError_ = m_.link_.WriteBlock(&value, at, 8);
    return true;
}

bool Executor::StoreValue(const Value& value, std::int32_t address, std::int32_t size) {
    if (size >= 8) return StoreFloat(value.tag ? static_cast<double>(value.i) : value.f, address);
    return StoreInt(value.tag ? value.i : TruncateToInt32(value.f), address, size);
}

bool Executor::Text(std::int32_t address, std::string& text) {
    std::size_t off = 0;
    if (!DataRange(address, 1, off)) return false;
    const auto* begin = reinterpret_cast<const char*>(m_.data_.data()) + off;
    const std::size_t room = m_.data_.size() - off;
    text.assign(begin, strnlen(begin, room));
    return true;
}

bool Executor::BlockRange(std::int32_t dataAddress, std::int32_t size, std::size_t& offset) {
    if (size < 0) {
        fault_ = kDataFault;
        return false;
    }
    return DataRange(dataAddress, size, offset);
}

}  // namespace vorn
