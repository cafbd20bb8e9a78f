// The lexical rules of the script language. re2c turns them into the
// scanner's automaton at build time; this file is the only place the matching
// is written down. Longest match wins; on equal length the rule written first
// wins, which is how a keyword beats IDENT. Single-quoted strings match in any
// letter case.
#include "compiler/script_lexer.h"
#include "compiler/tokens.h"

namespace vorn {

int TScriptLexer::NextToken() {
    for (;;) {
        BeginMatch();
        /*!re2c
            re2c:api = custom;
            re2c:api:style = free-form;
            re2c:define:YYCTYPE = "unsigned char";
            re2c:define:YYPEEK = "Peek()";
            re2c:define:YYSKIP = "Skip();";
            re2c:define:YYBACKUP = "Backup();";
            re2c:define:YYRESTORE = "Restore();";
            re2c:yyfill:enable = 0;
            re2c:indent:string = "    ";

            digit = [0-9];
            hex = [0-9a-fA-F];
            ident = [a-zA-Z_] [a-zA-Z0-9_]*;

            // Keywords, alphabetical; they come before IDENT so they win ties.
            'at'         { TakeMatch(); return kTokAt; }
            'byte'       { TakeMatch(); return kTokByte; }
            'char'       { TakeMatch(); return kTokChar; }
            'else'       { TakeMatch(); return kTokElse; }
            'float'      { TakeMatch(); return kTokFloat; }
            'if'         { TakeMatch(); return kTokIf; }
            'int'        { TakeMatch(); return kTokInt; }
            'key'        { TakeMatch(); return kTokKey; }
            'play'       { TakeMatch(); return kTokPlay; }
            'printstr'   { TakeMatch(); return kTokPrintstr; }
            'readblock'  { TakeMatch(); return kTokReadblock; }
            'return'     { TakeMatch(); return kTokReturn; }
            'sequence'   { TakeMatch(); return kTokSequence; }
            'shortint'   { TakeMatch(); return kTokShortint; }
            'sprintf'    { TakeMatch(); return kTokSprintf; }
            'startseq'   { TakeMatch(); return kTokStartseq; }
            'wait'       { TakeMatch(); return kTokWait; }
            'while'      { TakeMatch(); return kTokWhile; }
            'writeblock' { TakeMatch(); return kTokWriteblock; }

            ident        { TakeMatch(); InternToken(); return kTokIdent; }

            "="          { TakeMatch(); return kTokAssign; }
            ","          { TakeMatch(); return kTokComma; }
            "."          { TakeMatch(); return kTokDot; }
            "=="         { TakeMatch(); return kTokEq; }
            ">="         { TakeMatch(); return kTokGe; }
            ">"          { TakeMatch(); return kTokGt; }
            "%"          { TakeMatch(); return kTokPercent; }
            "!"          { TakeMatch(); return kTokBang; }
            "["          { TakeMatch(); return kTokLBracket; }
            "{"          { TakeMatch(); return kTokLBrace; }
            "}"          { TakeMatch(); return kTokRBrace; }
            "<="         { TakeMatch(); return kTokLe; }
            "("          { TakeMatch(); return kTokLParen; }
            "<"          { TakeMatch(); return kTokLt; }
            "-"          { TakeMatch(); return kTokMinus; }
            "!="         { TakeMatch(); return kTokNe; }
            "+"          { TakeMatch(); return kTokPlus; }
            "]"          { TakeMatch(); return kTokRBracket; }

            // Literals keep their quotes and prefixes in the text.
            "'" [^\x00\n] "'"      { TakeMatch(); InternToken(); return kTokCharLit; }
            ["] [^\x00\n"]+ ["]    { TakeMatch(); InternToken(); return kTokStrLit; }
            "$" hex+               { TakeMatch(); InternToken(); return kTokNumber; }
            '0x' hex+              { TakeMatch(); InternToken(); return kTokNumber; }
            digit+                 { TakeMatch(); InternToken(); return kTokNumber; }
            digit+ "." digit+      { TakeMatch(); InternToken(); return kTokFloatLit; }

            ")"          { TakeMatch(); return kTokRParen; }
            ";"          { TakeMatch(); return kTokSemicolon; }
            "//" [^\x00\n]*        { continue; }
            "/*"                   {
                TakeMatch();
                if (!SkipBlockComment()) return EndOfInput();
                continue;
            }
            "/"          { TakeMatch(); return kTokSlash; }
            "*"          { TakeMatch(); return kTokStar; }
            "||"         { TakeMatch(); return kTokOrOr; }
            "&&"         { TakeMatch(); return kTokAndAnd; }
            "|"          { TakeMatch(); return kTokBar; }
            "&"          { TakeMatch(); return kTokAmp; }

            // White space: a run on one line is skipped at once; LF alone, so
            // a line is never read before the scanner needs it.
            [\t\f ]+     { continue; }
            "\n"         { continue; }

            // NUL: the end of the input, or a NUL byte in the text, which
            // ends the input the same way.
            "\x00"       { return EndAtNul(); }

            // Anything no rule matches is dropped, one character at a time.
            *            { continue; }
        */
    }
}

}  // namespace vorn
