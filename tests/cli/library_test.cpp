// The library include fsuipc.vrn and where includes are found: the current
// directory, then the including file's folder, then Vorn's library folder,
// the same for every command.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "fsuipc/offsets_catalogue.h"
#include "tests/cli/vornc_process.h"

namespace vorn::test {
namespace {

const std::string kLibraryFirstLine = "// fsuipc.vrn: FSUIPC's well-known offsets by name, made from Vorn's offsets";

struct SearchCase {
    const char* name;
    bool inCurrent;  // a fsuipc.vrn of its own in the current directory
    bool inFolder;   // and one beside the program
    std::string firstLine;
};

std::ostream& operator<<(std::ostream& os, const SearchCase& c) { return os << c.name; }

class IncludeSearch : public ::testing::TestWithParam<SearchCase> {};

TEST_P(IncludeSearch, TakesTheFirstPlaceThatHasTheName) {
    const SearchCase& c = GetParam();
    TempProgram program("#include \"fsuipc.vrn\"\n", "prog.vrn");
    TempProgram current("", "unused.vrn");
    if (c.inCurrent) current.Write("fsuipc.vrn", "int fromCurrent;\n");
    if (c.inFolder) program.Write("fsuipc.vrn", "int fromFolder;\n");
    ProcessOptions options;
    options.folder = current.Folder();
    for (const char* command : {"expand", "compile", "run"}) {
        std::vector<std::string> args = {command, program.Path()};
        if (std::string(command) == "run") args.insert(args.end(), {"--fast", "--ticks", "1"});
        const ProcessResult r = RunVornc(args, options);
        EXPECT_EQ(r.status, 0) << command << "\n" << r.err;
        if (std::string(command) == "expand") {
            ASSERT_FALSE(r.OutLines().empty());
            EXPECT_EQ(r.OutLines()[0], c.firstLine);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Places, IncludeSearch,
                         ::testing::Values(SearchCase{"CurrentDirectoryFirst", true, true, "int fromCurrent;"},
                                           SearchCase{"ThenTheProgramsFolder", false, true, "int fromFolder;"},
                                           SearchCase{"ThenTheLibrary", false, false, kLibraryFirstLine}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(IncludeSearch, ANameFoundNowhereNamesTheFoldersLookedIn) {
    TempProgram program("int a;\n#include \"absent.vrn\"\n", "prog.vrn");
    TempProgram current("", "unused.vrn");
    ProcessOptions options;
    options.folder = current.Folder();
    const ProcessResult expand = RunVornc({"expand", program.Path()}, options);
    EXPECT_EQ(expand.OutLines(), (std::vector<std::string>{"int a;", "error - file does not exist:#include \"absent.vrn\""}));
    const ProcessResult compile = RunVornc({"compile", program.Path()}, options);
    ASSERT_FALSE(compile.ErrLines().empty());
    const std::string line = compile.ErrLines()[0];
    EXPECT_EQ(line.rfind(program.Path() + ":2: error - file does not exist:#include \"absent.vrn\" (looked in " +
                             current.Folder() + ", " + program.Folder() + ", ",
                         0),
              0u)
        << line;
    EXPECT_NE(line.find("/library)"), std::string::npos) << line;
}

TEST(Library, EveryCatalogueEntryAndRoutineCompilesWithoutWarnings) {
    std::string text = "#include \"fsuipc.vrn\"\nkey(Control, 'G') {\n   float f;\n   int i;\n";
    for (const CatalogueEntry& e : OffsetCatalogue()) {
        text += e.type == OffsetType::Text ? "   i = " + std::string(e.name) + "[0];\n" : "   f = " + std::string(e.name) + ";\n";
        if (!e.routine.empty()) text += "   f = " + std::string(e.routine) + "();\n";
    }
    text += "}\n";
    TempProgram program(text, "all.vrn");
    const ProcessResult r = RunVornc({"compile", program.Path()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
}

struct RoutineCase {
    const char* routine;
    const char* format;  // how the program prints it
    const char* poke;    // the raw value, --poke OFFSET:SIZE=VALUE
    const char* printed;
};

std::ostream& operator<<(std::ostream& os, const RoutineCase& c) { return os << c.routine; }

class LibraryRoutines : public ::testing::TestWithParam<RoutineCase> {};

TEST_P(LibraryRoutines, TurnTheRawValueIntoTheEverydayUnit) {
    const RoutineCase& c = GetParam();
    TempProgram program(std::string("#include \"fsuipc.vrn\"\nchar t[40];\nkey(Control, 'S') {\n   sprintf(t, \"") +
                            c.format + "\", " + c.routine + "())\n   printstr(t)\n}\n",
                        "prog.vrn");
    const ProcessResult r =
        RunVornc({"run", program.Path(), "--fast", "--ticks", "2", "--press", "Ctrl+S@1", "--poke", c.poke});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.OutLines(), std::vector<std::string>{c.printed});
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, LibraryRoutines,
    ::testing::Values(RoutineCase{"IasKnots", "%f", "0x02BC:4=15360", "120.00"},                   // signed, scaled
                      RoutineCase{"VerticalSpeedFpm", "%f", "0x02C8:4=-256", "-196.85"},           // negative
                      RoutineCase{"HeadingDegrees", "%f", "0x0580:4=0xD0A3D70A", "293.40"},        // unsigned 4 bytes
                      RoutineCase{"ApHeadingDegrees", "%f", "0x07CC:2=0xC000", "270.00"},          // unsigned 2 bytes
                      RoutineCase{"AltitudeFeet", "%f", "0x0574:4=1524", "5000.00"},               // 8 bytes, high half
                      RoutineCase{"Com1Mhz", "%f", "0x034E:2=0x2270", "122.70"},                   // BCD frequency
                      RoutineCase{"AdfKhz", "%f", "0x034C:2=0x0345", "345.00"},                    // BCD number
                      RoutineCase{"TransponderCode", "%d", "0x0354:2=0x7000", "7000"}),            // BCD code
    [](const auto& info) { return std::string(info.param.routine); });

}  // namespace
}  // namespace vorn::test

namespace vorn::test {
namespace {

// "IndicatedAirspeed=15360 (120.0 kt)": the raw value, then the everyday one.
TEST(WatchUnits, WellKnownOffsetsShowTheirUnitBesideTheRawValue) {
    TempProgram program("#include \"fsuipc.vrn\"\nint count;\n", "prog.vrn");
    // The model sets both; the pokes come after it, one by name, one by number.
    const ProcessResult r = RunVornc({"run", program.Path(), "--model", "--fast", "--ticks", "3", "--poke",
                                      "Lights=0x05", "--poke", "0x034E:2=0x1875", "--watch", "IndicatedAirspeed",
                                      "--watch", "Lights", "--watch", "Com1Active", "--watch", "count"});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> lines = r.ErrLines();
    ASSERT_FALSE(lines.empty()) << r.err;
    const std::string& line = lines.back();
    const std::size_t at = line.find("IndicatedAirspeed=");
    ASSERT_NE(at, std::string::npos) << line;
    const int raw = std::stoi(line.substr(at + 18));
    char knots[32];
    std::snprintf(knots, sizeof knots, "%.1f kt", raw / 128.0);
    EXPECT_NE(raw, 0) << "the model flies";
    EXPECT_EQ(line.substr(at), "IndicatedAirspeed=" + std::to_string(raw) + " (" + knots +
                                   ") Lights=0x0005 (nav, landing) Com1Active=0x1875 (118.750 MHz) count=0");
}

// A global bound to a known offset with another size: the compile warns, on
// stderr and in the listing, and still succeeds.
TEST(SizeWarning, AKnownOffsetDeclaredWithAnotherSizeWarnsAndCompiles) {
    TempProgram program("int count;\nshortint heading at $0580;\nint altitude at $0574;\n", "prog.vrn");
    const std::string image = program.Folder() + "/prog.img";
    const ProcessResult r = RunVornc({"compile", program.Path(), "--image", image});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, program.Path() + ":2: warning: HeadingTrue at $0580 is 4 bytes in FSUIPC, declared as shortint\n");
    EXPECT_EQ(r.OutLines(), std::vector<std::string>{": 2: warning: HeadingTrue at $0580 is 4 bytes in FSUIPC, declared as shortint"});
    EXPECT_TRUE(std::ifstream(image).good()) << "the image is written";
}

}  // namespace
}  // namespace vorn::test

namespace vorn::test {
namespace {

TEST(OffsetsCommand, ListsTheOffsetsAWordFinds) {
    const ProcessResult r = RunVornc({"offsets", "ALT"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, ReadWholeFile(std::string(VORN_SOURCE_DIR) + "/tests/cli/golden/offsets_alt.txt"));
}

TEST(OffsetsCommand, AWordThatFindsNothingIsAnError) {
    const ProcessResult r = RunVornc({"offsets", "nosuchoffset"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err, "vornc offsets: no offset matches \"nosuchoffset\"\n");
}

TEST(OffsetsCommand, JsonHoldsEveryEntry) {
    const ProcessResult r = RunVornc({"offsets", "--json"});
    EXPECT_EQ(r.status, 0) << r.err;
    std::size_t objects = 0;
    for (std::size_t at = 0; (at = r.out.find("{\"offset\": ", at)) != std::string::npos; ++at) ++objects;
    EXPECT_EQ(objects, OffsetCatalogue().size());
    EXPECT_NE(r.out.find("\"hex\": \"0x02BC\", \"size\": 4, \"type\": \"signed int\", \"name\": \"IndicatedAirspeed\""),
              std::string::npos);
}

}  // namespace
}  // namespace vorn::test
