// Integer literals as declarations and operands read them, and the stack of
// scope marks and open labels.
#include <gtest/gtest.h>

#include "compiler/int_literal.h"
#include "compiler/int_stack.h"
#include "support/error.h"

namespace vorn {
namespace {

struct LiteralCase {
    const char* text;
    bool isLiteral;
    std::int32_t value;  // when it converts
    bool converts;
};

TEST(IntLiteral, RecognisesAndConverts) {
    const LiteralCase cases[] = {
        {"0", true, 0, true},
        {"007", true, 7, true},
        {"2147483647", true, 2147483647, true},
        {"2147483648", true, 0, false},
        {"99999999999999999999", true, 0, false},
        {"0x10", true, 16, true},
        {"0X1f", true, 31, true},
        {"$1F", true, 31, true},
        {"$0BC8", true, 3016, true},
        {"0x0BC8", true, 3016, true},
        {"$FFFFFFFF", true, -1, true},
        {"0xFFFFFFFF", true, -1, true},
        {"$80000000", true, INT32_MIN, true},
        {"$100000000", true, 0, false},
        {"$000000000001", true, 1, true},  // leading zeros do not count
        {"0x0x1", true, 0, false},         // passes the set, does not convert
        {"abc", false, 0, false},
        {"12a", false, 0, false},
        {"$", true, 0, false},
        {"$G1", false, 0, false},
        {"", true, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(IsIntLiteral(c.text), c.isLiteral);
        if (c.converts) {
            EXPECT_EQ(IntLiteralValue(c.text), c.value);
        } else if (c.isLiteral) {
            EXPECT_THROW(IntLiteralValue(c.text), Error);
        }
    }
}

TEST(IntLiteral, FailureNamesTheLiteral) {
    try {
        IntLiteralValue("4294967296");
        FAIL() << "no exception";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("4294967296"), std::string::npos);
    }
}

TEST(TIntStack, GrowsByTwentyFromTheHighestIndex) {
    TIntStack stack;
    EXPECT_EQ(stack.Room(), 20u);
    for (int i = 0; i < 20; ++i) stack.Push(i);
    EXPECT_EQ(stack.Room(), 20u);
    stack.Push(20);
    EXPECT_EQ(stack.Room(), 39u);
    for (int i = 21; i < 40; ++i) stack.Push(i);
    EXPECT_EQ(stack.Room(), 58u);
    for (int i = 39; i >= 0; --i) EXPECT_EQ(stack.Pop(), i);
    EXPECT_EQ(stack.Top(), 0);
}

TEST(TIntStack, PopOnEmptyReturnsZeroAndStaysEmpty) {
    TIntStack stack;
    EXPECT_EQ(stack.Pop(), 0);
    EXPECT_EQ(stack.Pop(), 0);
    EXPECT_EQ(stack.Top(), 0);
    stack.Push(7);
    EXPECT_EQ(stack.Pop(), 7);
}

}  // namespace
}  // namespace vorn
