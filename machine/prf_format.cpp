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

namespace vorn {

std::string LocaleDecimalPoint() {
    const std::lconv* lc = std::localeconv();
    if (lc == nullptr || lc->decimal_point == nullptr || lc->decimal_point[0] == '\0') return ".";
    return lc->decimal_point;
}

namespace {

// Rounds a digit string at `keep` digits, halves away from zero; returns
// true when the carry ran out of the front ("999" -> "1000", one longer).
bool RoundDigits(std::string& digits, std::size_t keep) {
    const bool up = digits.size() > keep && digits[keep] >= '5';
    digits.resize(keep, '0');
    if (!up) return false;
    for (std::size_t i = keep; i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return false;
        }
        digits[i] = '0';
    }
    digits.insert(digits.begin(), '1');
    digits.pop_back();
    return true;
}

}  // namespace

std::string FormatPrfFloat(double value, const std::string& decimalPoint) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    // Both roundings work on the value's exact decimal digits (at most 767
    // significant ones), halves away from zero, as a person rounds: 2.675 is
    // 2.674999999999999822... in binary, 2.675000 to 7 significant digits,
    // then 2.68.
    char buf[1100];
    const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 800);
    const std::string exact(buf, r.ptr);
    const std::size_t e = exact.find('e');
    std::string digits = exact.substr(0, 1) + exact.substr(2, e - 2);  // d.ddd -> dddd
    int exponent = std::atoi(exact.c_str() + e + 1);
    const bool negative = std::signbit(value);

    // Step 1: 7 significant digits.
    if (RoundDigits(digits, 7)) ++exponent;
    const bool zero = digits == "0000000";
    if (zero) exponent = 0;

    std::string text;
    if (exponent >= 7) {
        // The integer part needs more than 7 digits: d.ddddddE+XX.
        char tail[16];
        std::snprintf(tail, sizeof tail, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
        text = digits.substr(0, 1) + decimalPoint + digits.substr(1) + tail;
        return (negative ? "-" : "") + text;
    }
    // Step 2: 2 decimals. The 7 digits stand for digits x 10^(exponent - 6).
    // Lay them out with their decimal point, padded with zeros on either side.
    std::string integerPart, fraction;
    if (exponent >= 0) {
        integerPart = digits.substr(0, std::size_t(exponent) + 1);
        fraction = digits.substr(std::size_t(exponent) + 1);
    } else {
        integerPart = "0";
        fraction = std::string(std::size_t(-exponent - 1), '0') + digits;
    }
    std::string all = integerPart + fraction;
    const std::size_t keep = integerPart.size() + 2;
    if (all.size() < keep) all.append(keep - all.size(), '0');
    if (RoundDigits(all, keep)) all.push_back('0');  // 9.995 -> 10.00: one digit longer
    const std::string whole = all.substr(0, all.size() - 2);
    const bool allZero = all.find_first_not_of('0') == std::string::npos;
    text = whole + decimalPoint + all.substr(all.size() - 2);
    return (negative && !allZero ? "-" : "") + text;
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
            out += FormatPrfFloat(floats_[slot], decimalPoint);
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
