// The one instruction table: mnemonics, lengths and the stored order.
#include <gtest/gtest.h>

#include "machine/ins_set.h"

namespace vorn {
namespace {

struct OpcodeRow {
    std::int32_t opcode;
    const char* mnemonic;
    int words;
};

TEST(InsSetTable, MnemonicAndLengthOfEveryOpcode) {
    const OpcodeRow rows[] = {
        {1, "HLT", 1},   {2, "PushV", 3},  {3, "PushC", 2}, {4, "IFF", 2},    {5, "GOTO", 2},  {6, "WriteV", 3},
        {7, "GT", 1},    {8, "GE", 1},     {9, "LT", 1},    {10, "LE", 1},    {11, "EQ", 1},   {12, "NE", 1},
        {13, "ADD", 1},  {14, "SUB", 1},   {15, "MUL", 1},  {16, "DIV", 1},   {17, "NEG", 1},  {18, "AND", 1},
        {19, "OR", 1},   {20, "LDI", 2},   {21, "STI", 2},  {22, "WRB", 1},   {23, "CALL", 2}, {24, "RET", 1},
        {25, "STP", 1},  {26, "PRS", 1},   {27, "RDB", 1},  {28, "RFP", 1},   {29, "TDY", 1},  {30, "MOD", 1},
        {31, "PRF", 1},  {32, "WAIT", 1},  {33, "PLAY", 1}, {34, "SSQ", 2},   {35, "NOT", 1},  {36, "L_AND", 1},
        {37, "L_OR", 1},
    };
    for (const OpcodeRow& row : rows) {
        EXPECT_STREQ(MnemonicOf(row.opcode), row.mnemonic) << row.opcode;
        EXPECT_EQ(InstructionWords(row.opcode), row.words) << row.opcode;
    }
}

TEST(InsSetTable, UnknownOpcodesHaveNoMnemonicAndNoLength) {
    for (std::int32_t opcode : {0, 38, -1, 100, INT32_MIN, INT32_MAX}) {
        EXPECT_STREQ(MnemonicOf(opcode), "Error:Mnem") << opcode;
        EXPECT_EQ(InstructionWords(opcode), 0) << opcode;
    }
}

TEST(InsSetTable, StoredOrderIsOneToThirtyFiveThenThirtySevenThenThirtySix) {
    ASSERT_EQ(ins_set.size(), 37u);
    for (int i = 0; i < 35; ++i) EXPECT_EQ(ins_set[i].opcode, i + 1);
    EXPECT_EQ(ins_set[35].opcode, 37);
    EXPECT_STREQ(ins_set[35].mnemonic, "L_OR");
    EXPECT_EQ(ins_set[36].opcode, 36);
    EXPECT_STREQ(ins_set[36].mnemonic, "L_AND");
}

TEST(InsSetTable, EnumMatchesCodes) {
    EXPECT_EQ(kOpHLT, 1);
    EXPECT_EQ(kOpPushV, 2);
    EXPECT_EQ(kOpSSQ, 34);
    EXPECT_EQ(kOpBitOr, 36);
    EXPECT_EQ(kOpBitAnd, 37);
}

}  // namespace
}  // namespace vorn
