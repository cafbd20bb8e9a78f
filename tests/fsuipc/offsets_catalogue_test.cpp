// The offsets catalogue: its lookups, and one raw value per kind of
// conversion turned into its everyday unit.
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "fsuipc/offsets_catalogue.h"

namespace vorn {
namespace {

std::vector<std::uint8_t> Bytes(std::uint64_t value, int size) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    for (int i = 0; i < size && i < 8; ++i) bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
    return bytes;
}

std::vector<std::uint8_t> Double(double value) {
    std::vector<std::uint8_t> bytes(8);
    std::memcpy(bytes.data(), &value, 8);
    return bytes;
}

std::vector<std::uint8_t> Text(const std::string& text, int size) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    std::memcpy(bytes.data(), text.data(), text.size());
    return bytes;
}

struct FormatCase {
    const char* name;
    std::vector<std::uint8_t> raw;
    const char* value;
    const char* withRaw;
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name << " -> " << c.value; }

class FormatsRawValues : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatsRawValues, InTheEverydayUnit) {
    const CatalogueEntry* entry = FindOffset(GetParam().name);
    ASSERT_NE(entry, nullptr) << GetParam().name;
    EXPECT_EQ(FormatOffsetValue(*entry, GetParam().raw), GetParam().value);
    EXPECT_EQ(FormatOffsetWithRaw(*entry, GetParam().raw), GetParam().withRaw);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, FormatsRawValues,
    ::testing::Values(
        FormatCase{"IndicatedAirspeed", Bytes(15360, 4), "120.0 kt", "15360 (120.0 kt)"},             // scaled signed
        FormatCase{"VerticalSpeed", Bytes(0xFFFFCE00, 4), "-9843 ft/min", "-12800 (-9843 ft/min)"},  // negative
        FormatCase{"HeadingTrue", Bytes(0xD0A3D70A, 4), "293.4°", "-794568950 (293.4°)"},            // unsigned
        FormatCase{"AltitudeMsl", Bytes(1524ull << 32, 8), "5000 ft", "6545530159104 (5000 ft)"},    // fixed point
        FormatCase{"AltitudeMsl", Bytes(1524, 4), "5000 ft", "1524 (5000 ft)"},                      // its high part
        FormatCase{"GrossWeight", Double(2550.0), "2550 lb", "2550 (2550 lb)"},                      // float64
        FormatCase{"Com1Active", Bytes(0x2270, 2), "122.700 MHz", "0x2270 (122.700 MHz)"},           // BCD frequency
        FormatCase{"AdfFrequency", Bytes(0x0345, 2), "345 kHz", "0x0345 (345 kHz)"},                 // BCD number
        FormatCase{"Transponder", Bytes(0x7000, 2), "7000", "0x7000 (7000)"},                        // BCD code
        FormatCase{"Transponder", Bytes(0x70A0, 2), "not BCD", "0x70A0 (not BCD)"},
        FormatCase{"Lights", Bytes(0x13, 2), "0x0013 (nav, beacon, strobe)", "0x0013 (nav, beacon, strobe)"},
        FormatCase{"Lights", Bytes(0x0C00, 2), "0x0C00 (bit 10, bit 11)", "0x0C00 (bit 10, bit 11)"},
        FormatCase{"Lights", Bytes(0, 2), "0x0000 (none)", "0x0000 (none)"},
        FormatCase{"ParkingBrake", Bytes(32767, 2), "on", "32767 (on)"},                             // named value
        FormatCase{"GearHandle", Bytes(8192, 4), "50%", "8192 (50%)"},                               // unnamed position
        FormatCase{"AircraftTitle", Text("Cessna 172\x01", 256), "\"Cessna 172?\"", "\"Cessna 172?\""},  // text
        FormatCase{"IndicatedAirspeed", Bytes(15360, 2), "?", "?"}));                                // wrong size

TEST(OffsetCatalogue, FindsEntriesByNameInAnyCaseAndByOffset) {
    ASSERT_NE(FindOffset("indicatedAIRSPEED"), nullptr);
    EXPECT_EQ(FindOffset("indicatedAIRSPEED")->offset, 0x02BCu);
    ASSERT_NE(FindOffset(std::uint32_t{0x0580}), nullptr);
    EXPECT_EQ(FindOffset(std::uint32_t{0x0580})->name, "HeadingTrue");
    EXPECT_EQ(FindOffset("Indicated"), nullptr);
    EXPECT_EQ(FindOffset(std::uint32_t{0x0581}), nullptr);
}

TEST(OffsetCatalogue, BindsAnEightByteIntegerThroughItsHighHalfOnly) {
    ASSERT_NE(FindBinding(0x0574, 4), nullptr);
    EXPECT_EQ(FindBinding(0x0574, 4)->name, "AltitudeMsl");
    EXPECT_NE(FindBinding(0x0570, 8), nullptr);
    EXPECT_EQ(FindBinding(0x0570, 4), nullptr);
    EXPECT_EQ(FindBinding(0x0580, 2), nullptr);
    EXPECT_NE(FindBinding(0x30C0, 8), nullptr);  // a double is read whole
    EXPECT_EQ(FindBinding(0x30C4, 4), nullptr);
}

TEST(OffsetCatalogue, HasSixtyEntriesWithDistinctNamesAndOffsets) {
    std::set<std::string> names;
    std::set<std::uint32_t> offsets;
    for (const CatalogueEntry& entry : OffsetCatalogue()) {
        names.insert(std::string(entry.name));
        offsets.insert(entry.offset);
        EXPECT_GT(entry.size, 0) << entry.name;
        EXPECT_FALSE(entry.description.empty()) << entry.name;
    }
    EXPECT_GE(OffsetCatalogue().size(), 60u);
    EXPECT_EQ(names.size(), OffsetCatalogue().size());
    EXPECT_EQ(offsets.size(), OffsetCatalogue().size());
}

}  // namespace
}  // namespace vorn
