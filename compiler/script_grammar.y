/* The grammar of the script language, in 102 numbered rules.
 *
 * The rule number is the key the semantic actions are dispatched by, so the
 * rules must stay in this order: bison numbers them as written, and the
 * static_asserts below fail the build if the count changes. The conflicts
 * are part of the language (dangling else, prefix "-" and "!" over a whole
 * term, empty lists and bodies) and are resolved the standard way: shift, or
 * the lower-numbered rule. Their numbers are pinned by the build
 * (bison_pinned.cmake: 106 shift/reduce, 20 reduce/reduce), so a change that
 * adds a conflict fails it. %expect cannot do that here: for a deterministic
 * parser bison accepts no %expect-rr and would demand 0 reduce/reduce.
 */
%require "3.8"
%language "c"
%define api.pure full
%define api.prefix {vorn_yy}
%define api.token.prefix {VT_}
%define api.value.type {std::int32_t}
%define lr.type lalr
%define lr.default-reduction consistent
%define parse.error simple

%param {vorn::TScriptParser& parser}

%code requires {
#include <cstdint>
namespace vorn { class TScriptParser; }
}

%code {
#include <cassert>
#include <cstring>

#include "compiler/script_parser.h"
#include "compiler/script_lexer.h"
#include "compiler/tokens.h"

// The stacks start small and grow; one entry more than the driver's most:
// bison reports exhaustion when the stack is full, that is at the push after it.
#define YYINITDEPTH (vorn::kParseStackStart)
#define YYMAXDEPTH (vorn::kParseStackDepth + 1)

namespace vorn {
// The generated driver's access to the parser it serves.
struct ParserDriverAccess {
    static int Lex(std::int32_t* value, TScriptParser& p) {
        const int token = p.lexer_.NextToken();
        *value = p.lexer_.TokenValue();
        return token;
    }
    static void Error(TScriptParser& p, const char* message) {
        // The stack-full message of the tables' driver is ours by another name.
        if (std::strcmp(message, "memory exhausted") == 0) {
            p.ReportError("yyparse stack overflow");
        } else {
            p.ReportError(message);
        }
    }
    // Runs the action of a rule before its right-hand side is popped. The
    // register starts as the top value: every push stored it there.
    static void Reduce(TScriptParser& p, int rule, const std::int32_t* bottom, const std::int32_t* top,
                       std::int32_t* reg) {
        *reg = *top;
        if (p.actions_ == nullptr) return;
        p.valueBottom_ = bottom;
        p.valueTop_ = top;
        p.register_ = reg;
        struct Restore {
            TScriptParser& p;
            ~Restore() {
                p.valueBottom_ = p.valueTop_ = nullptr;
                p.register_ = &p.idleRegister_;
            }
        } restore{p};
        p.actions_->Reduce(rule, p);
    }
};
}  // namespace vorn

static int yylex(std::int32_t* value, vorn::TScriptParser& parser) {
    return vorn::ParserDriverAccess::Lex(value, parser);
}

static void yyerror(vorn::TScriptParser& parser, const char* message) {
    vorn::ParserDriverAccess::Error(parser, message);
}

// Every action is the same call with the rule number. It passes the number
// the driver is reducing by (bison's yyn counts its own accept rule first), so
// that the compiler can fold all 102 identical actions into one instead of
// dispatching through a jump table; builds with assertions check that it is
// the number written at the rule.
#ifdef NDEBUG
#define R(n) vorn::ParserDriverAccess::Reduce(parser, yyn - 1, yyvs, yyvsp, &yyval)
#else
#define R(n) (assert(yyn - 1 == (n)), vorn::ParserDriverAccess::Reduce(parser, (n), yyvs, yyvsp, &yyval))
#endif
}

%initial-action { $$ = 0; }

