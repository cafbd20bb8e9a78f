// What the grammar accepts, and the order and values of its reductions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/script_parser.h"
#include "compiler/tokens.h"
#include "support/error.h"
#include "frontend_test_util.h"

namespace vorn {
namespace {

using testing_frontend::ParseResult;
using testing_frontend::ParseSource;
using testing_frontend::RecordingActions;

const char* const kOneLineProgram =
    "int alt at $0570; sequence Climb() { while (alt < 5000) { wait(10) } } key(Control, 'G') { int n; "
    "n = alt / 2; if (n > 1000) startseq Climb() else n = 0; }";

struct AcceptCase {
    const char* name;
    const char* source;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const AcceptCase& c, std::ostream* os) { *os << c.name; }

class ParserAccepts : public ::testing::TestWithParam<AcceptCase> {};

TEST_P(ParserAccepts, WithoutDiagnostics) {
    RecordingActions actions;
    const ParseResult r = ParseSource(GetParam().source, &actions);
    EXPECT_EQ(r.result, 0) << r.listing;
    EXPECT_EQ(r.errors, 0);
    EXPECT_EQ(r.listing, "");
    ASSERT_FALSE(actions.reductions.empty());
    EXPECT_TRUE(actions.reductions.back().rule == 1 || actions.reductions.back().rule == 2);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParserAccepts,
    ::testing::Values(
        AcceptCase{"OneLineProgram", kOneLineProgram},
        AcceptCase{"TwoGlobals", "int x; int y;"},
        AcceptCase{"AllDeclarationForms",
                   "byte a; char b; shortint c; int d; float e; int *p; int f at 0x3304; byte g[10]; "
                   "byte h[4] at $100;"},
        AcceptCase{"Routines",
                   "f() { } int g(int a, b, byte *c, int d[3]) { return a; } h() { return; } "
                   "sequence s() { }"},
        AcceptCase{"KeyForms", "key(71, 'G') { } key(Control, 'a', flag) { int n; byte m; n = flag; }"},
        AcceptCase{"Statements",
                   "f() { x = 1; a[i + 1] = (b < c); g(); g(1, 2 * 3); ; while (x) x = x - 1; "
                   "while (x) { } if (x) { } else { y = 2; } return 1 + 2; }"},
        AcceptCase{"Builtins",
                   "f() { writeblock(1, 2, 3); readblock(a, b[1], c); printstr(\"hi\") ; printstr(s) "
                   "sprintf(\"%d %s\", x, \"y\") wait(100) play(\"ding.wav\") startseq s() startseq t(1, 2) }"},
        AcceptCase{"ConditionsInParentheses", "f() { x = (a < b) < c; f((a > b)); x = a | b; x = !a && b; }"},
        AcceptCase{"AllOperators",
                   "f() { x = a > b; x = a >= b; x = a < b; x = a <= b; x = a == b; x = a != b; x = a | b; "
                   "x = a & b; x = a + b - c * d / e || f && g % h; x = -a; x = !a; x = 1.5; x = 'c'; }"},
        AcceptCase{"PrintstrFollowedBySemicolon", "f() { printstr(\"a\"); }"},
        AcceptCase{"ExpressionStatement", "f() { a + 1; b == c; }"}),
    [](const auto& info) { return std::string(info.param.name); });

std::vector<int> Reductions(const std::string& source) {
    RecordingActions actions;
    const ParseResult r = ParseSource(source, &actions);
    EXPECT_EQ(r.errors, 0) << r.listing;
    return actions.Rules();
}

TEST(ParserReductions, OneGlobalReducesInRuleOrder) {
    // int x;  →  type_name(29) var_decl(5) top_item(3) program(1)
    EXPECT_EQ(Reductions("int x;"), (std::vector<int>{29, 5, 3, 1}));
}

TEST(ParserReductions, DanglingElseBelongsToInnerIf) {
    RecordingActions actions;
    const ParseResult r = ParseSource("f() { if (a) if (b) x = 1; else x = 2; }", &actions);
    ASSERT_EQ(r.errors, 0) << r.listing;
    // The inner if gets the else (if_tail 55), the outer one none (53).
    EXPECT_EQ(actions.RulesAmong({44, 53, 55}), (std::vector<int>{55, 44, 53, 44}));
}

struct OrderCase {
    const char* name;
    const char* expression;
    std::vector<int> order;   // operator and operand rules, in reduction order
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const OrderCase& c, std::ostream* os) { *os << c.name; }

class ParserPrecedence : public ::testing::TestWithParam<OrderCase> {};

TEST_P(ParserPrecedence, GroupsByReductionOrder) {
    RecordingActions actions;
    const ParseResult r = ParseSource(std::string("f() { x = ") + GetParam().expression + "; }", &actions);
    ASSERT_EQ(r.errors, 0) << r.listing;
    EXPECT_EQ(actions.RulesAmong({67, 69, 76, 77, 79, 80, 81, 82, 83, 87, 88, 89}), GetParam().order);
}

// 89 is a name operand; 76 +, 77 -, 79 *, 80 /, 81 ||, 82 &&, 83 %, 87 prefix -, 88 !, 67 >, 69 <.
INSTANTIATE_TEST_SUITE_P(
    Cases, ParserPrecedence,
    ::testing::Values(OrderCase{"ProductBeforeSum", "a + b * c", {89, 89, 89, 79, 76}},
                      OrderCase{"SumAfterProduct", "a * b + c", {89, 89, 79, 89, 76}},
                      OrderCase{"MinusIsLeftAssociative", "a - b - c", {89, 89, 77, 89, 77}},
                      OrderCase{"DivideIsLeftAssociative", "a / b / c", {89, 89, 80, 89, 80}},
                      OrderCase{"OrOrIsMultiplicative", "a || b * c", {89, 89, 81, 89, 79}},
                      OrderCase{"AndAndIsMultiplicative", "a + b && c", {89, 89, 89, 82, 76}},
                      OrderCase{"PrefixMinusTakesTheTerm", "-a * b", {89, 89, 79, 87}},
                      OrderCase{"PrefixMinusBeforeSum", "-a + b", {89, 87, 89, 76}},
                      OrderCase{"NotTakesTheTerm", "!a && b", {89, 89, 82, 88}},
                      OrderCase{"ModuloChain", "a % b * c", {89, 89, 83, 89, 79}},
                      OrderCase{"ComparisonLast", "a + b > c * d", {89, 89, 76, 89, 89, 79, 67}},
                      OrderCase{"ParenthesesFirst", "a * (b + c)", {89, 89, 89, 76, 79}},
                      OrderCase{"NestedComparison", "(a < b) > c", {89, 89, 69, 89, 67}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ParserValues, ActionsSeeTheRightHandSideValues) {
    RecordingActions actions;
    actions.sets = {{29, kTypeInt}, {27, kTypeByte}};
    MemoryStream source;
    source.Write("int alt at $0570; byte b[4];");
    TScriptParser parser(source);
    parser.SetActions(&actions);
    ASSERT_EQ(parser.Parse(), 0);
    const auto& names = parser.Lexer().NameTable();
    bool saw7 = false, saw8 = false;
    for (const auto& r : actions.reductions) {
        if (r.rule == 7) {   // type_name IDENT "at" NUMBER ";"
            saw7 = true;
            ASSERT_EQ(r.rhs.size(), 5u);
            EXPECT_EQ(r.rhs[0], kTypeInt);
            EXPECT_EQ(names.at(r.rhs[1]), "alt");
            EXPECT_EQ(names.at(r.rhs[3]), "$0570");
        }
        if (r.rule == 8) {   // type_name IDENT "[" NUMBER "]" ";"
            saw8 = true;
            ASSERT_EQ(r.rhs.size(), 6u);
            EXPECT_EQ(r.rhs[0], kTypeByte);
            EXPECT_EQ(names.at(r.rhs[1]), "b");
            EXPECT_EQ(names.at(r.rhs[3]), "4");
        }
    }
    EXPECT_TRUE(saw7);
    EXPECT_TRUE(saw8);
}

TEST(ParserValues, MarkerRuleReadsTheEnclosingRulesEarlierSymbols) {
    RecordingActions actions;
    std::vector<std::string> seen;
    MemoryStream source;
    source.Write("key(Control, 'G') { } sequence Climb() { }");
    TScriptParser parser(source);
    actions.onReduce = [&](int rule, TScriptParser& p) {
        const auto& names = p.Lexer().NameTable();
        if (rule == 10) {   // after "key" "(" key_code "," CHARLIT ")"
            seen.push_back(names.at(p.StackValue(1)));   // CHARLIT
            seen.push_back(names.at(p.StackValue(3)));   // key_code carries IDENT's value on
        }
        if (rule == 16) seen.push_back(names.at(p.StackValue(0)));   // after "sequence" IDENT
    };
    parser.SetActions(&actions);
    ASSERT_EQ(parser.Parse(), 0);
    EXPECT_EQ(seen, (std::vector<std::string>{"'G'", "Control", "Climb"}));
}

TEST(ParserValues, RegisterStartsAsTopValueAndIsHandedOn) {
    RecordingActions actions;
    actions.sets = {{84, 1000}};   // factor: NUMBER
    const ParseResult r = ParseSource("f() { x = 5; }", &actions);
    ASSERT_EQ(r.errors, 0);
    for (const auto& red : actions.reductions) EXPECT_EQ(red.registerOnEntry, red.top) << "rule " << red.rule;
    // term → factor (78), expr → term (75) and condition → expr (66) set
    // nothing, so the value set for the NUMBER reaches the assignment.
    bool found = false;
    for (const auto& red : actions.reductions) {
        if (red.rule == 45) {
            found = true;
            ASSERT_EQ(red.rhs.size(), 4u);
            EXPECT_EQ(red.rhs[2], 1000);
        }
    }
    EXPECT_TRUE(found);
}

TEST(ParserValues, StackValueOutsideTheStackIsZero) {
    RecordingActions actions;
    int checked = 0;
    actions.onReduce = [&](int, TScriptParser& p) {
        EXPECT_EQ(p.StackValue(-1), 0);
        EXPECT_EQ(p.StackValue(1 << 30), 0);
        EXPECT_EQ(p.StackValue(kParseStackDepth + 5), 0);
        ++checked;
    };
    const ParseResult r = ParseSource("int x;", &actions);
    EXPECT_EQ(r.errors, 0);
    EXPECT_GT(checked, 0);

    MemoryStream empty;
    TScriptParser idle(empty);
    EXPECT_EQ(idle.StackValue(0), 0);
}

TEST(ParserDriver, ReadsTheLookaheadOnlyWhenNeeded) {
    RecordingActions actions;
    const ParseResult r = ParseSource("int x;\n\n\nint y;", &actions);
    ASSERT_EQ(r.errors, 0);
    // "int x;" reduces to var_decl and top_item in states with a single
    // action, before the lexer has read the next line.
    ASSERT_GE(actions.reductions.size(), 3u);
    EXPECT_EQ(actions.reductions[1].rule, 5);
    EXPECT_EQ(actions.reductions[1].line, 1);
    EXPECT_EQ(actions.reductions[2].rule, 3);
    EXPECT_EQ(actions.reductions[2].line, 1);
}

TEST(ParserDriver, AnErrorThrownByAnActionEndsTheParseCleanly) {
    RecordingActions actions;
    actions.onReduce = [](int rule, TScriptParser&) {
        if (rule == 84) throw Error("literal out of range");
    };
    MemoryStream source;
    source.Write("f() { x = 99999999999; }");
    TScriptParser parser(source);
    parser.SetActions(&actions);
    EXPECT_THROW(parser.Parse(), Error);
    // The action's view of the stack is gone with the parse.
    EXPECT_EQ(parser.StackValue(0), 0);
    parser.ValueRegister() = 5;   // harmless outside an action
}

TEST(ParserDriver, WorksWithoutActions) {
    const ParseResult r = ParseSource(kOneLineProgram, nullptr);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.errors, 0);
}

struct LengthCase {
    int rule;
    int length;
};

TEST(ParserRules, RuleLengthsFollowTheGrammar) {
    for (const LengthCase& c : {LengthCase{1, 1}, LengthCase{2, 2}, LengthCase{9, 8}, LengthCase{10, 0},
                                LengthCase{11, 8}, LengthCase{13, 10}, LengthCase{17, 6}, LengthCase{26, 4},
                                LengthCase{36, 0}, LengthCase{42, 7}, LengthCase{44, 6}, LengthCase{56, 9},
                                LengthCase{65, 0}, LengthCase{94, 4}, LengthCase{96, 5}, LengthCase{102, 3}}) {
        EXPECT_EQ(RuleLength(c.rule), c.length) << "rule " << c.rule;
    }
    EXPECT_EQ(RuleLength(0), -1);
    EXPECT_EQ(RuleLength(kRuleCount + 1), -1);
    EXPECT_EQ(RuleLength(-7), -1);
}

}  // namespace
}  // namespace vorn
