#include "compiler/keywords.h"

#include "compiler/tokens.h"

namespace vorn {

namespace {
constexpr KeywordInfo kKeywords[] = {
    {"at", kTokAt, KeywordClass::kReserved, ""},
    {"byte", kTokByte, KeywordClass::kType, ""},
    {"char", kTokChar, KeywordClass::kType, ""},
    {"else", kTokElse, KeywordClass::kReserved, ""},
    {"float", kTokFloat, KeywordClass::kType, ""},
    {"if", kTokIf, KeywordClass::kStatement, ""},
    {"int", kTokInt, KeywordClass::kType, ""},
    {"key", kTokKey, KeywordClass::kReserved, ""},
    {"play", kTokPlay, KeywordClass::kBuiltin, "play(file)"},
    {"printstr", kTokPrintstr, KeywordClass::kBuiltin, "printstr(text)"},
    {"readblock", kTokReadblock, KeywordClass::kBuiltin, "readblock(offset, address, count)"},
    {"return", kTokReturn, KeywordClass::kStatement, ""},
    {"sequence", kTokSequence, KeywordClass::kReserved, ""},
    {"shortint", kTokShortint, KeywordClass::kType, ""},
    {"sprintf", kTokSprintf, KeywordClass::kBuiltin, "sprintf(dest, format, values...)"},
    {"startseq", kTokStartseq, KeywordClass::kStatement, ""},
    {"wait", kTokWait, KeywordClass::kBuiltin, "wait(seconds)"},
    {"while", kTokWhile, KeywordClass::kStatement, ""},
    {"writeblock", kTokWriteblock, KeywordClass::kBuiltin, "writeblock(offset, address, count)"},
};
}  // namespace

std::span<const KeywordInfo> Keywords() { return kKeywords; }

}  // namespace vorn