/* Token numbers are shared with the lexer (tokens.h). */
%token BYTE 257 "byte"
%token SHORTINT 258 "shortint"
%token AT 259 "at"
%token IF 260 "if"
%token INT 261 "int"
%token CHAR 262 "char"
%token WHILE 263 "while"
%token KEY 264 "key"
%token RETURN 265 "return"
%token ELSE 266 "else"
%token WRITEBLOCK 267 "writeblock"
%token READBLOCK 268 "readblock"
%token PRINTSTR 269 "printstr"
%token SPRINTF 270 "sprintf"
%token WAIT 271 "wait"
%token PLAY 272 "play"
%token FLOAT 273 "float"
%token SEQUENCE 274 "sequence"
%token STARTSEQ 275 "startseq"
%token IDENT 276
%token ASSIGN 277 "="
%token COMMA 278 ","
%token DOT 279 "."
%token EQ 280 "=="
%token GE 281 ">="
%token GT 282 ">"
%token LBRACKET 283 "["
%token LBRACE 284 "{"
%token RBRACE 285 "}"
%token LE 286 "<="
%token LPAREN 287 "("
%token LT 288 "<"
%token MINUS 289 "-"
%token NE 290 "!="
%token PLUS 291 "+"
%token RBRACKET 292 "]"
%token CHARLIT 293
%token STRLIT 294
%token NUMBER 295
%token FLOATLIT 296
%token RPAREN 297 ")"
%token SEMI 298 ";"
%token SLASH 299 "/"
%token STAR 300 "*"
%token OROR 301 "||"
%token ANDAND 302 "&&"
%token PERCENT 303 "%"
%token BANG 304 "!"
%token BAR 305 "|"
%token AMP 306 "&"

%start program

%%

/* Program and declarations */
program
    : top_item                                                   { R(1); }
    | top_item program                                           { R(2); }
    ;
top_item
    : var_decl                                                   { R(3); }
    | routine                                                    { R(4); }
    ;
var_decl
    : type_name IDENT ";"                                        { R(5); }
    | type_name "*" IDENT ";"                                    { R(6); }
    | type_name IDENT "at" NUMBER ";"                            { R(7); }
    | type_name IDENT "[" NUMBER "]" ";"                         { R(8); }
    | type_name IDENT "[" NUMBER "]" "at" NUMBER ";"             { R(9); }
    ;

/* Routines and their parameters */
key_open
    : %empty                                                     { R(10); }
    ;
routine
    : "key" "(" key_code "," CHARLIT ")" key_open block          { R(11); }
    ;
key_named_open
    : %empty                                                     { R(12); }
    ;
routine
    : "key" "(" key_code "," CHARLIT "," IDENT ")" key_named_open block { R(13); }
    | routine_head "(" param_list ")" block                      { R(14); }
    | routine_head "(" ")" block                                 { R(15); }
    ;
sequence_open
    : %empty                                                     { R(16); }
    ;
routine
    : "sequence" IDENT sequence_open "(" ")" block               { R(17); }
    ;
routine_head
    : IDENT                                                      { R(18); }
    | type_name IDENT                                            { R(19); }
    ;
param_list
    : param                                                      { R(20); }
    | param "," param_list                                       { R(21); }
    ;
param
    : type_name IDENT                                            { R(22); }
    | IDENT                                                      { R(23); }
    | type_name "*" IDENT                                        { R(24); }
    | type_name IDENT "[" NUMBER "]"                             { R(25); }
    ;
block
    : "{" local_decls stmt_list "}"                              { R(26); }
    ;

/* Types and key codes */
type_name
    : "byte"                                                     { R(27); }
    | "char"                                                     { R(28); }
    | "int"                                                      { R(29); }
    | "shortint"                                                 { R(30); }
    | "float"                                                    { R(31); }
    ;
key_code
    : NUMBER                                                     { R(32); }
    | IDENT                                                      { R(33); }
    ;

/* Lists */
stmt_list
    : stmt                                                       { R(34); }
    | stmt_list stmt                                             { R(35); }
    | %empty                                                     { R(36); }
    ;
