#pragma once
// PRF's "%f": 7 significant digits, then 2 decimals, or exponent notation
// ("1.234568E+08") when the integer part needs more than 7 digits. Both
// roundings are on the value's exact decimal digits, halves away from zero.
#include <string>
#include <string_view>

namespace vorn {

// kFast reads 13 significant digits and decides the 7-digit rounding from
// them unless they end in a possible tie; kExact always reads every digit
// (the reference the fast path is tested against).
enum class PrfFloatPath { kFast, kExact };

// Appends the text of `value` to `out`; allocates only when `out` grows.
void AppendPrfFloat(std::string& out, double value, std::string_view decimalPoint,
                    PrfFloatPath path = PrfFloatPath::kFast);

}  // namespace vorn
