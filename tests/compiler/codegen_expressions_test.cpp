// Code for operands, operators, constants, element access and stores.
#include <gtest/gtest.h>

#include "tests/compiler/backend_test_util.h"

namespace vorn::testing {
namespace {

// Compiles one statement inside a key routine after the given globals and
// returns the routine's listing lines (without the Add vbl lines, the final
// HLT and the scope reset).
std::vector<std::string> StatementLines(const std::string& globals, const std::string& statement) {
    const Compiled c = Compile(globals + " key(Control, 'a') { " + statement + " }");
    EXPECT_TRUE(c.ok) << c.listingText;
    std::vector<std::string> lines;
    for (const auto& line : c.lines)
        if (line.rfind("Add vbl", 0) != 0 && line.rfind("Array ", 0) != 0 && line.rfind("Pointer ", 0) != 0)
            lines.push_back(line);
    if (lines.size() >= 2) lines.resize(lines.size() - 2);
    return lines;
}

struct OperatorCase {
    const char* op;
    const char* mnemonic;
    std::int32_t code;
};

TEST(CodegenExpressions, OperatorTable) {
    const OperatorCase cases[] = {
        {">", "GT", 7},   {">=", "GE", 8},    {"<", "LT", 9},     {"<=", "LE", 10}, {"==", "EQ", 11},
        {"!=", "NE", 12}, {"|", "L_AND", 36}, {"&", "L_OR", 37},  {"+", "ADD", 13}, {"-", "SUB", 14},
        {"*", "MUL", 15}, {"/", "DIV", 16},   {"||", "OR", 19},   {"&&", "AND", 18}, {"%", "MOD", 30},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.op);
        const Compiled r = Compile(std::string("int x; key(Control, 'a') { x = 12 ") + c.op + " 10; }");
        ASSERT_TRUE(r.ok) << r.listingText;
        EXPECT_EQ(r.lines[3], c.mnemonic);
        EXPECT_EQ(Split(r).code, (std::vector<std::int32_t>{3, 12, 3, 10, c.code, 6, 0x1000000, 4, 1}));
    }
}

TEST(CodegenExpressions, PrefixOperatorsApplyToTheWholeTerm) {
    EXPECT_EQ(StatementLines("int x; int a; int b;", "x = -a * b;"),
              (std::vector<std::string>{"PushV $1000004,4", "PushV $1000008,4", "MUL", "NEG", "WriteV $1000000,4"}));
    EXPECT_EQ(StatementLines("int x; int a; int b;", "x = !a && b;"),
              (std::vector<std::string>{"PushV $1000004,4", "PushV $1000008,4", "AND", "NOT", "WriteV $1000000,4"}));
}

TEST(CodegenExpressions, Constants) {
    EXPECT_EQ(StatementLines("int x;", "x = 'a';"), (std::vector<std::string>{"PushC $61", "WriteV $1000000,4"}));
    EXPECT_EQ(StatementLines("int x;", "x = 0x10;"), (std::vector<std::string>{"PushC 0x10", "WriteV $1000000,4"}));
    const Compiled c = Compile("int x; key(Control, 'a') { x = 0x10 + $FF + 'a'; }");
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(Split(c).code, (std::vector<std::int32_t>{3, 16, 3, 255, 13, 3, 97, 13, 6, 0x1000000, 4, 1}));
}

TEST(CodegenExpressions, OperandsByStorageClass) {
    EXPECT_EQ(StatementLines("byte b at $0238; shortint s; float f; int t[2]; int *p;", "b = s + f + t + p;"),
              (std::vector<std::string>{"PushV $1000000,2", "PushV $1000004,8", "ADD",
                                        "PushC $100000C", "ADD", "PushV $1000014,4", "ADD", "WriteV $0238,1"}));
}

TEST(CodegenExpressions, StoresUseTheVariablesSize) {
    EXPECT_EQ(StatementLines("byte x at $0238; byte y;", "x = y;"),
              (std::vector<std::string>{"PushV $1000000,1", "WriteV $0238,1"}));
    EXPECT_EQ(StatementLines("float *p;", "p = 3;"), (std::vector<std::string>{"PushC 3", "WriteV $1000000,4"}));
    EXPECT_EQ(StatementLines("shortint a[3];", "a = 3;"), (std::vector<std::string>{"PushC 3", "WriteV $1000000,2"}));
}

TEST(CodegenExpressions, ElementAddressing) {
    const Compiled c = Compile("int a[4]; int i; int v; key(Control, 'a') { a[i] = v; }");
    ASSERT_TRUE(c.ok) << c.listingText;
    EXPECT_EQ(Split(c).code, (std::vector<std::int32_t>{2, 0x1000010, 4, 3, 4, 15, 3, 0x1000000, 13, 2, 0x1000014, 4,
                                                        21, 4, 1}));
    EXPECT_EQ(StatementLines("int a[4]; int i; int v;", "a[i] = v;"),
              (std::vector<std::string>{"PushV $1000010,4", "PushC 4", "MUL", "PushC 1000000", "ADD",
                                        "PushV $1000014,4", "STI 4"}));
    EXPECT_EQ(StatementLines("byte a[4]; int i;", "i = a[i];"),
              (std::vector<std::string>{"PushV $1000004,4", "PushC 1000000", "ADD", "LDI 1",
                                        "WriteV $1000004,4"}));
    EXPECT_EQ(StatementLines("int *p; int i;", "i = p[2];"),
              (std::vector<std::string>{"PushC 2", "PushC 4", "MUL", "PushV 1000000,4", "ADD", "LDI 4",
                                        "WriteV $1000004,4"}));
    EXPECT_EQ(StatementLines("shortint r[2] at $3000;", "r[1] = 5;"),
              (std::vector<std::string>{"PushC 1", "PushC 2", "MUL", "PushC 3000", "ADD", "PushC 5", "STI 2"}));
}

TEST(CodegenExpressions, ExpressionStatementDropsItsValue) {
    EXPECT_EQ(StatementLines("int x;", "x + 1;"),
              (std::vector<std::string>{"PushV $1000000,4", "PushC 1", "ADD", "TDY"}));
}

TEST(CodegenExpressions, BuiltinStatements) {
    EXPECT_EQ(StatementLines("byte buf[8];", "readblock($0570, buf, 8); writeblock($0570, buf, 8);"),
              (std::vector<std::string>{"PushC $0570", "PushC $1000000", "PushC 8", "RDB", "PushC $0570",
                                        "PushC $1000000", "PushC 8", "WRB"}));
    EXPECT_EQ(StatementLines("int n;", "wait(n) play(\"a.wav\")"),
              (std::vector<std::string>{"PushV $1000000,4", "WAIT", "PushC a.wav; // loc=1000004", "PLAY"}));
    EXPECT_EQ(StatementLines("byte out[20]; int n;", "sprintf(out, \"%d\", n)"),
              (std::vector<std::string>{"STP", "PushC $1000000", "PushC %d; // loc=1000018", "PushV $1000014,4",
                                        "PRF", "RFP", "TDY"}));
}

}  // namespace
}  // namespace vorn::testing
