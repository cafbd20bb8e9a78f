// Writes what is made from the offsets catalogue at build time: the include
// file fsuipc.vrn ("vrn") and the offsets document ("md").
//   make_library vrn|md OUTPUT
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "fsuipc/offsets_catalogue.h"

namespace vorn {
namespace {

// Vorn source is 8-bit text in the system's code page: the library stays ASCII.
std::string Ascii(std::string_view text) {
    std::string out(text);
    for (const auto& [from, to] : {std::pair<std::string_view, std::string_view>{"×", "x"}, {"°", "degrees"}}) {
        for (std::size_t at; (at = out.find(from)) != std::string::npos;) out.replace(at, from.size(), to);
    }
    return out;
}

std::string Hex(std::uint32_t offset) {
    char text[16];
    std::snprintf(text, sizeof text, "%04X", offset);
    return text;
}

// The routine's body: the raw value as a number, then its conversion.
std::string Routine(const CatalogueEntry& e) {
    const std::string name(e.name), routine(e.routine);
    std::ostringstream out;
    if (e.type == OffsetType::Bcd) {
        out << (e.unit.empty() ? "int " : "float ") << routine << "() {\n"
            << "   int r;\n"
            << "   r = " << name << ";\n"
            << "   if (r < 0) { r = r + 65536; }\n";
        const std::string digits = "r / 4096 % 16 * 1000 + r / 256 % 16 * 100 + r / 16 % 16 * 10 + r % 16";
        if (e.unit == "MHz") {
            out << "   return 100.0 + (" << digits << ") / 100.0;\n";  // the leading 1 is implied
        } else if (e.unit.empty()) {
            out << "   return " << digits << ";\n";
        } else {
            out << "   return (" << digits << ") * 1.0;\n";  // a float routine returns what it is given
        }
        out << "}\n";
        return out.str();
    }
    const BoundPart part = ReadablePart(e);
    out << "float " << routine << "() {\n   float v;\n   v = " << name << ";\n";
    if (e.type == OffsetType::UnsignedInt && part.size < 8) {
        // The language's integers are signed: an unsigned value past the top reads negative.
        out << "   if (v < 0.0) { v = v + " << (part.size == 4 ? "4294967296.0" : part.size == 2 ? "65536.0" : "256.0")
            << "; }\n";
    }
    if (part.size != e.size) out << "   v = v * 4294967296.0;\n";  // the high half of an 8-byte integer
    out << "   return v * (" << e.conversion << ");\n}\n";
    return out.str();
}

std::string Library() {
    std::ostringstream out;
    out << "// fsuipc.vrn: FSUIPC's well-known offsets by name, made from Vorn's offsets\n"
           "// catalogue (docs/offsets.md lists them). #include \"fsuipc.vrn\" and read a\n"
           "// global for the raw value, or call a routine for the everyday unit:\n"
           "//   IasKnots(), AltitudeFeet(), HeadingDegrees(), VerticalSpeedFpm(), Com1Mhz() ...\n"
           "// Each global is the widest type that holds its offset. The language's\n"
           "// integers are signed, so an unsigned value past the signed top reads\n"
           "// negative (its routine corrects that), and an 8-byte integer is bound\n"
           "// through its high 4 bytes (offset + 4), which hold its whole units.\n\n";
    for (const CatalogueEntry& e : OffsetCatalogue()) {
        const BoundPart part = ReadablePart(e);
        out << "// 0x" << Hex(e.offset) << ", " << e.size << " bytes, " << OffsetTypeName(e.type)
            << (e.access == OffsetAccess::Read ? ", read" : ", read/write") << ": " << Ascii(e.description) << ".\n";
        if (part.size != e.size) out << "// Bound through its high 4 bytes at 0x" << Hex(part.offset) << ".\n";
        if (!e.routine.empty()) out << "// " << e.routine << "() returns " << (e.unit.empty() ? "the code" : Ascii(e.unit)) << ".\n";
        out << OffsetDeclaration(e) << "\n";
        if (!e.routine.empty()) out << Routine(e);
        out << "\n";
    }
    // The time of day, the one everyday value that is three offsets.
    out << "// The simulator's local time as \"hh:mm:ss\", for \"%s\".\n"
           "char ClockBuffer[9];\n\n"
           "PutTwoDigits(int pos, int n) {\n"
           "   ClockBuffer[pos] = '0' + n / 10;\n"
           "   ClockBuffer[pos + 1] = '0' + n % 10;\n"
           "}\n\n"
           "int ClockText() {\n"
           "   PutTwoDigits(0, ClockHour);\n"
           "   ClockBuffer[2] = ':';\n"
           "   PutTwoDigits(3, ClockMinute);\n"
           "   ClockBuffer[5] = ':';\n"
           "   PutTwoDigits(6, ClockSecond);\n"
           "   ClockBuffer[8] = 0;\n"
           "   return ClockBuffer;\n"
           "}\n";
    return out.str();
}

std::string Cell(std::string_view text) {
    std::string out(text);
    for (std::size_t at = 0; (at = out.find('|', at)) != std::string::npos; at += 2) out.replace(at, 1, "\\|");
    return out;
}

std::string Markdown() {
    std::ostringstream out;
    out << "# FSUIPC offsets by name\n\n"
           "The offsets Vorn knows by name: `#include \"fsuipc.vrn\"` declares a global for each\n"
           "(bound as the Declaration column shows) and the routines for the everyday unit;\n"
           "`vornc offsets WORD` and Help > FSUIPC Offsets... search the same table, and the\n"
           "Watch page shows these globals in their units. The value in the unit is the raw\n"
           "value × the conversion. This file is made from `fsuipc/offsets_catalogue.def`;\n"
           "a test checks that it is up to date.\n\n"
           "| Offset | Size | Type | Name | Unit | Conversion | Access | Declaration | Routine | Description |\n"
           "|---|---|---|---|---|---|---|---|---|---|\n";
    for (const CatalogueEntry& e : OffsetCatalogue()) {
        std::string description(e.description);
        if (!e.values.empty()) {
            description += e.type == OffsetType::BitMask ? "; bits from 0: " : "; values: ";
            description += e.values;
        }
        const bool converted = e.type != OffsetType::Bcd && e.type != OffsetType::BitMask && e.type != OffsetType::Text;
        out << "| 0x" << Hex(e.offset) << " | " << e.size << " | " << OffsetTypeName(e.type) << " | " << e.name << " | "
            << Cell(e.unit) << " | " << (converted ? "× " + std::string(e.conversion) : std::string()) << " | "
            << (e.access == OffsetAccess::Read ? "r" : "rw") << " | `" << OffsetDeclaration(e) << "` | "
            << (e.routine.empty() ? std::string() : std::string(e.routine) + "()") << " | " << Cell(description)
            << " |\n";
    }
    return out.str();
}

}  // namespace
}  // namespace vorn

int main(int argc, char** argv) {
    const std::string kind = argc == 3 ? argv[1] : "";
    if (kind != "vrn" && kind != "md") {
        std::fprintf(stderr, "usage: make_library vrn|md OUTPUT\n");
        return 2;
    }
    std::ofstream file(argv[2], std::ios::binary);
    file << (kind == "vrn" ? vorn::Library() : vorn::Markdown());
    file.close();
    if (!file) {
        std::fprintf(stderr, "make_library: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
