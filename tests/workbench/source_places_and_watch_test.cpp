// What both windows build on: the Watch page's rows (FSUIPC globals in one
// exchange per refresh, none without them), the jump from a page line to its
// source line, and the bounded page buffer.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "tests/workbench/recording_view.h"
#include "workbench/line_buffer.h"
#include "workbench/source_jump.h"
#include "workbench/watch_model.h"

namespace vorn::test {
namespace {

using Watch = WorkbenchFixture;

std::vector<std::string> Row(const WatchRow& r) { return {r.name, r.type, r.where, r.value}; }

TEST_F(Watch, ShowsEveryGlobalWithTypePlaceAndValue) {
    const std::int32_t alt = 1234;
    sim.Poke(0x0570, &alt, 4);
    sim.Poke(0x3D00, "Cub", 4);
    Run({"int count;", "float level;", "char name[12];", "shortint s[10];", "int* p;", "int alt at $0570;",
         "byte title[16] at $3D00;", "key(Control, 'G') {", "  int local;", "  count = count + 1;",
         "  level = level + 0.5;", "  sprintf(name, \"a'b%d\", count)", "  s[1] = -2;", "}"});
    Press(71, 2);
    controller.TimerTick();
    const std::vector<std::vector<std::string>> expected = {
        {"count", "int", "data $1000000", "1"},
        {"level", "float", "data $1000004", "0.5"},
        {"name", "char[12]", "data $100000C", "\"a'b1\" [97, 39, 98, 49, 0, 0, 0, 0, ...]"},
        {"s", "shortint[10]", "data $1000018", "[0, -2, 0, 0, 0, 0, 0, 0, ...]"},
        {"p", "int*", "data $100002C", "$0000"},
        {"alt", "int", "FSUIPC $0570", "1234"},
        {"title", "byte[16]", "FSUIPC $3D00", "\"Cub\" [67, 117, 98, 0, 0, 0, 0, 0, ...]"},
    };
    const auto before = sim.BlocksProcessed();
    const std::vector<WatchRow>& rows = controller.WatchRows();
    EXPECT_EQ(sim.BlocksProcessed(), before + 1) << "both FSUIPC globals in one exchange";
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(Row(rows[i]), expected[i]);
}

TEST_F(Watch, CostsNoExchangeWithoutFsuipcGlobalsAndNothingWhileDisconnected) {
    Run({"int a;", "key(Control, 'G') {", "  a = 7;", "}"});
    const auto before = sim.BlocksProcessed();
    ASSERT_EQ(controller.WatchRows().size(), 1u);
    EXPECT_EQ(sim.BlocksProcessed(), before);
    controller.ToggleConnection();
    EXPECT_TRUE(controller.WatchRows().empty());
}

// Globals too many for one request go out in batches; a batch that failed
// makes the whole refresh fail even when a later one succeeds.
TEST_F(Watch, RefreshFailsWhenAnEarlierBatchFailed) {
    Run({"int a;", "key(Control, 'G') {", "  a = 7;", "}"});
    // 20 bytes a read: 2,000 of them are more than one block holds.
    std::vector<GlobalSymbol> globals;
    for (int i = 0; i < 2000; ++i)
        globals.push_back({"g" + std::to_string(i), kTypeInt, TStorageClass::UIPC, 0x4000 + 4 * i, 1});
    const std::int32_t five = 5;
    sim.Poke(0x4000 + 4 * 1999, &five, 4);
    WatchModel model;
    model.SetGlobals(globals);
    faults.AnswerWith(1, 0);  // the first batch answered wrongly, the second well
    EXPECT_FALSE(model.Refresh({}, &link));
    EXPECT_EQ(model.Rows().front().value, "?");
    EXPECT_EQ(model.Rows().back().value, "5") << "the later batch was read";
    EXPECT_TRUE(model.Refresh({}, &link)) << "nothing failed this time";
    EXPECT_EQ(model.Rows().front().value, "0");
}

class TempFile {
public:
    TempFile(const std::string& name, const std::string& text)
        : path_((std::filesystem::temp_directory_path() / name).string()) {
        std::ofstream(path_, std::ios::binary) << text;
    }
    ~TempFile() { std::filesystem::remove(path_); }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

using Jump = WorkbenchFixture;

TEST_F(Jump, FromACompilerOrOutputLineToItsSourceLine) {
    const TempFile lib("vorn-jump-lib-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + ".vrn",
                       "int Half(int v) {\n  int z;\n  z = 0;\n  return v / z;\n}\n");
    controller.SetSourceName("prog.vrn");
    Run({"#define ONE 1", "int a;", "#include \"" + lib.Path() + "\"", "key(Control, 'G') {", "  a = Half(ONE);",
         "}"});
    Press(71, 2);
    controller.TimerTick();
    ASSERT_EQ(view.output.size(), 1u);
    struct Case {
        std::string line;
        std::optional<SourcePlace> place;
    };
    // Without the place in the line, its PC finds it.
    std::string withoutPlace = view.output[0];
    const std::size_t open = withoutPlace.find(" (");
    ASSERT_NE(open, std::string::npos);
    withoutPlace.erase(open, withoutPlace.find("): ") + 1 - open);
    const std::vector<Case> cases = {
        {view.output[0], SourcePlace{lib.Path(), 4, false}},
        {withoutPlace, SourcePlace{lib.Path(), 4, false}},
        {": 1: Undefined variable x at or before ;", SourcePlace{"prog.vrn", 2, true}},
        {": 3: syntax error at or before z", SourcePlace{lib.Path(), 2, false}},
        {": 8: syntax error at or before", SourcePlace{"prog.vrn", 5, true}},
        {": 99: syntax error at or before", SourcePlace{"prog.vrn", 6, true}},
        {"Runtime error in process 3 at PC 5 (prog.vrn:17): stack overflow", SourcePlace{"prog.vrn", 17, true}},
        {"Runtime error in process 3 at PC " + std::to_string(machine.Code().size() - 1) + ": stack underflow",
         SourcePlace{"prog.vrn", 6, true}},
        {"Runtime error in process 3 at PC " + std::to_string(machine.Code().size()) + ": PC outside the code",
         std::nullopt},
        {"PushV $1000000,4", std::nullopt},
        {"press 1", std::nullopt},
        {": x: no number", std::nullopt},
    };
    EXPECT_NE(view.output[0].find(" (" + lib.Path() + ":4): division by zero"), std::string::npos) << view.output[0];
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const std::optional<SourcePlace> place = PlaceOfPageLine(controller.Program(), c.line);
        ASSERT_EQ(place.has_value(), c.place.has_value());
        if (!place) continue;
        EXPECT_EQ(place->file, c.place->file);
        EXPECT_EQ(place->line, c.place->line);
        EXPECT_EQ(place->mainFile, c.place->mainFile);
    }
}

TEST(PageLineBuffer, KeepsTheLastLinesAndSaysHowManyWent) {
    struct Case {
        int appended;
        std::vector<std::string> shown;
    };
    const std::vector<Case> cases = {
        {0, {}},
        {3, {"1", "2", "3"}},
        {4, {"(1 earlier line dropped)", "2", "3", "4"}},
        {7, {"(4 earlier lines dropped)", "5", "6", "7"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.appended);
        LineBuffer buffer(3);
        for (int i = 1; i <= c.appended; ++i) buffer.Append(std::to_string(i));
        std::vector<std::string> shown;
        for (std::size_t i = 0; i < buffer.Size(); ++i) shown.push_back(buffer.Line(i));
        EXPECT_EQ(shown, c.shown);
        std::string text;
        for (const std::string& line : c.shown) text += line + "\n";
        EXPECT_EQ(buffer.Text(), text);
        EXPECT_EQ(buffer.Appended(), static_cast<std::uint64_t>(c.appended));
    }
    LineBuffer pages;
    EXPECT_EQ(pages.Limit(), 100000u);
}

}  // namespace
}  // namespace vorn::test
