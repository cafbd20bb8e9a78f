// Operands, constants, element addressing and stores.
#include <charconv>
#include <cstdio>
#include <cstring>

#include "compiler/codegen.h"
#include "compiler/int_literal.h"
#include "machine/ins_set.h"
#include "support/error.h"
#include "support/format.h"

namespace vorn {

namespace {
std::uint32_t Hex(std::int32_t value) { return static_cast<std::uint32_t>(value); }
}  // namespace

bool CodeGenerator::IsRoutineMisuse(std::int32_t index, std::int32_t name) {
    if (static_cast<TStorageClass>(Symbols.Entry(index).Storage) != TStorageClass::Proc) return false;
    // A routine has no storage; using it as one would leave the stack short
    // or write to whatever its label number addresses.
    Report("Routine " + Text(name) + " used as a variable");
    return true;
}

// Rules 84 and 89.
void CodeGenerator::Operand(std::int32_t token) {
    const std::string& text = Text(token);
    const std::int32_t i = Symbols.FindVbl(token);
    if (i < 0) {
        if (IsIntLiteral(text)) {
            const std::int32_t value = IntLiteralValue(text);
            EmitWord(kOpPushC);
            EmitWord(value);
            if (ShowListing) ListLine("PushC " + text);
        } else {
            Report("Undefined variable " + text);
        }
        return;
    }
    if (IsRoutineMisuse(i, token)) return;
    const TVblEntry& e = Symbols.Entry(i);
    switch (static_cast<TStorageClass>(e.Storage)) {
        case TStorageClass::Array:
            EmitWord(kOpPushC);
            EmitWord(e.Location);
            if (ShowListing) ListLine(Format("PushC $%.04X", Hex(e.Location)));
            break;
        case TStorageClass::Pointer:
            EmitWord(kOpPushV);
            EmitWord(e.Location);
            EmitWord(4);
            if (ShowListing) ListLine(Format("PushV $%.04X,%d", Hex(e.Location), 4));
            break;
        default:
            EmitWord(kOpPushV);
            EmitWord(e.Location);
            EmitWord(TypeSize(e.VType));
            if (ShowListing) ListLine(Format("PushV $%.04X,%d", Hex(e.Location), TypeSize(e.VType)));
            break;
    }
}

// Rule 85. from_chars reads the point as the decimal point in every locale.
void CodeGenerator::FloatConstant(std::int32_t token) {
    const std::string& text = Text(token);
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    const bool whole = end == text.data() + text.size();
    // A value too small for a double is 0; one too large cannot be converted.
    const bool underflow = ec == std::errc::result_out_of_range && text.find_first_not_of('0') == text.find('.');
    if (underflow && whole) {
        value = 0.0;
    } else if (ec != std::errc() || !whole) {
        throw Error("'" + text + "' is not a valid floating point value");
    }
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    std::uint8_t bytes[8];
    for (int k = 0; k < 8; ++k) bytes[k] = static_cast<std::uint8_t>(bits >> (8 * k));
    const std::int32_t address = Allocate(8, bytes);
    EmitWord(kOpPushV);
    EmitWord(address);
    EmitWord(8);
    if (ShowListing) ListLine(Format("PushV $%.04X,8 // Floating point", Hex(address)));
}

// Rule 86: the character between the quotes.
void CodeGenerator::CharConstant(std::int32_t token) {
    const std::string& text = Text(token);
    const std::int32_t value = text.size() >= 2 ? static_cast<unsigned char>(text[1]) : 0;
    EmitWord(kOpPushC);
    EmitWord(value);
    if (ShowListing) ListLine(Format("PushC $%X", Hex(value)));
}

// Rule 91: the letters between the quotes, zero-terminated, in the data
// segment; the value is their address.
std::int32_t CodeGenerator::StringConstant(std::int32_t token) {
    const std::string& text = Text(token);
    std::string content = text.size() >= 2 ? text.substr(1, text.size() - 2) : std::string();
    const std::int32_t address = Allocate(content.size() + 1, content.c_str());
    EmitWord(kOpPushC);
    EmitWord(address);
    if (ShowListing) ListLine("PushC " + content + Format("; // loc=%X", Hex(address)));
    return address;
}

// Rule 45.
void CodeGenerator::StoreTo(std::int32_t name) {
    const std::int32_t i = Symbols.FindVbl(name);
    if (i < 0) {
        Report("Undeclared identifier " + Text(name));
        return;
    }
    if (IsRoutineMisuse(i, name)) return;
    const TVblEntry& e = Symbols.Entry(i);
    const int size = static_cast<TStorageClass>(e.Storage) == TStorageClass::Pointer ? 4 : TypeSize(e.VType);
    EmitWord(kOpWriteV);
    EmitWord(e.Location);
    EmitWord(size);
    if (ShowListing) ListLine(Format("WriteV $%.04X,%d", Hex(e.Location), size));
}

// Rule 94, after the index code. An undeclared name is reported where the
// element is used (rules 46 and 92), which knows whether it is a target.
void CodeGenerator::ElementAddress(std::int32_t name) {
    const std::int32_t i = Symbols.FindVbl(name);
    if (i < 0) return;
    const TVblEntry& e = Symbols.Entry(i);
    if (static_cast<TStorageClass>(e.Storage) == TStorageClass::Proc) return;
    const int size = TypeSize(e.VType);
    if (size != 1) {
        EmitWord(kOpPushC);
        EmitWord(size);
        if (ShowListing) ListLine(Format("PushC %d", size));
        EmitOp(kOpMUL);
    }
    if (static_cast<TStorageClass>(e.Storage) == TStorageClass::Pointer) {
        EmitWord(kOpPushV);
        EmitWord(e.Location);
        EmitWord(4);
        if (ShowListing) ListLine(Format("PushV %X,4", Hex(e.Location)));
    } else {
        EmitWord(kOpPushC);
        EmitWord(e.Location);
        if (ShowListing) ListLine(Format("PushC %X", Hex(e.Location)));
    }
    EmitOp(kOpADD);
}

// Rule 92.
void CodeGenerator::ElementLoad(std::int32_t name) {
    const std::int32_t i = Symbols.FindVbl(name);
    if (i < 0) {
        Report("Undefined variable " + Text(name));
        return;
    }
    if (IsRoutineMisuse(i, name)) return;
    const int size = TypeSize(Symbols.Entry(i).VType);
    EmitWord(kOpLDI);
    EmitWord(size);
    if (ShowListing) ListLine(Format("LDI %d", size));
}

// Rule 46, after the value code.
void CodeGenerator::ElementStore(std::int32_t name) {
    const std::int32_t i = Symbols.FindVbl(name);
    if (i < 0) {
        Report("Undeclared identifier " + Text(name));
        return;
    }
    if (IsRoutineMisuse(i, name)) return;
    const int size = TypeSize(Symbols.Entry(i).VType);
    EmitWord(kOpSTI);
    EmitWord(size);
    if (ShowListing) ListLine(Format("STI %d", size));
}

}  // namespace vorn
