#include "compiler/keywords.h"

#include "compiler/tokens.h"

namespace vorn {

namespace {
constexpr KeywordInfo kKeywords[] = {
    {"at", kTokAt, KeywordClass::kReserved},
    {"byte", kTokByte, KeywordClass::kType},
    {"char", kTokChar, KeywordClass::kType},
    {"else", kTokElse, KeywordClass::kReserved},
    {"float", kTokFloat, KeywordClass::kType},
    {"if", kTokIf, KeywordClass::kStatement},
    {"int", kTokInt, KeywordClass::kType},
    {"key", kTokKey, KeywordClass::kReserved},
    {"play", kTokPlay, KeywordClass::kBuiltin},
    {"printstr", kTokPrintstr, KeywordClass::kBuiltin},
    {"readblock", kTokReadblock, KeywordClass::kBuiltin},
    {"return", kTokReturn, KeywordClass::kStatement},
    {"sequence", kTokSequence, KeywordClass::kReserved},
    {"shortint", kTokShortint, KeywordClass::kType},
    {"sprintf", kTokSprintf, KeywordClass::kBuiltin},
    {"startseq", kTokStartseq, KeywordClass::kStatement},
    {"wait", kTokWait, KeywordClass::kBuiltin},
    {"while", kTokWhile, KeywordClass::kStatement},
    {"writeblock", kTokWriteblock, KeywordClass::kBuiltin},
};
}  // namespace

std::span<const KeywordInfo> Keywords() { return kKeywords; }

}  // namespace vorn
