// PRF's "%f": the fast path gives the exact path's text, and both round
// ties on the value's exact decimal digits, halves away from zero.
#include "machine/prf_float.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>

namespace vorn {
namespace {

std::string Text(double value, PrfFloatPath path) {
    std::string out;
    AppendPrfFloat(out, value, ".", path);
    return out;
}

TEST(PrfFloat, TiesAndBoundaries) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {0.0, "0.00"},
        {-0.0, "0.00"},
        {0.125, "0.13"},          // an exact tie at the 2nd decimal
        {-0.125, "-0.13"},
        {2.675, "2.68"},          // 2.67499999... reads 2.675000 at 7 digits
        {1.005, "1.01"},
        {9.995, "10.00"},         // the carry adds a digit
        {0.005, "0.01"},
        {-0.004, "0.00"},         // rounds to zero: no sign
        {1234567.5, "1234568.00"},  // an exact tie at the 7th digit
        {1234566.5, "1234567.00"},
        {1.0000005, "1.00"},
        {9999999.5, "1.000000E+07"},  // the 7-digit carry moves into exponent notation
        {9999999.4, "9999999.00"},
        {123456789.0, "1.234568E+08"},
        {-1e300, "-1.000000E+300"},
        {5e-324, "0.00"},
        {0.0049999999, "0.01"},   // 7 digits first: 0.005000000
        {0.004999994, "0.00"},
        {149999.5, "149999.50"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Text(c.value, PrfFloatPath::kExact), c.text) << c.value;
        EXPECT_EQ(Text(c.value, PrfFloatPath::kFast), c.text) << c.value;
    }
}

TEST(PrfFloat, FastPathMatchesExactOnAMillionValues) {
    std::mt19937_64 random(26);
    std::uniform_int_distribution<int> kind(0, 3);
    std::uniform_int_distribution<int> power(-12, 12);
    std::uniform_int_distribution<std::int64_t> digits(0, 99999999);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    int checked = 0;
    for (int i = 0; i < 1000000; ++i) {
        double v = 0;
        switch (kind(random)) {
        case 0: v = std::bit_cast<double>(random()); break;          // any bit pattern
        case 1: v = unit(random) * std::pow(10.0, power(random)); break;
        case 2: v = static_cast<double>(digits(random)) / 1000.0; break;  // few decimals
        default:  // next to a tie at the 7th significant digit
            v = (static_cast<double>(digits(random) % 9000000 + 1000000) + 0.5) * std::pow(10.0, power(random) - 6);
            break;
        }
        if (!std::isfinite(v)) continue;
        ++checked;
        ASSERT_EQ(Text(v, PrfFloatPath::kFast), Text(v, PrfFloatPath::kExact)) << std::hexfloat << v;
    }
    EXPECT_GT(checked, 900000);
}

TEST(PrfFloat, AppendsToWhatIsThere) {
    std::string out = "f=";
    AppendPrfFloat(out, -1.5, ",");
    EXPECT_EQ(out, "f=-1,50");
}

}  // namespace
}  // namespace vorn
