// Where declarations land: data-segment addresses without alignment, FSUIPC
// offsets, frame slots, pointer cells, and the data bytes of constants.
#include <gtest/gtest.h>

#include <clocale>
#include <cstring>

#include "tests/compiler/backend_test_util.h"

namespace vorn::testing {
namespace {

struct LayoutCase {
    const char* program;
    std::vector<std::string> lines;  // listing, in order
    std::int32_t dataEnd;
};

TEST(StorageLayout, DeclarationsTakeRoomInOrderWithoutAlignment) {
    const LayoutCase cases[] = {
        {"byte b; int i;",
         {"Add vbl byte b local location 1000000", "Add vbl int i local location 1000004"},
         0x1000008 + 4},
        {"byte s[3]; int j;",
         {"Array s size 3", "Add vbl byte s Array location 1000000", "Add vbl int j local location 1000003"},
         0x1000007 + 4},
        {"shortint h; char c; float f; int k;",
         {"Add vbl shortint h local location 1000000", "Add vbl byte c local location 1000004",
          "Add vbl float f local location 1000008", "Add vbl int k local location 1000010"},
         0x1000014 + 4},
        {"float *p; int k;",
         {"Pointer p", "Add vbl float p Pointer location 1000000", "Add vbl int k local location 1000004"},
         0x1000008 + 4},
        {"int v at 0x0BE8; int w at $0BE8; int x at 3048; int y;",
         {"Add vbl int v UIPC location 0BE8", "Add vbl int w UIPC location 0BE8",
          "Add vbl int x UIPC location 0BE8", "Add vbl int y local location 1000000"},
         0x1000004 + 4},
        {"int t[4] at 0x2000; int y;",
         {"Array t size 16", "Add vbl int t Array location 2000", "Add vbl int y local location 1000000"},
         0x1000004 + 4},
        {"int top at $FFFC;", {"Add vbl int top UIPC location FFFC"}, 0x1000000 + 4},
        {"int low at 5;", {"Add vbl int low UIPC location 0005"}, 0x1000000 + 4},
        // A known offset declared with another size than FSUIPC's: a warning, not an error.
        {"shortint h at $0580;",
         {"Add vbl shortint h UIPC location 0580",
          ": 1: warning: HeadingTrue at $0580 is 4 bytes in FSUIPC, declared as shortint"},
         0x1000000 + 4},
        {"int alt at $0570; int a at $0574; float g at $30C0;",
         {"Add vbl int alt UIPC location 0570", ": 1: warning: AltitudeMsl at $0570 is 8 bytes in FSUIPC, declared as int",
          "Add vbl int a UIPC location 0574", "Add vbl float g UIPC location 30C0"},
         0x1000000 + 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program);
        const Compiled r = Compile(c.program);
        ASSERT_TRUE(r.ok) << r.listingText;
        EXPECT_EQ(r.lines, c.lines);
        EXPECT_EQ(Split(r).dataEnd, c.dataEnd);
    }
}

TEST(StorageLayout, FloatConstantsTakeFreshEightBytesEach) {
    const Compiled once = Compile("float f; key(Control, 'a') { f = 1.5; }");
    ASSERT_TRUE(once.ok) << once.listingText;
    EXPECT_EQ(Split(once).dataEnd, 0x1000000 + 16 + 4);
    EXPECT_EQ(once.lines[1], "PushV $1000008,8 // Floating point");
    const Compiled twice = Compile("float f; key(Control, 'a') { f = 1.5; f = 1.5; }");
    ASSERT_TRUE(twice.ok);
    EXPECT_EQ(Split(twice).dataEnd, 0x1000000 + 24 + 4);

    const ImageParts p = Split(once);
    double value = 0;
    std::memcpy(&value, p.data.data() + 8, 8);
    EXPECT_EQ(value, 1.5);
}

TEST(StorageLayout, FloatConstantTooSmallForADoubleIsZero) {
    const Compiled c = Compile("float f; key(Control, 'a') { f = 0." + std::string(400, '0') + "1; }");
    ASSERT_TRUE(c.ok) << c.listingText;
    double value = 1;
    std::memcpy(&value, Split(c).data.data() + 8, 8);
    EXPECT_EQ(value, 0.0);
}

TEST(StorageLayout, FloatConstantIgnoresTheUserLocale) {
    // A comma locale must not change how "2.25" reads.
    const char* chosen = std::setlocale(LC_ALL, "de_DE.UTF-8");
    if (!chosen) chosen = std::setlocale(LC_ALL, "fr_FR.UTF-8");
    const Compiled c = Compile("float f; key(Control, 'a') { f = 2.25; }");
    std::setlocale(LC_ALL, "C");
    ASSERT_TRUE(c.ok) << c.listingText;
    double value = 0;
    std::memcpy(&value, Split(c).data.data() + 8, 8);
    EXPECT_EQ(value, 2.25);
}

TEST(StorageLayout, StringsTakeLengthPlusOneAndTheNextVariableFollows) {
    const Compiled c = Compile("key(Control, 'a') { printstr(\"AB\") } int after;");
    ASSERT_TRUE(c.ok) << c.listingText;
    EXPECT_EQ(c.lines[0], "PushC AB; // loc=1000000");
    EXPECT_EQ(c.lines.back(), "Add vbl int after local location 1000003");
    const ImageParts p = Split(c);
    EXPECT_EQ(p.data, (std::vector<std::uint8_t>{'A', 'B', 0, 0, 0, 0, 0, 0}));
}

TEST(StorageLayout, StringKeepsItsOwnLetterCase) {
    const Compiled c = Compile("key(Control, 'a') { printstr(\"Hello\") printstr(\"HELLO\") }");
    ASSERT_TRUE(c.ok) << c.listingText;
    EXPECT_EQ(c.lines[0], "PushC Hello; // loc=1000000");
    EXPECT_EQ(c.lines[2], "PushC HELLO; // loc=1000006");
}

TEST(StorageLayout, RoutineParameterSlots) {
    const Compiled c = Compile("int f(int a, float b, byte *c, int d[8]) { return a; }");
    ASSERT_TRUE(c.ok) << c.listingText;
    const std::vector<std::string> head(c.lines.begin(), c.lines.begin() + 5);
    EXPECT_EQ(head, (std::vector<std::string>{
                        "Add vbl int f Proc location 0000",
                        "Add vbl int a Frame location 2000000",
                        "Add vbl float b Frame location 2000004",
                        "Add vbl byte c Pointer location 2000008",
                        "Add vbl int d Pointer location 200000C",
                    }));
    EXPECT_EQ(Split(c).dataEnd, 0x1000004);  // parameters take no data
}

TEST(StorageLayout, LocalsAreStaticAndFollowTheGlobals) {
    const Compiled c = Compile("int g; f() { int l; l = g; } int h;");
    ASSERT_TRUE(c.ok) << c.listingText;
    EXPECT_EQ(c.lines[2], "Add vbl int l local location 1000004");
    EXPECT_EQ(c.lines.back(), "Add vbl int h local location 1000008");
}

TEST(StorageLayout, KeyParameterIsAnIntLocalAtTheRowsAddress) {
    const Compiled c = Compile("int g; key(Control, 'x', n) { g = n; }");
    ASSERT_TRUE(c.ok) << c.listingText;
    EXPECT_EQ(c.lines[1], "Add vbl int n local location 1000004");
    const ImageParts p = Split(c);
    ASSERT_EQ(p.keys.size(), 1u);
    EXPECT_EQ(p.keys[0], (std::vector<std::int32_t>{0, 'X', 2, 0x1000004}));
}

}  // namespace
}  // namespace vorn::testing