local_decls
    : var_decl                                                   { R(37); }
    | var_decl local_decls                                       { R(38); }
    | %empty                                                     { R(39); }
    ;

/* Statements */
while_start
    : %empty                                                     { R(40); }
    ;
while_test
    : %empty                                                     { R(41); }
    ;
stmt
    : "while" while_start "(" condition ")" while_test body      { R(42); }
    ;
if_test
    : %empty                                                     { R(43); }
    ;
stmt
    : "if" "(" condition ")" if_test if_tail                     { R(44); }
    | IDENT "=" condition ";"                                    { R(45); }
    | element "=" condition ";"                                  { R(46); }
    | builtin_stmt                                               { R(47); }
    | condition ";"                                              { R(48); }
    | "startseq" seq_start_call                                  { R(49); }
    | "return" expr ";"                                          { R(50); }
    | "return" ";"                                               { R(51); }
    | ";"                                                        { R(52); }
    ;
if_tail
    : body                                                       { R(53); }
    ;
else_start
    : %empty                                                     { R(54); }
    ;
if_tail
    : body "else" else_start body                                { R(55); }
    ;
builtin_stmt
    : "writeblock" "(" expr "," expr "," expr ")" ";"            { R(56); }
    | "readblock" "(" expr "," expr "," expr ")" ";"             { R(57); }
    | "printstr" "(" factor ")"                                  { R(58); }
    ;
sprintf_open
    : %empty                                                     { R(59); }
    ;
builtin_stmt
    : "sprintf" "(" sprintf_open arg_list ")"                    { R(60); }
    | "wait" "(" expr ")"                                        { R(61); }
    | "play" "(" factor ")"                                      { R(62); }
    ;
body
    : stmt                                                       { R(63); }
    | "{" stmt_list "}"                                          { R(64); }
    | %empty                                                     { R(65); }
    ;

/* Conditions and expressions */
condition
    : expr                                                       { R(66); }
    | expr ">" expr                                              { R(67); }
    | expr ">=" expr                                             { R(68); }
    | expr "<" expr                                              { R(69); }
    | expr "<=" expr                                             { R(70); }
    | expr "==" expr                                             { R(71); }
    | expr "!=" expr                                             { R(72); }
    | expr "|" expr                                              { R(73); }
    | expr "&" expr                                              { R(74); }
    ;
expr
    : term                                                       { R(75); }
    | expr "+" term                                              { R(76); }
    | expr "-" term                                              { R(77); }
    ;
term
    : factor                                                     { R(78); }
    | term "*" factor                                            { R(79); }
    | term "/" factor                                            { R(80); }
    | term "||" factor                                           { R(81); }
    | term "&&" factor                                           { R(82); }
    | term "%" factor                                            { R(83); }
    ;
factor
    : NUMBER                                                     { R(84); }
    | FLOATLIT                                                   { R(85); }
    | CHARLIT                                                    { R(86); }
    | "-" term                                                   { R(87); }
    | "!" term                                                   { R(88); }
    | IDENT                                                      { R(89); }
    | call                                                       { R(90); }
    | STRLIT                                                     { R(91); }
    | element                                                    { R(92); }
    | "(" condition ")"                                          { R(93); }
    ;
element
    : IDENT "[" expr "]"                                         { R(94); }
    ;

/* Calls and argument lists */
call_open
    : %empty                                                     { R(95); }
    ;
call
    : IDENT "(" call_open opt_args ")"                           { R(96); }
    ;
start_open
    : %empty                                                     { R(97); }
    ;
seq_start_call
    : IDENT "(" start_open opt_args ")"                          { R(98); }
    ;
opt_args
    : %empty                                                     { R(99); }
    | arg_list                                                   { R(100); }
    ;
arg_list
    : expr                                                       { R(101); }
    | expr "," arg_list                                          { R(102); }
    ;

%%

