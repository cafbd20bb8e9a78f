#include "machine/prf_float.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace vorn {
namespace {

// Digits read by the fast path: 13 significant. They are the exact digits
// rounded once, so they are off by at most half a unit in the 13th; the 7-digit
// rounding they give is the exact one unless digits 8 to 13 read 500000.
constexpr int kFastPrecision = 12;
constexpr std::uint64_t kFastTie = 500000;
// Enough for every digit of a double: at most 767 significant ones.
constexpr int kExactPrecision = 800;

// A non-negative finite value rounded to 7 significant digits: `digits`
// (1000000..9999999, or 0 for zero) times 10^(exponent - 6).
struct SevenDigits {
    std::uint32_t digits = 0;
    int exponent = 0;
};

// Reads "d.ddd...e+XX" from to_chars: the first 7 digits, whether the rest
// rounds them up, and the exponent. False when the fast digits end in a
// possible tie.
bool FromScientific(const char* first, const char* last, bool exact, SevenDigits& out) {
    std::uint32_t head = static_cast<std::uint32_t>(first[0] - '0');
    const char* p = first + 2;  // past "d."
    for (int i = 1; i < 7; ++i) head = head * 10 + static_cast<std::uint32_t>(*p++ - '0');
    bool up = false;
    if (exact) {
        up = *p >= '5';
    } else {
        std::uint64_t tail = 0;
        for (int i = 7; i <= kFastPrecision; ++i) tail = tail * 10 + static_cast<std::uint64_t>(*p++ - '0');
        if (tail == kFastTie) return false;
        up = tail > kFastTie;
    }
    while (p < last && *p != 'e') ++p;
    // "e+XX" or "e-XXX"; the text has no terminating zero.
    const bool below = p + 1 < last && p[1] == '-';
    int exponent = 0;
    for (p += 2; p < last; ++p) exponent = exponent * 10 + (*p - '0');
    if (below) exponent = -exponent;
    if (up && ++head == 10000000) {
        head = 1000000;
        ++exponent;
    }
    out = {head, exponent};
    return true;
}

SevenDigits RoundToSeven(double magnitude, PrfFloatPath path) {
    SevenDigits seven;
    if (magnitude == 0) return seven;
    char buf[kExactPrecision + 16];
    if (path == PrfFloatPath::kFast) {
        const auto r = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, kFastPrecision);
        if (FromScientific(buf, r.ptr, false, seven)) return seven;
    }
    const auto r = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, kExactPrecision);
    FromScientific(buf, r.ptr, true, seven);
    return seven;
}

void AppendUnsigned(std::string& out, std::uint64_t v) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}

}  // namespace

void AppendPrfFloat(std::string& out, double value, std::string_view decimalPoint, PrfFloatPath path) {
    if (std::isnan(value)) {
        out += "NAN";
        return;
    }
    if (std::isinf(value)) {
        out += value < 0 ? "-INF" : "INF";
        return;
    }
    const bool negative = std::signbit(value);
    const SevenDigits seven = RoundToSeven(std::fabs(value), path);
    if (seven.exponent >= 7) {
        // The integer part needs more than 7 digits: d.ddddddE+XX.
        if (negative) out += '-';
        char digits[8] = {};
        std::to_chars(digits, digits + sizeof digits, seven.digits);
        out += digits[0];
        out += decimalPoint;
        out.append(digits + 1, 6);
        out += "E+";
        if (seven.exponent < 10) out += '0';
        AppendUnsigned(out, static_cast<std::uint64_t>(seven.exponent));
        return;
    }
    // Hundredths: digits x 10^(exponent - 4), rounded halves up.
    std::uint64_t hundredths = seven.digits;
    if (seven.exponent >= 4) {
        for (int i = 4; i < seven.exponent; ++i) hundredths *= 10;
    } else if (4 - seven.exponent >= 8) {
        hundredths = 0;  // below 0.1 of a hundredth
    } else {
        std::uint64_t divisor = 1;
        for (int i = seven.exponent; i < 4; ++i) divisor *= 10;
        hundredths = seven.digits / divisor + (seven.digits % divisor * 2 >= divisor ? 1 : 0);
    }
    if (negative && hundredths != 0) out += '-';
    AppendUnsigned(out, hundredths / 100);
    out += decimalPoint;
    const auto cents = static_cast<char>(hundredths % 100);
    out += static_cast<char>('0' + cents / 10);
    out += static_cast<char>('0' + cents % 10);
}

}  // namespace vorn
