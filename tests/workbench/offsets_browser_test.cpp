// Help > FSUIPC Offsets... without a window: the rows a filter word keeps and
// the declaration a double-clicked row puts at the caret.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "workbench/offsets_browser.h"

namespace vorn {
namespace {

struct FilterCase {
    const char* word;
    std::size_t rows;
    const char* firstName;
    const char* firstDeclaration;
};

class OffsetsFilter : public ::testing::TestWithParam<FilterCase> {};

TEST_P(OffsetsFilter, KeepsTheRowsThatHoldTheWord) {
    const FilterCase& c = GetParam();
    OffsetsBrowser browser;
    browser.SetFilter(c.word);
    ASSERT_EQ(browser.RowCount(), c.rows) << c.word;
    const std::vector<std::string> cells = browser.Cells(0);
    ASSERT_EQ(cells.size(), OffsetsBrowser::Headings().size());
    EXPECT_EQ(cells[3], c.firstName);
    EXPECT_EQ(browser.Declaration(0), c.firstDeclaration);
}

INSTANTIATE_TEST_SUITE_P(
    Words, OffsetsFilter,
    ::testing::Values(FilterCase{"", OffsetCatalogue().size(), "Latitude", "int Latitude at $0564;"},   // 8 bytes: high half
                      FilterCase{"GEAR", 4, "GearHandle", "int GearHandle at $0BE8;"},                   // any letter case
                      FilterCase{"0x02bc", 1, "IndicatedAirspeed", "int IndicatedAirspeed at $02BC;"},   // by offset
                      FilterCase{"knots", 3, "TrueAirspeed", "int TrueAirspeed at $02B8;"},              // by description
                      FilterCase{"lights", 3, "Lights", "shortint Lights at $0D0C;"},
                      FilterCase{"gross", 1, "GrossWeight", "float GrossWeight at $30C0;"},
                      FilterCase{"title", 1, "AircraftTitle", "char AircraftTitle[256] at $3D00;"}),
    [](const auto& info) { return std::string(*info.param.word ? info.param.word : "all").substr(0, 6) + std::to_string(info.index); });

TEST(OffsetsBrowser, ARowThatIsNotThereGivesNothing) {
    OffsetsBrowser browser;
    browser.SetFilter("nosuchoffset");
    EXPECT_EQ(browser.RowCount(), 0u);
    EXPECT_EQ(browser.Declaration(0), "");
    EXPECT_TRUE(browser.Cells(0).empty());
    browser.SetFilter("gear");
    EXPECT_EQ(browser.Declaration(3), "int GearLeftPosition at $0BF4;");
    EXPECT_EQ(browser.Declaration(4), "");
}

}  // namespace
}  // namespace vorn
