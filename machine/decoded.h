#pragma once
// The code as the executor runs it: one entry per code word index (a jump
// may land on any word), decoded once at load. Label operands are resolved,
// data-segment operands of the common 4- and 8-byte accesses are turned into
// byte offsets, frame operands into slot offsets, and a few hot sequences are
// fused. A fused entry runs only when the budget holds every instruction it
// stands for, counts each of them against the run budget, and leaves every
// field of every stack slot exactly as the single instructions would;
// otherwise its first instruction runs on its own.
#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <type_traits>
#include <vector>

#include "machine/ins_set.h"

namespace vorn {

// Executor operations beyond the instructions, in the order they follow the
// highest opcode: the specialised single entries, then the fused ones.
// Operands: a, b, c of DecodedIns; "slot k" is a frame slot offset
// (address - frame base address) / 4, already known to be below the stack
// size; "sub" is the opcode of the fusion's comparison or arithmetic, for a
// comparison its CompareMask.
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
    /* A breakpoint: the machine's break hook decides; the instruction is the single entry. */  \
    X(Break)

// The fused entries, each with the instructions it stands for. A comparison
// is written GT and an arithmetic ADD (each kind has one length and one stack
// effect); `sub` says which. The executor derives each one's budget and
// stack checks, stride and the slots it leaves from this list (FusionShape),
// and when the checks fail runs the first instruction alone.
#define VORN_FUSED_OPS(X)                                                                          \
    /* data int c, constant a, compare, jump to b */                                             \
    X(FusedCompareJump, kOpPushV, kOpPushC, kOpGT, kOpIFF)                                       \
    /* data int c, constant a, ADD or SUB, store to data byte offset b */                        \
    X(FusedArithStore, kOpPushV, kOpPushC, kOpADD, kOpWriteV)                                    \
    /* data int c, constant a, ADD, SUB or MUL */                                                \
    X(FusedDataArith, kOpPushV, kOpPushC, kOpADD)                                                \
    /* frame int slot c, constant a, compare, jump to b */                                       \
    X(FusedFrameCompareJump, kOpPushV, kOpPushC, kOpGT, kOpIFF)                                  \
    /* frame int slot c, constant a, ADD, SUB or MUL */                                          \
    X(FusedFrameArith, kOpPushV, kOpPushC, kOpADD)                                               \
    /* constant a against the top value, jump to b */                                            \
    X(FusedConstCompareJump, kOpPushC, kOpGT, kOpIFF)                                            \
    /* constant a, ADD, SUB or MUL on the top value */                                           \
    X(FusedConstArith, kOpPushC, kOpADD)                                                         \
    /* data double c, ADD, SUB, MUL or DIV on the top value */                                   \
    X(FusedData8Arith, kOpPushV, kOpADD)                                                         \
    /* data doubles c and a, ADD, SUB, MUL or DIV */                                             \
    X(FusedData8Pair, kOpPushV, kOpPushV, kOpADD)                                                \
    /* GOTO t, where a FusedCompareJump (c, a, sub, b) starts */                                 \
    X(FusedGotoCompareJump, kOpGOTO, kOpPushV, kOpPushC, kOpGT, kOpIFF)                          \
    /* a call f(frame int slot c <sub> a) to b */                                                \
    X(FusedCallFrameArith, kOpSTP, kOpPushV, kOpPushC, kOpADD, kOpCALL)                          \
    /* return frame int slot c */                                                                \
    X(FusedReturnFrame, kOpPushV, kOpRET)                                                        \
    /* constant a, ADD, LDI 4: an int array element */                                           \
    X(FusedIndexLoad, kOpPushC, kOpADD, kOpLDI)                                                  \
    /* ADD, SUB or MUL on the two top values, store to data byte offset c */                     \
    X(FusedArithWrite, kOpADD, kOpWriteV)

enum XOp : std::uint8_t {
    kXIllegal = 0,  // a = the opcode; 1..kMaxOpcode are the instructions themselves
#define VORN_EXTRA_OP(name, ...) kX##name,
    kXLastInstruction = kMaxOpcode,
    VORN_EXTRA_OPS(VORN_EXTRA_OP)
    VORN_FUSED_OPS(VORN_EXTRA_OP)
#undef VORN_EXTRA_OP
    kXOpCount
};
static_assert(kXTruncated == kMaxOpcode + 1, "executor operations follow the instructions");

// What a fused entry's instruction list implies. Stack offsets are from the
// stack pointer at the entry.
struct FusionShape {
    int count = 0;            // instructions it stands for
    int words = 0;            // code words they occupy
    std::array<int, 5> at{};  // word offset of each instruction from the first
    int low = 0;              // slots below the stack pointer it pops, at the most
    int high = 0;             // slots above the stack pointer it fills, at the most
    int net = 0;              // the stack pointer's change
    int left = 0;             // slot of the comparison's or arithmetic's left operand: its result
    int right = 0;            // slot of its right operand
    bool rightIsConstant = false;  // the right operand is pushed by a PushC (the entry's a)
};

constexpr FusionShape ShapeOf(std::initializer_list<Op> ops) {
    FusionShape shape;
    int depth = 0;
    int pushedBy[8] = {};  // the opcode that filled each slot 0..high
    bool seenBinary = false;
    for (const Op op : ops) {
        shape.at[static_cast<std::size_t>(shape.count++)] = shape.words;
        shape.words += Words(op);
        const StackEffect effect = kStackEffects[static_cast<std::size_t>(op)];
        if (!seenBinary && effect.pops == 2 && effect.pushes == 1) {
            seenBinary = true;
            shape.left = depth - 2;
            shape.right = depth - 1;
            shape.rightIsConstant = shape.right >= 0 && pushedBy[shape.right] == kOpPushC;
        }
        depth -= effect.pops;
        if (-depth > shape.low) shape.low = -depth;
        for (int i = 0; i < effect.pushes; ++i, ++depth) {
            if (depth >= 0) pushedBy[depth] = op;
        }
        if (depth > shape.high) shape.high = depth;
    }
    shape.net = depth;
    return shape;
}

// Indexed by operation; zero for the operations that are not fused.
inline constexpr std::array<FusionShape, kXOpCount> kFusionShapes = [] {
    std::array<FusionShape, kXOpCount> shapes{};
#define VORN_FUSED_SHAPE(name, ...) shapes[kX##name] = ShapeOf({__VA_ARGS__});
    VORN_FUSED_OPS(VORN_FUSED_SHAPE)
#undef VORN_FUSED_SHAPE
    return shapes;
}();

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
    std::uint8_t sub;  // fused: the arithmetic's opcode or the comparison's CompareMask
    std::int32_t a;    // first operand (address, constant, label, size)
    std::int32_t b;    // second operand; label target for jumps (-1: no such label)
    std::int32_t c;    // data byte offset or frame slot offset for the specialised accesses
    std::int32_t t;    // FusedGotoCompareJump: the GOTO's target
};

struct DecodedProgram {
    std::vector<DecodedIns> single;  // one instruction per entry: debug runs
    std::vector<DecodedIns> alone;   // specialised single entries: a fused entry's fall-back
    std::vector<DecodedIns> fast;    // with specialised and fused entries: normal runs
};

// Decodes `code`; every table gets code.size() + 1 entries, the last being
// kXOutside. A word flagged in `breaks` (empty, or one flag per code word)
// gets a kXBreak entry in the fast table, and no fused entry reaches it.
void DecodeProgram(std::span<const std::int32_t> code, std::span<const std::int32_t> labels,
                   std::int32_t dataSize, DecodedProgram& out, std::span<const std::uint8_t> breaks = {});

}  // namespace vorn
