// Listings and images of whole programs, compared line by line and word by
// word with hand-checked expectations.
#include <gtest/gtest.h>

#include "tests/compiler/backend_test_util.h"

namespace vorn::testing {
namespace {

TEST(CompileGolden, RoutineCallAndKeyRoutine) {
    const Compiled c = Compile(
        "int Count; int Sum(int a, int b) { return a + b; } key(Control, 'g') { Count = Sum(Count, 1); }");
    ASSERT_TRUE(c.ok) << c.listingText;
    const std::vector<std::string> expected = {
        "Add vbl int Count local location 1000000",
        "Add vbl int Sum Proc location 0000",
        "Add vbl int a Frame location 2000000",
        "Add vbl int b Frame location 2000004",
        "PushV $2000000,4",
        "PushV $2000004,4",
        "ADD",
        "RET",
        "PushC 0;        // Function return result",
        "RET",
        "Reset VBLPtr to 2",
        "STP",
        "PushV $1000000,4",
        "PushC 1",
        "Call Sum at label L0",
        "RFP",
        "WriteV $1000000,4",
        "HLT",
        "Reset VBLPtr to 2",
    };
    EXPECT_EQ(c.lines, expected);
    const std::vector<std::int32_t> image = {
        16777224, 1, 11, 71, 2, -1, 1, 0, 24,
        2, 33554432, 4, 2, 33554436, 4, 13, 24, 3, 0, 24,
        25, 2, 16777216, 4, 3, 1, 23, 0, 28, 6, 16777216, 4, 1,
        2, 0, 0};
    EXPECT_EQ(c.words, image);
}

TEST(CompileGolden, WhileLoop) {
    const Compiled c = Compile("int i; key(Control, 'a') { while (i < 10) { i = i + 1; } }");
    ASSERT_TRUE(c.ok) << c.listingText;
    const std::vector<std::string> expected = {
        "Add vbl int i local location 1000000",
        "L0: // While",
        "PushV $1000000,4",
        "PushC 10",
        "LT",
        "Iffalse goto L1",
        "PushV $1000000,4",
        "PushC 1",
        "ADD",
        "WriteV $1000000,4",
        "EndWhile.  Go back to L0",
        "L1: // End while jumps to here",
        "HLT",
        "Reset VBLPtr to 1",
    };
    EXPECT_EQ(c.lines, expected);
    const ImageParts p = Split(c);
    EXPECT_EQ(p.labels, (std::vector<std::int32_t>{0, 19}));
    EXPECT_EQ(p.code, (std::vector<std::int32_t>{2, 16777216, 4, 3, 10, 9, 4, 1, 2, 16777216, 4, 3, 1, 13, 6,
                                                 16777216, 4, 5, 0, 1}));
}

// The image without data: one key routine, PushC 5, WAIT, HLT.
TEST(CompileGolden, ImageWithoutData) {
    const Compiled c = Compile("key(Control, 'a') { wait(5) }");
    ASSERT_TRUE(c.ok) << c.listingText;
    EXPECT_EQ(c.words, (std::vector<std::int32_t>{0x1000004, 1, 0, 65, 2, -1, 0, 4, 3, 5, 32, 1, 1, 0}));
    EXPECT_EQ(c.imageBytes.size(), 14u * 4);
}

// Five data bytes (a four-letter string and its zero) pad to two words.
TEST(CompileGolden, ImageWithFiveDataBytes) {
    const Compiled c = Compile("key(Control, 'a') { printstr(\"ABCD\") }");
    ASSERT_TRUE(c.ok) << c.listingText;
    const ImageParts p = Split(c);
    EXPECT_EQ(p.dataEnd, 0x1000000 + 9);
    EXPECT_EQ(p.dataWords, 2);
    EXPECT_EQ(p.data, (std::vector<std::uint8_t>{'A', 'B', 'C', 'D', 0, 0, 0, 0}));
    EXPECT_EQ(p.code, (std::vector<std::int32_t>{3, 0x1000000, 26, 1}));
    EXPECT_EQ(c.lines[0], "PushC ABCD; // loc=1000000");
}

TEST(CompileGolden, DeclarationsOnly) {
    const Compiled c = Compile("int x;");
    ASSERT_TRUE(c.ok) << c.listingText;
    EXPECT_EQ(c.words, (std::vector<std::int32_t>{0x1000008, 0, 0, 0, 2, 0, 0}));
}

TEST(CompileGolden, ListingOffAndNoErrorsGivesEmptyListing) {
    const Compiled c = Compile("int x; key(Control, 'a') { x = 1; }", false);
    EXPECT_TRUE(c.ok);
    EXPECT_TRUE(c.listingText.empty());
    EXPECT_FALSE(c.words.empty());
}

TEST(CompileGolden, ListingLinesEndInCrLf) {
    const Compiled c = Compile("int x;");
    EXPECT_EQ(c.listingText, "Add vbl int x local location 1000000\r\n");
}

}  // namespace
}  // namespace vorn::testing
