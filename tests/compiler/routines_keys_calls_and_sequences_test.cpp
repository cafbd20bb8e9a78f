// Routine heads and ends, the key table, calls, startseq, return, and the
// diagnostics for names used as the wrong kind of symbol.
#include <gtest/gtest.h>

#include "tests/compiler/backend_test_util.h"

namespace vorn::testing {
namespace {

struct KeyCase {
    const char* head;
    std::int32_t key;
    std::int32_t modifier;
    bool ok;
};

TEST(KeyRoutines, KeyAndModifier) {
    const KeyCase cases[] = {
        {"key(0x10, 'a')", 65, 16, true},   {"key(16, 'A')", 65, 16, true},
        {"key(control, 'a')", 65, 2, true}, {"key(CONTROL, 'z')", 90, 2, true},
        {"key(0, '1')", 49, 0, true},       {"key($10, 'a')", 65, 0, false},
        {"key(Shift, 'a')", 65, 0, false},  {"key(255, 'a')", 65, 255, true},
        {"key(256, 'a')", 65, 0, false},    {"key(0xFFFFFFFF, 'a')", 65, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.head);
        const Compiled r = Compile(std::string(c.head) + " { }");
        EXPECT_EQ(r.ok, c.ok) << r.listingText;
        EXPECT_EQ(HasDiagnostic(r, "Integer or keyword 'Control' required") ||
                      HasDiagnostic(r, "Modifier must be 0 to 255"),
                  !c.ok);
        if (!c.ok) continue;
        const ImageParts p = Split(r);
        ASSERT_EQ(p.keys.size(), 1u);
        EXPECT_EQ(p.keys[0], (std::vector<std::int32_t>{0, c.key, c.modifier, -1}));
    }
}

TEST(KeyRoutines, RowsInSourceOrderAfterEachOthersHalt) {
    const Compiled r = Compile("int x; key(Control, 'a') { x = 1; } key(2, 'b') { x = 2; }");
    ASSERT_TRUE(r.ok) << r.listingText;
    const ImageParts p = Split(r);
    ASSERT_EQ(p.keys.size(), 2u);
    EXPECT_EQ(p.keys[0], (std::vector<std::int32_t>{0, 'A', 2, -1}));
    EXPECT_EQ(p.keys[1], (std::vector<std::int32_t>{6, 'B', 2, -1}));
    EXPECT_EQ(p.code[5], 1);  // the first routine's HLT
}

TEST(KeyRoutines, At101RowsTheNextIsRefused) {
    std::string program;
    for (int i = 0; i < 101; ++i) program += "key(Control, 'a') { }";
    const Compiled full = Compile(program, false);
    ASSERT_TRUE(full.ok) << full.listingText;
    EXPECT_EQ(Split(full).keys.size(), 101u);
    const Compiled over = Compile(program + "key(Control, 'b') { }", false);
    EXPECT_FALSE(over.ok);
    EXPECT_TRUE(HasDiagnostic(over, "Too many key routines (at most 101)")) << over.listingText;
}

TEST(Routines, ProcedureWithoutReturnReturnsZero) {
    const Compiled r = Compile("p() { }");
    ASSERT_TRUE(r.ok) << r.listingText;
    EXPECT_EQ(Split(r).code, (std::vector<std::int32_t>{3, 0, 24}));
    EXPECT_EQ(r.lines, (std::vector<std::string>{"Add vbl int p Proc location 0000",
                                                 "PushC 0;        // Function return result", "RET",
                                                 "Reset VBLPtr to 1"}));
}

TEST(Routines, BareReturn) {
    const Compiled r = Compile("p() { return; }");
    ASSERT_TRUE(r.ok) << r.listingText;
    EXPECT_EQ(Split(r).code, (std::vector<std::int32_t>{3, 0, 24, 3, 0, 24}));
    EXPECT_EQ(r.lines[1], "PushC 0");
    EXPECT_EQ(r.lines[2], "RET");
}

TEST(Routines, CallAsStatement) {
    const Compiled r = Compile("f(a, b) { return a; } key(Control, 'a') { f(1, 2); }");
    ASSERT_TRUE(r.ok) << r.listingText;
    const ImageParts p = Split(r);
    const std::vector<std::int32_t> key(p.code.begin() + p.keys[0][0], p.code.end());
    EXPECT_EQ(key, (std::vector<std::int32_t>{25, 3, 1, 3, 2, 23, 0, 28, 29, 1}));
}

TEST(Routines, RecursiveCallCarriesItsOwnLabel) {
    const Compiled r = Compile("int x; a() { } b(n) { if (n) b(n - 1); return n; }");
    ASSERT_TRUE(r.ok) << r.listingText;
    bool found = false;
    for (const auto& line : r.lines) found = found || line == "Call b at label L1";
    EXPECT_TRUE(found) << r.listingText;
    EXPECT_EQ(Split(r).labels[1], 3);  // b starts after a's three words
}

TEST(Routines, CallBeforeDeclarationFails) {
    const Compiled r = Compile("key(Control, 'a') { f(); } f() { }");
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(HasDiagnostic(r, "Procedure not defined")) << r.listingText;
    EXPECT_TRUE(r.imageBytes.empty());
}

TEST(Routines, StartSeq) {
    const Compiled r = Compile("sequence S() { wait(1) } key(Control, 'a') { startseq S() }");
    ASSERT_TRUE(r.ok) << r.listingText;
    EXPECT_EQ(r.lines[0], "Add vbl S Proc location 0000");
    const ImageParts p = Split(r);
    EXPECT_EQ(p.code, (std::vector<std::int32_t>{3, 1, 32, 1, 25, 34, 0, 28, 29, 1}));
    EXPECT_EQ(p.keys[0][0], 4);
    bool listed = false;
    for (const auto& line : r.lines) listed = listed || line == "StartSeq S at label L0";
    EXPECT_TRUE(listed) << r.listingText;
}

TEST(Routines, StartSeqOfUnknownName) {
    const Compiled r = Compile("key(Control, 'a') { startseq S() }");
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(HasDiagnostic(r, "Sequence not defined")) << r.listingText;
}

struct MisuseCase {
    const char* program;
    const char* message;
};

TEST(Routines, NamesUsedAsTheWrongKindOfSymbol) {
    const MisuseCase cases[] = {
        {"int x; f() { } key(Control, 'a') { x = f; }", "Routine f used as a variable"},
        {"f() { } key(Control, 'a') { f = 1; }", "Routine f used as a variable"},
        {"int x; f() { } key(Control, 'a') { x = f[1]; }", "Routine f used as a variable"},
        {"int v; key(Control, 'a') { v(); }", "Variable v called as a procedure"},
        {"int v; key(Control, 'a') { startseq v() }", "Variable v started as a sequence"},
        {"sequence S() { } key(Control, 'a') { S(); }", "Sequence S called as a procedure"},
        {"f() { } key(Control, 'a') { startseq f() }", "Procedure f started as a sequence"},
        {"int x; key(Control, 'a') { x = q[1]; }", "Undefined variable q"},
        {"key(Control, 'a') { q[1] = 2; }", "Undeclared identifier q"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program);
        const Compiled r = Compile(c.program, false);
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(HasDiagnostic(r, c.message)) << r.listingText;
        EXPECT_EQ(Diagnostics(r).size(), 1u) << r.listingText;
    }
}

}  // namespace
}  // namespace vorn::testing
