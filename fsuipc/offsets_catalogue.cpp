#include "fsuipc/offsets_catalogue.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace vorn {

namespace {

constexpr CatalogueEntry kEntries[] = {
#define VORN_OFFSET(name, offset, size, type, access, factor, unit, decimals, values, routine, description) \
    {#name, offset, size, OffsetType::type, OffsetAccess::access, factor, #factor, unit, decimals, values, routine, description},
#include "fsuipc/offsets_catalogue.def"
#undef VORN_OFFSET
};

constexpr double kTwo32 = 4294967296.0;

bool IsIntegerType(OffsetType type) {
    return type == OffsetType::SignedInt || type == OffsetType::UnsignedInt || type == OffsetType::FixedPoint;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::uint64_t LittleEndian(std::span<const std::uint8_t> raw) {
    std::uint64_t value = 0;
    for (std::size_t i = raw.size(); i-- > 0;) value = (value << 8) | raw[i];
    return value;
}

std::int64_t SignExtended(std::span<const std::uint8_t> raw) {
    const std::uint64_t value = LittleEndian(raw);
    const std::size_t bits = 8 * raw.size();
    if (bits < 64 && (value >> (bits - 1)) & 1) return static_cast<std::int64_t>(value | (~std::uint64_t{0} << bits));
    return static_cast<std::int64_t>(value);
}

// The raw value as a number, the high part of an 8-byte integer scaled back up.
double RawNumber(const CatalogueEntry& entry, std::span<const std::uint8_t> raw) {
    if (entry.type == OffsetType::Float64) {
        double value;
        std::memcpy(&value, raw.data(), sizeof value);
        return value;
    }
    double value = entry.type == OffsetType::UnsignedInt ? static_cast<double>(LittleEndian(raw))
                                                         : static_cast<double>(SignExtended(raw));
    if (static_cast<int>(raw.size()) != entry.size) value *= kTwo32;
    return value;
}

std::string Fixed(double value, int decimals) {
    char text[512];  // room for the largest double in full
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string out = text;
    if (out[0] == '-' && out.find_first_not_of("-0.") == std::string::npos) out.erase(0, 1);
    return out;
}

std::string WithUnit(std::string number, std::string_view unit) {
    if (unit.empty()) return number;
    const bool glued = unit == "°" || unit == "×" || unit == "%";
    return number + (glued ? "" : " ") + std::string(unit);
}

// "0=off,1=on": the name of this raw value, or "".
std::string_view ValueName(std::string_view values, std::int64_t raw) {
    while (!values.empty()) {
        const std::size_t comma = values.find(',');
        const std::string_view item = values.substr(0, comma);
        const std::size_t eq = item.find('=');
        if (eq != std::string_view::npos && std::to_string(raw) == item.substr(0, eq)) return item.substr(eq + 1);
        if (comma == std::string_view::npos) break;
        values.remove_prefix(comma + 1);
    }
    return {};
}

std::string Hex(std::uint64_t value, std::size_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%0*llX", static_cast<int>(2 * bytes), static_cast<unsigned long long>(value));
    return text;
}

std::string BitNames(const CatalogueEntry& entry, std::uint64_t bits) {
    std::string names;
    std::string_view list = entry.values;
    for (int bit = 0; bit < 64 && !list.empty(); ++bit) {
        const std::size_t comma = list.find(',');
        const std::string_view name = list.substr(0, comma);
        if ((bits >> bit) & 1) {
            if (!names.empty()) names += ", ";
            names += name == "-" ? "bit " + std::to_string(bit) : std::string(name);
        }
        bits &= ~(std::uint64_t{1} << bit);
        list = comma == std::string_view::npos ? std::string_view{} : list.substr(comma + 1);
    }
    for (int bit = 0; bit < 64; ++bit) {
        if ((bits >> bit) & 1) names += (names.empty() ? "bit " : ", bit ") + std::to_string(bit);
    }
    return names.empty() ? "none" : names;
}

std::string Bcd(const CatalogueEntry& entry, std::uint64_t raw, std::size_t bytes) {
    std::string digits;
    for (std::size_t i = 2 * bytes; i-- > 0;) {
        const unsigned nibble = (raw >> (4 * i)) & 0xF;
        if (nibble > 9) return "not BCD";
        digits += static_cast<char>('0' + nibble);
    }
    if (entry.unit == "MHz") {
        // The leading 1 is implied: 0x2270 is 122.70.
        std::string whole = "1" + digits.substr(0, digits.size() - 2);
        std::string fraction = digits.substr(digits.size() - 2);
        fraction.resize(static_cast<std::size_t>(std::max(entry.decimals, 2)), '0');
        return whole + "." + fraction + " MHz";
    }
    if (entry.unit.empty()) return digits;
    const std::size_t first = std::min(digits.find_first_not_of('0'), digits.size() - 1);
    return WithUnit(digits.substr(first), entry.unit);
}

std::string Text(std::span<const std::uint8_t> raw) {
    std::string text;
    for (std::uint8_t byte : raw) {
        if (byte == 0) break;
        text += byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '?';
    }
    return "\"" + text + "\"";
}

bool Fits(const CatalogueEntry& entry, std::span<const std::uint8_t> raw) {
    return static_cast<int>(raw.size()) == entry.size ||
           static_cast<int>(raw.size()) == ReadablePart(entry).size;
}

}  // namespace

std::span<const CatalogueEntry> OffsetCatalogue() { return kEntries; }

const CatalogueEntry* FindOffset(std::string_view name) {
    for (const CatalogueEntry& entry : kEntries) {
        if (SameName(entry.name, name)) return &entry;
    }
    return nullptr;
}

const CatalogueEntry* FindOffset(std::uint32_t offset) {
    for (const CatalogueEntry& entry : kEntries) {
        if (entry.offset == offset) return &entry;
    }
    return nullptr;
}

BoundPart ReadablePart(const CatalogueEntry& entry) {
    if (entry.size == 8 && IsIntegerType(entry.type)) return {entry.offset + 4, 4};
    return {entry.offset, entry.size};
}

const CatalogueEntry* FindBinding(std::uint32_t offset, int size) {
    for (const CatalogueEntry& entry : kEntries) {
        const BoundPart part = ReadablePart(entry);
        if ((entry.offset == offset && entry.size == size) || (part.offset == offset && part.size == size)) {
            return &entry;
        }
    }
    return nullptr;
}

std::string FormatOffsetValue(const CatalogueEntry& entry, std::span<const std::uint8_t> raw) {
    if (!Fits(entry, raw) || raw.empty()) return "?";
    switch (entry.type) {
        case OffsetType::Text:
            return Text(raw);
        case OffsetType::Bcd:
            return Bcd(entry, LittleEndian(raw), raw.size());
        case OffsetType::BitMask:
            return Hex(LittleEndian(raw), raw.size()) + " (" + BitNames(entry, LittleEndian(raw)) + ")";
        default:
            break;
    }
    if (entry.type != OffsetType::Float64) {
        const std::int64_t whole = entry.type == OffsetType::UnsignedInt
                                       ? static_cast<std::int64_t>(LittleEndian(raw))
                                       : SignExtended(raw);
        const std::string_view name = ValueName(entry.values, whole);
        if (!name.empty()) return std::string(name);
    }
    return WithUnit(Fixed(RawNumber(entry, raw) * entry.factor, entry.decimals), entry.unit);
}

std::string FormatOffsetWithRaw(const CatalogueEntry& entry, std::span<const std::uint8_t> raw) {
    const std::string value = FormatOffsetValue(entry, raw);
    if (value == "?" || entry.type == OffsetType::BitMask || entry.type == OffsetType::Text) return value;
    if (entry.type == OffsetType::Bcd) return Hex(LittleEndian(raw), raw.size()) + " (" + value + ")";
    std::string number;
    if (entry.type == OffsetType::Float64) {
        char text[64];
        const auto end = std::to_chars(text, text + sizeof text, RawNumber(entry, raw)).ptr;
        number.assign(text, end);  // the shortest text that reads back the same
    } else {
        // As the program reads it: the language's integers are signed.
        number = std::to_string(SignExtended(raw));
    }
    return number + " (" + value + ")";
}

namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string HexOffset(std::uint32_t offset, const char* prefix) {
    char text[16];
    std::snprintf(text, sizeof text, "%s%04X", prefix, static_cast<unsigned>(offset));
    return text;
}

const char* TypeOfSize(int size) {
    switch (size) {
        case 1: return "byte";
        case 2: return "shortint";
        default: return "int";
    }
}

}  // namespace

bool OffsetMatches(const CatalogueEntry& entry, std::string_view word) {
    if (word.empty()) return true;
    const std::string lower = Lower(word);
    for (std::string_view field : {entry.name, entry.description}) {
        if (Lower(field).find(lower) != std::string::npos) return true;
    }
    return Lower(HexOffset(entry.offset, "0x")).find(lower) != std::string::npos;
}

std::span<const std::string_view> OffsetTableHeadings() {
    static constexpr std::string_view kHeadings[] = {"Offset", "Size", "Type", "Name", "Unit", "Access", "Description"};
    return kHeadings;
}

std::vector<std::string> OffsetTableCells(const CatalogueEntry& e) {
    return {HexOffset(e.offset, "0x"), std::to_string(e.size),  std::string(OffsetTypeName(e.type)),
            std::string(e.name),       std::string(e.unit),     e.access == OffsetAccess::Read ? "r" : "rw",
            std::string(e.description)};
}

std::string OffsetDeclaration(const CatalogueEntry& e) {
    const std::string name(e.name);
    if (e.type == OffsetType::Text)
        return "char " + name + "[" + std::to_string(e.size) + "] at " + HexOffset(e.offset, "$") + ";";
    if (e.type == OffsetType::Float64) return "float " + name + " at " + HexOffset(e.offset, "$") + ";";
    const BoundPart part = ReadablePart(e);
    return std::string(TypeOfSize(part.size)) + " " + name + " at " + HexOffset(part.offset, "$") + ";";
}

std::string_view OffsetTypeName(OffsetType type) {
    switch (type) {
        case OffsetType::SignedInt: return "signed int";
        case OffsetType::UnsignedInt: return "unsigned int";
        case OffsetType::Float64: return "float64";
        case OffsetType::Bcd: return "BCD";
        case OffsetType::BitMask: return "bit mask";
        case OffsetType::FixedPoint: return "fixed point";
        case OffsetType::Text: return "text";
    }
    return "?";
}

}  // namespace vorn
