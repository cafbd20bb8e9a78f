#include "compiler/tokens.h"

#include "compiler/keywords.h"

namespace vorn {

std::string_view TokenName(int token) {
    switch (token) {
        case kTokEnd: return "end of input";
        case kTokError: return "error";
        case kTokIdent: return "IDENT";
        case kTokAssign: return "=";
        case kTokComma: return ",";
        case kTokDot: return ".";
        case kTokEq: return "==";
        case kTokGe: return ">=";
        case kTokGt: return ">";
        case kTokLBracket: return "[";
        case kTokLBrace: return "{";
        case kTokRBrace: return "}";
        case kTokLe: return "<=";
        case kTokLParen: return "(";
        case kTokLt: return "<";
        case kTokMinus: return "-";
        case kTokNe: return "!=";
        case kTokPlus: return "+";
        case kTokRBracket: return "]";
        case kTokCharLit: return "CHARLIT";
        case kTokStrLit: return "STRLIT";
        case kTokNumber: return "NUMBER";
        case kTokFloatLit: return "FLOATLIT";
        case kTokRParen: return ")";
        case kTokSemicolon: return ";";
        case kTokSlash: return "/";
        case kTokStar: return "*";
        case kTokOrOr: return "||";
        case kTokAndAnd: return "&&";
        case kTokPercent: return "%";
        case kTokBang: return "!";
        case kTokBar: return "|";
        case kTokAmp: return "&";
        default: break;
    }
    for (const KeywordInfo& k : Keywords()) {
        if (k.token == token) return k.text;
    }
    return "?";
}

}  // namespace vorn
