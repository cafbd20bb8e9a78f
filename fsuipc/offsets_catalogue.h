#pragma once
// FSUIPC's well-known offsets by name: what each holds, in what unit, and the
// text of a raw value in that unit. The facts live in offsets_catalogue.def;
// this is the only way the rest of Vorn reads them.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vorn {

enum class OffsetType { SignedInt, UnsignedInt, Float64, Bcd, BitMask, FixedPoint, Text };
enum class OffsetAccess { Read, ReadWrite };

struct CatalogueEntry {
    std::string_view name;         // "IndicatedAirspeed"
    std::uint32_t offset;          // 0x02BC
    int size;                      // bytes
    OffsetType type;
    OffsetAccess access;
    double factor;                 // everyday value = raw × factor
    std::string_view conversion;   // the factor as written: "1.0 / 128.0"
    std::string_view unit;         // "kt"
    int decimals;                  // digits shown after the point
    std::string_view values;       // "0=off,1=on", or a bit mask's bit names
    std::string_view routine;      // the library routine for the everyday value, or ""
    std::string_view description;
};

// Every entry, in the table's order.
std::span<const CatalogueEntry> OffsetCatalogue();

// By name, without regard to letter case; null when unknown.
const CatalogueEntry* FindOffset(std::string_view name);
// By the offset an entry starts at; null when none does.
const CatalogueEntry* FindOffset(std::uint32_t offset);

// The part of an entry a program's global holds: the whole entry, except an
// 8-byte integer, which the language reads through its high 4 bytes.
struct BoundPart {
    std::uint32_t offset;
    int size;
};
BoundPart ReadablePart(const CatalogueEntry& entry);
// The entry a global of this size at this offset shows: one bound to the whole
// entry or to its readable part. Null for any other size or offset.
const CatalogueEntry* FindBinding(std::uint32_t offset, int size);

// Raw bytes (little-endian; the whole entry or its readable part) as the
// everyday value: "120.0 kt", "293.4°", "122.700 MHz", "on", and for a bit
// mask "0x0013 (nav, beacon, strobe)". Bytes of any other length give "?".
std::string FormatOffsetValue(const CatalogueEntry& entry, std::span<const std::uint8_t> raw);
// The same with the raw value in front, as the Watch shows a global:
// "15360 (120.0 kt)", "0x2270 (122.700 MHz)", "0x0013 (nav, beacon, strobe)".
std::string FormatOffsetWithRaw(const CatalogueEntry& entry, std::span<const std::uint8_t> raw);

// "SignedInt" -> "signed int", as tables show the type.
std::string_view OffsetTypeName(OffsetType type);

// Whether word is in the entry's name, description or offset ("0x02bc"),
// without regard to letter case. The empty word matches every entry.
bool OffsetMatches(const CatalogueEntry& entry, std::string_view word);

// The table `vornc offsets` prints and Help > FSUIPC Offsets... shows:
// offset, size, type, name, unit, access, description.
std::span<const std::string_view> OffsetTableHeadings();
std::vector<std::string> OffsetTableCells(const CatalogueEntry& entry);

// The global a program reads the entry through, as fsuipc.vrn declares it:
// "int IndicatedAirspeed at $02BC;", "int AltitudeMsl at $0574;".
std::string OffsetDeclaration(const CatalogueEntry& entry);

}  // namespace vorn