// The tables count bison's own accept rule and state besides ours.
static_assert(YYNRULES == vorn::kRuleCount + 1, "the actions are keyed by 102 rule numbers");
static_assert(YYNSTATES == 215, "the resolved tables have 214 states plus the accept state");

// The grammar's token numbers are the lexer's (tokens.h).
static_assert(VT_YYEOF == vorn::kTokEnd && VT_VORN_YYerror == vorn::kTokError);
static_assert(VT_BYTE == vorn::kTokByte);
static_assert(VT_SHORTINT == vorn::kTokShortint);
static_assert(VT_AT == vorn::kTokAt);
static_assert(VT_IF == vorn::kTokIf);
static_assert(VT_INT == vorn::kTokInt);
static_assert(VT_CHAR == vorn::kTokChar);
static_assert(VT_WHILE == vorn::kTokWhile);
static_assert(VT_KEY == vorn::kTokKey);
static_assert(VT_RETURN == vorn::kTokReturn);
static_assert(VT_ELSE == vorn::kTokElse);
static_assert(VT_WRITEBLOCK == vorn::kTokWriteblock);
static_assert(VT_READBLOCK == vorn::kTokReadblock);
static_assert(VT_PRINTSTR == vorn::kTokPrintstr);
static_assert(VT_SPRINTF == vorn::kTokSprintf);
static_assert(VT_WAIT == vorn::kTokWait);
static_assert(VT_PLAY == vorn::kTokPlay);
static_assert(VT_FLOAT == vorn::kTokFloat);
static_assert(VT_SEQUENCE == vorn::kTokSequence);
static_assert(VT_STARTSEQ == vorn::kTokStartseq);
static_assert(VT_IDENT == vorn::kTokIdent);
static_assert(VT_ASSIGN == vorn::kTokAssign);
static_assert(VT_COMMA == vorn::kTokComma);
static_assert(VT_DOT == vorn::kTokDot);
static_assert(VT_EQ == vorn::kTokEq);
static_assert(VT_GE == vorn::kTokGe);
static_assert(VT_GT == vorn::kTokGt);
static_assert(VT_LBRACKET == vorn::kTokLBracket);
static_assert(VT_LBRACE == vorn::kTokLBrace);
static_assert(VT_RBRACE == vorn::kTokRBrace);
static_assert(VT_LE == vorn::kTokLe);
static_assert(VT_LPAREN == vorn::kTokLParen);
static_assert(VT_LT == vorn::kTokLt);
static_assert(VT_MINUS == vorn::kTokMinus);
static_assert(VT_NE == vorn::kTokNe);
static_assert(VT_PLUS == vorn::kTokPlus);
static_assert(VT_RBRACKET == vorn::kTokRBracket);
static_assert(VT_CHARLIT == vorn::kTokCharLit);
static_assert(VT_STRLIT == vorn::kTokStrLit);
static_assert(VT_NUMBER == vorn::kTokNumber);
static_assert(VT_FLOATLIT == vorn::kTokFloatLit);
static_assert(VT_RPAREN == vorn::kTokRParen);
static_assert(VT_SEMI == vorn::kTokSemicolon);
static_assert(VT_SLASH == vorn::kTokSlash);
static_assert(VT_STAR == vorn::kTokStar);
static_assert(VT_OROR == vorn::kTokOrOr);
static_assert(VT_ANDAND == vorn::kTokAndAnd);
static_assert(VT_PERCENT == vorn::kTokPercent);
static_assert(VT_BANG == vorn::kTokBang);
static_assert(VT_BAR == vorn::kTokBar);
static_assert(VT_AMP == vorn::kTokAmp);

namespace vorn {

int RuleLength(int rule) {
    if (rule < 1 || rule > kRuleCount) return -1;
    return yyr2[rule + 1];
}

int RunScriptGrammar(TScriptParser& parser) { return yyparse(parser); }

}  // namespace vorn
