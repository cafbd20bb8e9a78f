#pragma once
// The code as the executor runs it: one entry per code word index (a jump
// may land on any word), decoded once at load. Label operands are resolved,
// data-segment operands of the common 4- and 8-byte accesses are turned into
// byte offsets, frame operands into slot offsets, and a few hot sequences are
// fused. A fused entry runs only when the budget holds every instruction it
// stands for, counts each of them against the run budget, and leaves every
// field of every stack slot exactly as the single instructions would;
// otherwise its first instruction runs on its own.
#include <cstdint>
#include <span>
#include <type_traits>
#include <vector>

#include "machine/ins_set.h"

namespace vorn {

// Executor operations beyond the instructions, in the order they follow the
// highest opcode. Operands: a, b, c of DecodedIns; "slot k" is a frame slot
// offset (address - frame base address) / 4, already known to be below the
// stack size; "sub" is the opcode of the middle instruction of a fusion, or
// for a comparison its CompareMask.
#define VORN_EXTRA_OPS(X)                                                                          \
    X(Truncated)            /* operands run past the end of the code */                          \
    X(Outside)              /* PC at the end of the code */                                      \
    X(PushVData4)           /* PushV of a 4-byte int in the data segment: c = byte offset */     \
    X(WriteVData4)          /* WriteV of a 4-byte int in the data segment: c = byte offset */    \
    X(PushVData8)           /* PushV of a double in the data segment: c = byte offset */         \
    X(WriteVData8)          /* WriteV of a double in the data segment: c = byte offset */        \
    X(PushVFrame4)          /* PushV of a 4-byte frame int: c = slot k */                        \
    X(PushVFrame8)          /* PushV of a frame double: c = slot k */                            \
    X(WriteVFrameInt)       /* WriteV below size 8 to a frame slot: c = slot k */                \
    X(WriteVFrame8)         /* WriteV of size 8 or more to a frame slot: c = slot k */           \
    /* PushVData4 c; PushC a; <compare sub>; IFF to b (4 instructions). */                       \
    X(FusedCompareJump)                                                                          \
    /* PushVData4 c; PushC a; ADD or SUB (sub); WriteVData4 to offset b (4 instructions). */     \
    X(FusedArithStore)                                                                           \
    /* PushVData4 c; PushC a; ADD, SUB or MUL (sub) (3 instructions). */                         \
    X(FusedDataArith)                                                                            \
    /* PushVFrame4 c; PushC a; <compare sub>; IFF to b (4 instructions). */                      \
    X(FusedFrameCompareJump)                                                                     \
    /* PushVFrame4 c; PushC a; ADD, SUB or MUL (sub) (3 instructions). */                        \
    X(FusedFrameArith)                                                                           \
    /* PushC a; <compare sub>; IFF to b (3 instructions). */                                     \
    X(FusedConstCompareJump)                                                                     \
    /* PushC a; ADD, SUB or MUL (sub) (2 instructions). */                                       \
    X(FusedConstArith)                                                                           \
    /* PushVData8 c; ADD, SUB, MUL or DIV (sub) (2 instructions). */                             \
    X(FusedData8Arith)                                                                           \
    /* PushVData8 c; PushVData8 at byte offset a; ADD, SUB, MUL or DIV (sub) (3 instructions). */ \
    X(FusedData8Pair)                                                                            \
    /* GOTO t, where a FusedCompareJump (c, a, sub, b) starts (1 + 4 instructions). */           \
    X(FusedGotoCompareJump)                                                                      \
    /* STP; PushVFrame4 c; PushC a; ADD, SUB or MUL (sub); CALL to b (5 instructions). */        \
    X(FusedCallFrameArith)                                                                       \
    /* PushVFrame4 c; RET (2 instructions). */                                                   \
    X(FusedReturnFrame)                                                                          \
    /* PushC a; ADD; LDI 4 (3 instructions): an int array element. */                            \
    X(FusedIndexLoad)                                                                            \
    /* ADD, SUB or MUL (sub); WriteVData4 c (2 instructions). */                                 \
    X(FusedArithWrite)                                                                           \
    /* A breakpoint: the machine's break hook decides; the instruction is the single entry. */  \
    X(Break)

enum XOp : std::uint8_t {
    kXIllegal = 0,  // a = the opcode; 1..kMaxOpcode are the instructions themselves
#define VORN_EXTRA_OP(name) kX##name,
    kXLastInstruction = kMaxOpcode,
    VORN_EXTRA_OPS(VORN_EXTRA_OP)
#undef VORN_EXTRA_OP
    kXOpCount
};
static_assert(kXTruncated == kMaxOpcode + 1, "executor operations follow the instructions");

// A comparison held as the set of relations that make it true, so a fused
// entry compares without a branch on the operation: bit 0 greater, bit 1
// equal, bit 2 less, bit 3 unordered (a NaN, where only NE holds).
constexpr std::uint8_t CompareMask(std::int32_t op) {
    switch (op) {
    case kOpGT: return 1;
    case kOpGE: return 3;
    case kOpLT: return 4;
    case kOpLE: return 6;
    case kOpEQ: return 2;
    default: return 13;  // NE
    }
}

template <typename T>
bool CompareMasked(std::uint8_t mask, T a, T b) {
    unsigned relation = unsigned{a > b} | unsigned{a == b} << 1 | unsigned{a < b} << 2;
    if constexpr (std::is_floating_point_v<T>) relation |= unsigned{relation == 0} << 3;
    return (mask & relation) != 0;
}

struct DecodedIns {
    std::uint8_t op;
    std::uint8_t sub;  // fused: the opcode of the middle instruction
    std::int32_t a;    // first operand (address, constant, label, size)
    std::int32_t b;    // second operand; label target for jumps (-1: no such label)
    std::int32_t c;    // data byte offset or frame slot offset for the specialised accesses
    std::int32_t t;    // FusedGotoCompareJump: the GOTO's target
};

struct DecodedProgram {
    std::vector<DecodedIns> single;  // one instruction per entry: debug runs
    std::vector<DecodedIns> fast;    // with specialised and fused entries: normal runs
};

// Decodes `code`; both tables get code.size() + 1 entries, the last being
// kXOutside. A word flagged in `breaks` (empty, or one flag per code word)
// gets a kXBreak entry in the fast table, and no fused entry reaches it.
void DecodeProgram(std::span<const std::int32_t> code, std::span<const std::int32_t> labels,
                   std::int32_t dataSize, DecodedProgram& out, std::span<const std::uint8_t> breaks = {});

}  // namespace vorn
