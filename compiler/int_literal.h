#pragma once
// Integer literals as declarations and operands use them: decimal, $hex and
// 0x hex.
#include <cstdint>
#include <string_view>

namespace vorn {

bool IsIntLiteral(std::string_view text);

// The literal's signed 32-bit value. Hexadecimal may use all 32 bits (eight F
// digits read as -1); decimal must not exceed 2147483647. A text that does not
// convert raises vorn::Error, which ends the compile.
std::int32_t IntLiteralValue(std::string_view text);

}  // namespace vorn
