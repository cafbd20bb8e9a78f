// if/else and while: code shapes, labels in source order, every label
// defined exactly once, nesting through the shared mark stack.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>

#include "tests/compiler/backend_test_util.h"

namespace vorn::testing {
namespace {

std::vector<std::string> RoutineLines(const Compiled& c) {
    std::vector<std::string> lines;
    for (const auto& line : c.lines)
        if (line.rfind("Add vbl", 0) != 0) lines.push_back(line);
    if (lines.size() >= 2) lines.resize(lines.size() - 2);  // HLT, Reset
    return lines;
}

TEST(ControlFlow, IfWithoutElse) {
    const Compiled c = Compile("int a; key(Control, 'a') { if (a) a = 1; }");
    ASSERT_TRUE(c.ok) << c.listingText;
    EXPECT_EQ(RoutineLines(c), (std::vector<std::string>{"PushV $1000000,4", "Iffalse goto L0", "PushC 1",
                                                         "WriteV $1000000,4", "L0: //EndIf"}));
    const ImageParts p = Split(c);
    EXPECT_EQ(p.labels, (std::vector<std::int32_t>{10}));
}

TEST(ControlFlow, IfWithElse) {
    const Compiled c = Compile("int a; key(Control, 'a') { if (a > 1) a = 1; else a = 2; }");
    ASSERT_TRUE(c.ok) << c.listingText;
    EXPECT_EQ(RoutineLines(c),
              (std::vector<std::string>{"PushV $1000000,4", "PushC 1", "GT", "Iffalse goto L0", "PushC 1",
                                        "WriteV $1000000,4", "goto L1 // Endif", "L0: //Else", "PushC 2",
                                        "WriteV $1000000,4", "L1: //EndElse"}));
    const ImageParts p = Split(c);
    // IFF L0 jumps past the GOTO to the else part; L1 is the end.
    EXPECT_EQ(p.labels, (std::vector<std::int32_t>{15, 20}));
    EXPECT_EQ(p.code[13], 5);
    EXPECT_EQ(p.code[14], 1);
}

TEST(ControlFlow, ElseBindsToTheNearestIf) {
    const Compiled c = Compile("int a; int b; key(Control, 'a') { if (a) if (b) a = 1; else a = 2; }");
    ASSERT_TRUE(c.ok) << c.listingText;
    const auto lines = RoutineLines(c);
    EXPECT_EQ(lines.back(), "L0: //EndIf");          // the outer if has no else
    EXPECT_NE(std::find(lines.begin(), lines.end(), "L1: //Else"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "L2: //EndElse"), lines.end());
}

TEST(ControlFlow, NestedLabelsInSourceOrderEachDefinedOnce) {
    const Compiled c = Compile(
        "int a; int b; key(Control, 'a') {"
        "  while (a < 10) {"
        "    if (b) { a = a + 1; } else { if (a == 3) b = 0; }"
        "    while (b) b = b - 1;"
        "    if (a) a = a; else a = 0;"
        "  }"
        "  if (a) { while (a) a = a - 1; }"
        "}");
    ASSERT_TRUE(c.ok) << c.listingText;
    std::map<int, int> defined;
    std::vector<int> allocationOrder;
    std::vector<int> referenced;
    const std::regex def(R"(^L(\d+): )");
    const std::regex use(R"(goto L(\d+))");
    std::smatch m;
    for (const auto& line : c.lines) {
        if (std::regex_search(line, m, def)) ++defined[std::stoi(m[1])];
        if (line.rfind("Iffalse goto L", 0) == 0 || line.find("// While") != std::string::npos ||
            line.find("// Endif") != std::string::npos) {
            std::smatch n;
            std::regex_search(line, n, std::regex(R"(L(\d+))"));
            allocationOrder.push_back(std::stoi(n[1]));
        }
        if (std::regex_search(line, m, use)) referenced.push_back(std::stoi(m[1]));
    }
    const ImageParts p = Split(c);
    ASSERT_EQ(static_cast<int>(p.labels.size()), static_cast<int>(defined.size()));
    for (int label = 0; label < static_cast<int>(p.labels.size()); ++label) EXPECT_EQ(defined[label], 1) << label;
    for (std::size_t i = 0; i < allocationOrder.size(); ++i) EXPECT_EQ(allocationOrder[i], static_cast<int>(i));
    for (int label : referenced) EXPECT_TRUE(defined.count(label)) << label;
    // Every IFF and GOTO in the code names a label that lands inside the code.
    for (std::int32_t target : p.labels) {
        EXPECT_GE(target, 0);
        EXPECT_LE(target, static_cast<std::int32_t>(p.code.size()));
    }
}

TEST(ControlFlow, EmptyBodyIsReportedAndParsingGoesOn) {
    const Compiled c = Compile("int a; key(Control, 'a') { if (a) else a = 1; while (a) }", false);
    EXPECT_FALSE(c.ok);
    EXPECT_TRUE(c.words.empty());
    int expected = 0;
    for (const auto& line : Diagnostics(c))
        if (line.find(": Statement expected at or before") != std::string::npos) ++expected;
    EXPECT_EQ(expected, 2) << c.listingText;
}

TEST(ControlFlow, DiagnosticsAppearWithTheListingOff) {
    const Compiled c = Compile("key(Control, 'a') {\n  y = 1;\n  x = z + 1;\n}", false);
    EXPECT_FALSE(c.ok);
    EXPECT_EQ(c.lines, (std::vector<std::string>{": 2: Undeclared identifier y at or before ;",
                                                 ": 3: Undefined variable z at or before +",
                                                 ": 3: Undeclared identifier x at or before ;"}));
    EXPECT_TRUE(c.imageBytes.empty());
}

}  // namespace
}  // namespace vorn::testing
