#include "compiler/int_literal.h"

#include <string>

#include "support/error.h"

namespace vorn {

namespace {

bool IsDecimal(char c) { return c >= '0' && c <= '9'; }
bool IsHex(char c) { return IsDecimal(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }
int HexValue(char c) {
    if (IsDecimal(c)) return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return c - 'a' + 10;
}
bool HasHexPrefix(std::string_view text) {
    return text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

// A literal of megabytes is named by its start, not echoed whole.
constexpr std::size_t kShownLiteral = 40;

[[noreturn]] void ConversionFailure(std::string_view text) {
    const std::string shown =
        text.size() > kShownLiteral ? std::string(text.substr(0, kShownLiteral)) + "..." : std::string(text);
    throw Error("'" + shown + "' is not a valid integer value");
}

}  // namespace

bool IsIntLiteral(std::string_view text) {
    if (!text.empty() && text[0] == '$') {
        for (char c : text.substr(1))
            if (!IsHex(c)) return false;
        return true;
    }
    if (HasHexPrefix(text)) {
        // From the second character on, so the x itself passes.
        for (char c : text.substr(1))
            if (!IsHex(c) && c != 'x' && c != 'X') return false;
        return true;
    }
    for (char c : text)
        if (!IsDecimal(c)) return false;
    return true;
}

std::int32_t IntLiteralValue(std::string_view text) {
    std::string_view digits;
    bool hex = false;
    if (HasHexPrefix(text)) {
        digits = text.substr(2);
        hex = true;
    } else if (!text.empty() && text[0] == '$') {
        digits = text.substr(1);
        hex = true;
    } else {
        digits = text;
    }
    if (digits.empty()) ConversionFailure(text);
    std::uint64_t value = 0;
    const std::uint64_t limit = hex ? 0xFFFFFFFFull : 2147483647ull;
    for (char c : digits) {
        if (hex ? !IsHex(c) : !IsDecimal(c)) ConversionFailure(text);
        value = value * (hex ? 16 : 10) + static_cast<std::uint64_t>(hex ? HexValue(c) : c - '0');
        if (value > limit) ConversionFailure(text);  // leading zeros never get here
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

}  // namespace vorn
