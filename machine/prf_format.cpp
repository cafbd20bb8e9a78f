// PRF: formats a text into the data segment from the frame of the call.
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fsuipc/ipc_link.h"
#include "machine/code_image.h"
#include "machine/executor.h"
#include "machine/prf_float.h"

namespace vorn {

std::string LocaleDecimalPoint() {
    const std::lconv* lc = std::localeconv();
    if (lc == nullptr || lc->decimal_point == nullptr || lc->decimal_point[0] == '\0') return ".";
    return lc->decimal_point;
}

bool Executor::Prf() {
    const std::int32_t f = frameBase_;
    if (f < 0 || f + 1 >= kStackSlots) {
        fault_ = "frame slot out of range";
        return false;
    }
    const std::int32_t destination = ints_[f];
    // The format is read in place: the text is built apart and copied to
    // the destination only at the end, so an overlap reads the old bytes.
    std::size_t formatOffset = 0;
    if (!DataRange(ints_[f + 1], 1, formatOffset)) return false;
    const auto* format = reinterpret_cast<const char*>(m_.data_.data()) + formatOffset;
    const std::size_t formatSize = strnlen(format, m_.data_.size() - formatOffset);
    std::size_t destOffset = 0;
    if (!DataRange(destination, 1, destOffset)) return false;

    std::string& out = prfText_;
    out.clear();
    std::int32_t arg = f + 2;
    auto nextArg = [&](int& slot) {
        if (arg >= kStackSlots) {
            fault_ = "frame slot out of range";
            return false;
        }
        slot = arg++;
        return true;
    };
    std::string& decimalPoint = decimalPoint_;  // looked up at the run's first "%f"
    for (std::size_t i = 0; i < formatSize; ++i) {
        const char c = format[i];
        if (c != '%') {
            out += c;
            continue;
        }
        if (i + 1 >= formatSize) {
            out += 'X';
            break;
        }
        const char conv = format[++i];
        int slot = 0;
        switch (conv) {
        case 'd': {
            if (!nextArg(slot)) return false;
            char digits[16];
            const auto r = std::to_chars(digits, digits + sizeof digits, ints_[slot]);
            out.append(digits, r.ptr);
            break;
        }
        case 'x': {
            if (!nextArg(slot)) return false;
            char hex[16];
            std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(ints_[slot]));
            out += hex;
            break;
        }
        case 'f':
            if (!nextArg(slot)) return false;
            if (decimalPoint.empty()) decimalPoint = LocaleDecimalPoint();
            AppendPrfFloat(out, floats_[slot], decimalPoint);
            break;
        case 's': {
            if (!nextArg(slot)) return false;
            const std::int32_t address = ints_[slot];
            if (address >= kDataBase) {
                std::string text;
                if (!Text(address, text)) return false;
                out += text;
            } else {
                // A failed read leaves the buffer empty; it does not stop the program.
                char buf[257] = {};
                m_.link_.ReadBlock(buf, static_cast<std::uint16_t>(address & 0xFFFF), 256);
                out.append(buf, strnlen(buf, 256));
            }
            break;
        }
        default:
            out += 'X';
            break;
        }
    }
    // The text is cut so that it and its terminating zero stay inside the segment.
    const std::size_t room = m_.data_.size() - destOffset - 1;
    const std::size_t n = out.size() < room ? out.size() : room;
    std::memcpy(m_.data_.data() + destOffset, out.data(), n);
    m_.data_[destOffset + n] = 0;
    return true;
}

}  // namespace vorn
