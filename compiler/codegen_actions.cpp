// The semantic actions, one per grammar rule, indexed by rule number: the
// R(n) written at a rule in script_grammar.y runs kActions[n] below.
// Values: for a rule of n symbols the k-th symbol's value is StackValue(n - k);
// a marker (empty) rule counts back into its enclosing rule the same way.
#include <array>
#include <optional>

#include "compiler/codegen.h"
#include "machine/ins_set.h"
#include "support/error.h"

namespace vorn {

namespace {

using Action = void (*)(CodeGenerator& g, TScriptParser& p);

constexpr std::array<Action, 103> kActions = {
    nullptr,  // no rule 0
    // 1: program → top_item
    nullptr,
    // 2: program → top_item program
    nullptr,
    // 3: top_item → var_decl
    nullptr,
    // 4: top_item → routine
    nullptr,
    // 5: var_decl → type_name IDENT ";"
    [](CodeGenerator& g, TScriptParser& p) { g.DeclareVar(p.StackValue(2), p.StackValue(1), -1); },
    // 6: var_decl → type_name "*" IDENT ";"
    [](CodeGenerator& g, TScriptParser& p) { g.DeclareArray(p.StackValue(3), p.StackValue(1), -1, -1); },
    // 7: var_decl → type_name IDENT "at" NUMBER ";"
    [](CodeGenerator& g, TScriptParser& p) { g.DeclareVar(p.StackValue(4), p.StackValue(3), p.StackValue(1)); },
    // 8: var_decl → type_name IDENT "[" NUMBER "]" ";"
    [](CodeGenerator& g, TScriptParser& p) { g.DeclareArray(p.StackValue(5), p.StackValue(4), p.StackValue(2), -1); },
    // 9: var_decl → type_name IDENT "[" NUMBER "]" "at" NUMBER ";"
    [](CodeGenerator& g, TScriptParser& p) { g.DeclareArray(p.StackValue(7), p.StackValue(6), p.StackValue(4), p.StackValue(1)); },
    // 10: key_open → (empty)
    [](CodeGenerator& g, TScriptParser& p) { g.BeginKeyRoutine(p.StackValue(3), p.StackValue(1), std::nullopt); },  // after ")"
    // 11: routine → "key" "(" key_code "," CHARLIT ")" key_open block
    [](CodeGenerator& g, TScriptParser&) { g.HaltEnd(); },
    // 12: key_named_open → (empty)
    [](CodeGenerator& g, TScriptParser& p) { g.BeginKeyRoutine(p.StackValue(5), p.StackValue(3), p.StackValue(1)); },  // after ")"
    // 13: routine → "key" "(" key_code "," CHARLIT "," IDENT ")" key_named_open block
    [](CodeGenerator& g, TScriptParser&) { g.HaltEnd(); },
    // 14: routine → routine_head "(" param_list ")" block
    [](CodeGenerator& g, TScriptParser&) { g.ProcedureEnd(); },
    // 15: routine → routine_head "(" ")" block
    [](CodeGenerator& g, TScriptParser&) { g.ProcedureEnd(); },
    // 16: sequence_open → (empty)
    [](CodeGenerator& g, TScriptParser& p) { g.BeginRoutine(kTypeNone, p.StackValue(0)); },  // right after the IDENT
    // 17: routine → "sequence" IDENT sequence_open "(" ")" block
    [](CodeGenerator& g, TScriptParser&) { g.HaltEnd(); },
    // 18: routine_head → IDENT
    [](CodeGenerator& g, TScriptParser& p) { g.BeginRoutine(kTypeInt, p.StackValue(0)); },
    // 19: routine_head → type_name IDENT
    [](CodeGenerator& g, TScriptParser& p) { g.BeginRoutine(p.StackValue(1), p.StackValue(0)); },
    // 20: param_list → param
    nullptr,
    // 21: param_list → param "," param_list
    nullptr,
    // 22: param → type_name IDENT
    [](CodeGenerator& g, TScriptParser& p) { g.DeclareParam(p.StackValue(1), p.StackValue(0)); },
    // 23: param → IDENT
    [](CodeGenerator& g, TScriptParser& p) { g.DeclareParam(kTypeInt, p.StackValue(0)); },
    // 24: param → type_name "*" IDENT
    [](CodeGenerator& g, TScriptParser& p) { g.DeclarePointerParam(p.StackValue(2), p.StackValue(0)); },
    // 25: param → type_name IDENT "[" NUMBER "]"
    [](CodeGenerator& g, TScriptParser& p) { g.DeclarePointerParam(p.StackValue(4), p.StackValue(3)); },  // the size is ignored
    // 26: block → "{" local_decls stmt_list "}"
    [](CodeGenerator&, TScriptParser& p) { p.SetValue(p.StackValue(3)); },
    // 27: type_name → "byte"
    [](CodeGenerator&, TScriptParser& p) { p.SetValue(kTypeByte); },
    // 28: type_name → "char"
    [](CodeGenerator&, TScriptParser& p) { p.SetValue(kTypeChar); },
    // 29: type_name → "int"
    [](CodeGenerator&, TScriptParser& p) { p.SetValue(kTypeInt); },
    // 30: type_name → "shortint"
    [](CodeGenerator&, TScriptParser& p) { p.SetValue(kTypeShortint); },
    // 31: type_name → "float"
    [](CodeGenerator&, TScriptParser& p) { p.SetValue(kTypeFloat); },
    // 32: key_code → NUMBER
    [](CodeGenerator&, TScriptParser& p) { p.SetValue(p.StackValue(0)); },
    // 33: key_code → IDENT
    [](CodeGenerator&, TScriptParser& p) { p.SetValue(p.StackValue(0)); },
    // 34: stmt_list → stmt
    nullptr,
    // 35: stmt_list → stmt_list stmt
    nullptr,
    // 36: stmt_list → (empty)
    nullptr,
    // 37: local_decls → var_decl
    nullptr,
    // 38: local_decls → var_decl local_decls
    nullptr,
    // 39: local_decls → (empty)
    nullptr,
    // 40: while_start → (empty)
    [](CodeGenerator& g, TScriptParser&) { g.WhileTop(); },
    // 41: while_test → (empty)
    [](CodeGenerator& g, TScriptParser&) { g.FalseTest(); },
    // 42: stmt → "while" while_start "(" condition ")" while_test body
    [](CodeGenerator& g, TScriptParser&) { g.WhileEnd(); },
    // 43: if_test → (empty)
    [](CodeGenerator& g, TScriptParser&) { g.FalseTest(); },
    // 44: stmt → "if" "(" condition ")" if_test if_tail
    [](CodeGenerator&, TScriptParser& p) { p.SetValue(p.StackValue(5)); },
    // 45: stmt → IDENT "=" condition ";"
    [](CodeGenerator& g, TScriptParser& p) { g.StoreTo(p.StackValue(3)); },
    // 46: stmt → element "=" condition ";"
    [](CodeGenerator& g, TScriptParser& p) { g.ElementStore(p.StackValue(3)); },
    // 47: stmt → builtin_stmt
    [](CodeGenerator&, TScriptParser& p) { p.SetValue(p.StackValue(0)); },
    // 48: stmt → condition ";"
    [](CodeGenerator& g, TScriptParser&) { g.EmitOp(kOpTDY); },  // the value is dropped
    // 49: stmt → "startseq" seq_start_call
    [](CodeGenerator&, TScriptParser& p) { p.SetValue(p.StackValue(1)); },
    // 50: stmt → "return" expr ";"
    [](CodeGenerator& g, TScriptParser&) { g.Return(false); },
    // 51: stmt → "return" ";"
    [](CodeGenerator& g, TScriptParser&) { g.Return(true); },
    // 52: stmt → ";"
    [](CodeGenerator&, TScriptParser& p) { p.SetValue(p.StackValue(0)); },
    // 53: if_tail → body
    [](CodeGenerator& g, TScriptParser&) { g.EndIf(); },
    // 54: else_start → (empty)
    [](CodeGenerator& g, TScriptParser&) { g.Else(); },
    // 55: if_tail → body "else" else_start body
    [](CodeGenerator& g, TScriptParser&) { g.EndElse(); },
    // 56: builtin_stmt → "writeblock" "(" expr "," expr "," expr ")" ";"
    [](CodeGenerator& g, TScriptParser&) { g.EmitOp(kOpWRB); },
    // 57: builtin_stmt → "readblock" "(" expr "," expr "," expr ")" ";"
    [](CodeGenerator& g, TScriptParser&) { g.EmitOp(kOpRDB); },
    // 58: builtin_stmt → "printstr" "(" factor ")"
    [](CodeGenerator& g, TScriptParser&) { g.EmitOp(kOpPRS); },
    // 59: sprintf_open → (empty)
    [](CodeGenerator& g, TScriptParser&) { g.EmitOp(kOpSTP); },
    // 60: builtin_stmt → "sprintf" "(" sprintf_open arg_list ")"
    [](CodeGenerator& g, TScriptParser&) {
        g.EmitOp(kOpPRF);
        g.EmitOp(kOpRFP);
        g.EmitOp(kOpTDY);
    },
    // 61: builtin_stmt → "wait" "(" expr ")"
    [](CodeGenerator& g, TScriptParser&) { g.EmitOp(kOpWAIT); },
    // 62: builtin_stmt → "play" "(" factor ")"
    [](CodeGenerator& g, TScriptParser&) { g.EmitOp(kOpPLAY); },
    // 63: body → stmt
    [](CodeGenerator&, TScriptParser& p) { p.SetValue(p.StackValue(0)); },
    // 64: body → "{" stmt_list "}"
    [](CodeGenerator&, TScriptParser& p) { p.SetValue(p.StackValue(2)); },
    // 65: body → (empty)
    [](CodeGenerator& g, TScriptParser&) { g.ReportStatementExpected(); },
    // 66: condition → expr
    [](CodeGenerator&, TScriptParser& p) { p.SetValue(p.StackValue(0)); },
    // 67: condition → expr ">" expr
    [](CodeGenerator& g, TScriptParser&) { g.EmitOp(kOpGT); },
    // 68: condition → expr ">=" expr
    [](CodeGenerator& g, TScriptParser&) { g.EmitOp(kOpGE); },
    // 69: condition → expr "<" expr
    [](CodeGenerator& g, TScriptParser&) { g.EmitOp(kOpLT); },
    // 70: condition → expr "<=" expr
    [](CodeGenerator& g, TScriptParser&) { g.EmitOp(kOpLE); },
    // 71: condition → expr "==" expr
    [](CodeGenerator& g, TScriptParser&) { g.EmitOp(kOpEQ); },
    // 72: condition → expr "!=" expr
    [](CodeGenerator& g, TScriptParser&) { g.EmitOp(kOpNE); },
    // 73: condition → expr "|" expr
    [](CodeGenerator& g, TScriptParser&) { g.EmitOp(kOpBitOr); },  // 36: the machine's bitwise or
    // 74: condition → expr "&" expr
    [](CodeGenerator& g, TScriptParser&) { g.EmitOp(kOpBitAnd); },  // 37: the machine's bitwise and
    // 75: expr → term
    [](CodeGenerator&, TScriptParser& p) { p.SetValue(p.StackValue(0)); },
    // 76: expr → expr "+" term
    [](CodeGenerator& g, TScriptParser&) { g.EmitOp(kOpADD); },
    // 77: expr → expr "-" term
    [](CodeGenerator& g, TScriptParser&) { g.EmitOp(kOpSUB); },
    // 78: term → factor
    [](CodeGenerator&, TScriptParser& p) { p.SetValue(p.StackValue(0)); },
    // 79: term → term "*" factor
    [](CodeGenerator& g, TScriptParser&) { g.EmitOp(kOpMUL); },
    // 80: term → term "/" factor
    [](CodeGenerator& g, TScriptParser&) { g.EmitOp(kOpDIV); },
    // 81: term → term "||" factor
    [](CodeGenerator& g, TScriptParser&) { g.EmitOp(kOpOR); },
    // 82: term → term "&&" factor
    [](CodeGenerator& g, TScriptParser&) { g.EmitOp(kOpAND); },
    // 83: term → term "%" factor
    [](CodeGenerator& g, TScriptParser&) { g.EmitOp(kOpMOD); },
    // 84: factor → NUMBER
    [](CodeGenerator& g, TScriptParser& p) { g.Operand(p.StackValue(0)); },
    // 85: factor → FLOATLIT
    [](CodeGenerator& g, TScriptParser& p) { g.FloatConstant(p.StackValue(0)); },
    // 86: factor → CHARLIT
    [](CodeGenerator& g, TScriptParser& p) { g.CharConstant(p.StackValue(0)); },
    // 87: factor → "-" term
    [](CodeGenerator& g, TScriptParser&) { g.EmitOp(kOpNEG); },
    // 88: factor → "!" term
    [](CodeGenerator& g, TScriptParser&) { g.EmitOp(kOpNOT); },
    // 89: factor → IDENT
    [](CodeGenerator& g, TScriptParser& p) { g.Operand(p.StackValue(0)); },
    // 90: factor → call
    [](CodeGenerator&, TScriptParser& p) { p.SetValue(p.StackValue(0)); },
    // 91: factor → STRLIT
    [](CodeGenerator& g, TScriptParser& p) { p.SetValue(g.StringConstant(p.StackValue(0))); },
    // 92: factor → element
    [](CodeGenerator& g, TScriptParser& p) { g.ElementLoad(p.StackValue(0)); },
    // 93: factor → "(" condition ")"
    [](CodeGenerator&, TScriptParser& p) { p.SetValue(p.StackValue(2)); },
    // 94: element → IDENT "[" expr "]"
    [](CodeGenerator& g, TScriptParser& p) {
        g.ElementAddress(p.StackValue(3));
        p.SetValue(p.StackValue(3));
    },
    // 95: call_open → (empty)
    [](CodeGenerator& g, TScriptParser&) { g.EmitOp(kOpSTP); },
    // 96: call → IDENT "(" call_open opt_args ")"
    [](CodeGenerator& g, TScriptParser& p) { g.EmitCall(p.StackValue(4), p.StackValue(1)); },
    // 97: start_open → (empty)
    [](CodeGenerator& g, TScriptParser&) { g.EmitOp(kOpSTP); },
    // 98: seq_start_call → IDENT "(" start_open opt_args ")"
    [](CodeGenerator& g, TScriptParser& p) { g.EmitStartSeq(p.StackValue(4), p.StackValue(1)); },
    // The argument lists count their expressions for the calls above.
    // 99: opt_args → (empty)
    [](CodeGenerator&, TScriptParser& p) { p.SetValue(0); },
    // 100: opt_args → arg_list
    [](CodeGenerator&, TScriptParser& p) { p.SetValue(p.StackValue(0)); },
    // 101: arg_list → expr
    [](CodeGenerator&, TScriptParser& p) { p.SetValue(1); },
    // 102: arg_list → expr "," arg_list
    [](CodeGenerator&, TScriptParser& p) { p.SetValue(p.StackValue(0) + 1); },
};

}  // namespace

void CodeGenerator::Reduce(int rule, TScriptParser& parser) {
    // A conversion failure must end the compile, but it must not unwind
    // through the generated parser: it is kept, the remaining actions are
    // skipped, and CompileSource raises it once the parse is over.
    if (Failure) return;
    sourceLine_ = parser.Lexer().LineNumber();
    switch (rule) {
    case 26:  // block: reduced on its "}", before any look-ahead
        braceLine_ = sourceLine_;
        break;
    case 11: case 13: case 14: case 15: case 17:
        // A routine's end belongs to its closing brace, not to the token after it.
        sourceLine_ = braceLine_;
        break;
    case 42: case 54:  // the jump back of a loop, the jump over an else: no statement
        statementPending_ = false;
        break;
    default:
        break;
    }
    if (rule < 1 || rule >= static_cast<int>(kActions.size()) || !kActions[static_cast<std::size_t>(rule)]) {
        MarkStatementBoundary(rule);
        return;
    }
    parser_ = &parser;
    try {
        kActions[static_cast<std::size_t>(rule)](*this, parser);
    } catch (const Error& error) {
        Failure = error.ExpandedLine() > 0 ? error : Error(error.what(), parser.Lexer().LineNumber());
    }
    parser_ = nullptr;
    MarkStatementBoundary(rule);
}

void CodeGenerator::ReportStatementExpected() { Report("Statement expected"); }

}  // namespace vorn
