#pragma once
// Token numbers shared by the lexer, the grammar and the back end. The type
// keywords' numbers double as type codes in the symbol table.
#include <string_view>

namespace vorn {

constexpr int kTokEnd = 0;       // end of input
constexpr int kTokError = 256;   // the parser's error token

// Keywords
constexpr int kTokByte = 257;
constexpr int kTokShortint = 258;
constexpr int kTokAt = 259;
constexpr int kTokIf = 260;
constexpr int kTokInt = 261;
constexpr int kTokChar = 262;
constexpr int kTokWhile = 263;
constexpr int kTokKey = 264;
constexpr int kTokReturn = 265;
constexpr int kTokElse = 266;
constexpr int kTokWriteblock = 267;
constexpr int kTokReadblock = 268;
constexpr int kTokPrintstr = 269;
constexpr int kTokSprintf = 270;
constexpr int kTokWait = 271;
constexpr int kTokPlay = 272;
constexpr int kTokFloat = 273;
constexpr int kTokSequence = 274;
constexpr int kTokStartseq = 275;

// Identifier, operators, punctuation and literals
constexpr int kTokIdent = 276;
constexpr int kTokAssign = 277;      // =
constexpr int kTokComma = 278;       // ,
constexpr int kTokDot = 279;         // .   (no rule accepts it)
constexpr int kTokEq = 280;          // ==
constexpr int kTokGe = 281;          // >=
constexpr int kTokGt = 282;          // >
constexpr int kTokLBracket = 283;    // [
constexpr int kTokLBrace = 284;      // {
constexpr int kTokRBrace = 285;      // }
constexpr int kTokLe = 286;          // <=
constexpr int kTokLParen = 287;      // (
constexpr int kTokLt = 288;          // <
constexpr int kTokMinus = 289;       // -
constexpr int kTokNe = 290;          // !=
constexpr int kTokPlus = 291;        // +
constexpr int kTokRBracket = 292;    // ]
constexpr int kTokCharLit = 293;     // 'c'
constexpr int kTokStrLit = 294;      // "text"
constexpr int kTokNumber = 295;      // $hex, 0xhex, decimal
constexpr int kTokFloatLit = 296;    // digits.digits
constexpr int kTokRParen = 297;      // )
constexpr int kTokSemicolon = 298;   // ;
constexpr int kTokSlash = 299;       // /
constexpr int kTokStar = 300;        // *
constexpr int kTokOrOr = 301;        // ||
constexpr int kTokAndAnd = 302;      // &&
constexpr int kTokPercent = 303;     // %
constexpr int kTokBang = 304;        // !
constexpr int kTokBar = 305;         // |
constexpr int kTokAmp = 306;         // &

constexpr int kFirstToken = kTokByte;
constexpr int kLastToken = kTokAmp;

// Type codes (the type keywords' token numbers; char is stored as byte).
constexpr int kTypeByte = kTokByte;
constexpr int kTypeShortint = kTokShortint;
constexpr int kTypeInt = kTokInt;
constexpr int kTypeFloat = kTokFloat;
constexpr int kTypeNone = -1;  // sequence routines
// The parse value of "char" only: declarations store it as byte and note the name.
constexpr int kTypeChar = kTokChar;

// A short printable name: the keyword or operator text, "IDENT", "NUMBER",
// ..., "end of input", "error"; "?" for a number that is no token.
std::string_view TokenName(int token);

}  // namespace vorn
