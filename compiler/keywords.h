#pragma once
// The one keyword table. The lexer's rules (lexer.re) do the matching; this
// table lists the same words for the rules' tests and for the editor's
// highlighter, which colours the classes differently.
#include <span>

namespace vorn {

enum class KeywordClass {
    kReserved,   // structure words: at, else, key, sequence
    kType,       // type names: byte, char, float, int, shortint
    kStatement,  // control statements: if, while, return, startseq
    kBuiltin,    // built-in operations: printstr, sprintf, wait, play, readblock, writeblock
};

struct KeywordInfo {
    const char* text;   // lower case; matched in any letter case
    int token;          // token number (tokens.h)
    KeywordClass kind;
    const char* signature;  // built-ins: "printstr(text)"; "" for the others
};

// All 19 keywords, in alphabetical order.
std::span<const KeywordInfo> Keywords();

}  // namespace vorn
