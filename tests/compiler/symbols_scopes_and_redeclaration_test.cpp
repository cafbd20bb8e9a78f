// Names: redeclaration within a scope, hiding across scopes, the scope reset
// after a routine, and lookups past the table's first growth.
#include <gtest/gtest.h>

#include "compiler/symbol_table.h"
#include "tests/compiler/backend_test_util.h"

namespace vorn::testing {
namespace {

struct ScopeCase {
    const char* program;
    int redeclarations;  // "Identifier ... redeclared" lines
};

TEST(Scopes, RedeclarationIsCheckedInTheCurrentScopeOnly) {
    const ScopeCase cases[] = {
        {"int a; int A;", 1},
        {"int a; int a; int a;", 3},  // the third matches both earlier entries
        {"int a; f(int a) { return a; }", 0},
        {"int f(int f) { return 0; }", 1},
        {"f() { int x; } g() { int x; }", 0},
        {"f(int p, int p) { }", 1},
        {"int v; v() { }", 1},
        {"key(Control, 'a', n) { int n; }", 1},
        {"int n; key(Control, 'a', n) { }", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program);
        const Compiled r = Compile(c.program);
        int count = 0;
        for (const auto& line : Diagnostics(r))
            if (line.find(" redeclared at or before") != std::string::npos) ++count;
        EXPECT_EQ(count, c.redeclarations) << r.listingText;
        EXPECT_EQ(r.ok, c.redeclarations == 0);
    }
}

TEST(Scopes, RedeclarationNamesTheFirstSpelling) {
    const Compiled r = Compile("int a; int A;");
    EXPECT_TRUE(HasDiagnostic(r, "Identifier a redeclared")) << r.listingText;
    // Both entries exist: each has its own data room.
    EXPECT_EQ(r.lines[0], "Add vbl int a local location 1000000");
    EXPECT_EQ(r.lines.back(), "Add vbl int a local location 1000004");
}

TEST(Scopes, ParameterHidesGlobalOfTheSameName) {
    const Compiled r = Compile("int a; int f(int a) { return a; }");
    ASSERT_TRUE(r.ok) << r.listingText;
    const ImageParts p = Split(r);
    // return a reads the parameter's slot, not the global.
    EXPECT_EQ(p.code[0], 2);
    EXPECT_EQ(p.code[1], 0x2000000);
}

TEST(Scopes, ResetShowsGlobalsAndRoutinesSoFar) {
    const Compiled r = Compile("int a; int b; f(int x) { int y; } int c; g() { } key(Control, 'a') { }");
    ASSERT_TRUE(r.ok) << r.listingText;
    std::vector<std::string> resets;
    for (const auto& line : r.lines)
        if (line.rfind("Reset VBLPtr to ", 0) == 0) resets.push_back(line);
    EXPECT_EQ(resets, (std::vector<std::string>{"Reset VBLPtr to 3", "Reset VBLPtr to 5", "Reset VBLPtr to 5"}));
}

TEST(Scopes, LocalsAreGoneAfterTheRoutineButTheRoutineStays) {
    const Compiled r = Compile("f() { int x; } key(Control, 'a') { x = 1; f(); }");
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(HasDiagnostic(r, "Undeclared identifier x")) << r.listingText;
    EXPECT_FALSE(HasDiagnostic(r, "Procedure not defined"));
}

TEST(Scopes, TableGrowsPastItsFirstRoom) {
    std::string program;
    for (int i = 0; i < 260; ++i) program += "int v" + std::to_string(i) + ";";
    program += "key(Control, 'a') {";
    for (int i = 0; i < 260; i += 37) program += "v" + std::to_string(i) + " = " + std::to_string(i) + ";";
    program += "}";
    const Compiled r = Compile(program, false);
    ASSERT_TRUE(r.ok) << r.listingText;
    const ImageParts p = Split(r);
    // Each store writes the variable's own address.
    std::size_t at = 0;
    for (int i = 0; i < 260; i += 37) {
        ASSERT_LT(at + 4, p.code.size());
        EXPECT_EQ(p.code[at + 2], 6);
        EXPECT_EQ(p.code[at + 3], 0x1000000 + 4 * i);
        at += 5;
    }
}

TEST(SymbolTable, FindsTheMostRecentLiveEntry) {
    SymbolTable table;
    for (int i = 0; i < 120; ++i) table.Append({kTypeInt, i % 7, i, 0});
    EXPECT_EQ(table.FindVbl(3), 115);
    EXPECT_EQ(table.FindVbl(99), -1);
    table.ResetTo(10);
    EXPECT_EQ(table.FindVbl(3), 3);
    table.ResetTo(5000);  // a mark past the live entries revives nothing
    EXPECT_EQ(table.VBLPtr, 10);
    EXPECT_EQ(table.FindVbl(3), 3);
    table.Append({kTypeInt, 3, 77, 0});  // reuses a dead slot
    EXPECT_EQ(table.FindVbl(3), 10);
    EXPECT_EQ(table.Entry(10).Location, 77);
    EXPECT_EQ(table.ScopeMatches(3), (std::vector<std::int32_t>{10, 3}));
    table.ScopeStart = 5;
    EXPECT_EQ(table.ScopeMatches(3), (std::vector<std::int32_t>{10}));
}

TEST(SymbolTable, AddVblLineFormats) {
    EXPECT_EQ(AddVblLine(kTypeInt, "Speed", TStorageClass::local, 0x1000000), "Add vbl int Speed local location 1000000");
    EXPECT_EQ(AddVblLine(kTypeNone, "Climb", TStorageClass::Proc, 3), "Add vbl Climb Proc location 0003");
    EXPECT_EQ(AddVblLine(kTypeFloat, "x", TStorageClass::UIPC, -2), "Add vbl float x UIPC location FFFFFFFE");
    EXPECT_EQ(AddVblLine(kTypeShortint, "s", TStorageClass::Frame, 0x2000004), "Add vbl shortint s Frame location 2000004");
    EXPECT_EQ(TypeSize(kTypeByte), 1);
    EXPECT_EQ(TypeSize(kTypeShortint), 2);
    EXPECT_EQ(TypeSize(kTypeInt), 4);
    EXPECT_EQ(TypeSize(kTypeFloat), 8);
    EXPECT_EQ(TypeSize(kTypeNone), -1);
    EXPECT_EQ(TypeSize(262), -1);
}

}  // namespace
}  // namespace vorn::testing
