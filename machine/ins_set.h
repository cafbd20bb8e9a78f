#pragma once
// The instruction set as the compiler's listing, the loader, the trace and
// the executor see it. Everything here is generated from opcodes.def.
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace vorn {

enum Op : std::int32_t {
#define VORN_OPCODE(name, code, mnemonic, words, pops, pushes) kOp##name = code,
#include "machine/opcodes.def"
#undef VORN_OPCODE
};

struct TIns_set {
    std::int32_t opcode;
    const char* mnemonic;
};

inline constexpr int kInstructionCount = 0
#define VORN_OPCODE(name, code, mnemonic, words, pops, pushes) +1
#include "machine/opcodes.def"
#undef VORN_OPCODE
    ;

inline constexpr std::int32_t kMaxOpcode = [] {
    std::int32_t highest = 0;
#define VORN_OPCODE(name, code, mnemonic, words, pops, pushes) highest = code > highest ? code : highest;
#include "machine/opcodes.def"
#undef VORN_OPCODE
    return highest;
}();

// The lines of opcodes.def run 1, 2, 3, ... with no gap: the executor's
// dispatch table, indexed by opcode, is generated from them in that order.
inline constexpr bool kOpcodesInNumericOrder = [] {
    std::int32_t next = 1;
    bool ordered = true;
#define VORN_OPCODE(name, code, mnemonic, words, pops, pushes) ordered = ordered && code == next++;
#include "machine/opcodes.def"
#undef VORN_OPCODE
    return ordered;
}();
static_assert(kOpcodesInNumericOrder, "opcodes.def lists the opcodes 1, 2, 3, ... in that order");

// Stored order: opcodes 1 to 35, then 37, then 36.
inline constexpr std::array<TIns_set, kInstructionCount> ins_set = [] {
    std::array<TIns_set, kInstructionCount> table = {{
#define VORN_OPCODE(name, code, mnemonic, words, pops, pushes) {code, mnemonic},
#include "machine/opcodes.def"
#undef VORN_OPCODE
    }};
    const TIns_set last = table[kInstructionCount - 1];
    table[kInstructionCount - 1] = table[kInstructionCount - 2];
    table[kInstructionCount - 2] = last;
    return table;
}();
static_assert(ins_set[35].opcode == 37 && ins_set[36].opcode == 36, "the stored table ends with 37, then 36");

// Length in code words of each instruction, indexed by opcode (0 where the
// number is not an instruction).
inline constexpr std::array<std::int8_t, kMaxOpcode + 1> kInstructionWords = [] {
    std::array<std::int8_t, kMaxOpcode + 1> words{};
#define VORN_OPCODE(name, code, mnemonic, length, pops, pushes) words[code] = length;
#include "machine/opcodes.def"
#undef VORN_OPCODE
    return words;
}();

// Stack slots each instruction pops and then pushes, indexed by opcode.
struct StackEffect {
    std::int8_t pops;
    std::int8_t pushes;
};
inline constexpr std::array<StackEffect, kMaxOpcode + 1> kStackEffects = [] {
    std::array<StackEffect, kMaxOpcode + 1> effects{};
#define VORN_OPCODE(name, code, mnemonic, words, pops, pushes) effects[code] = {pops, pushes};
#include "machine/opcodes.def"
#undef VORN_OPCODE
    return effects;
}();

// Code words an instruction, or a run of instructions one after the other,
// occupies: the distance from the first opcode to the word after the last.
constexpr int Words(std::initializer_list<Op> ops) {
    int n = 0;
    for (Op op : ops) n += kInstructionWords[static_cast<std::size_t>(op)];
    return n;
}
constexpr int Words(Op op) { return kInstructionWords[static_cast<std::size_t>(op)]; }

// The mnemonic of an opcode, or "Error:Mnem" when it is not an instruction.
const char* MnemonicOf(std::int32_t opcode);

// Length of an instruction in code words (opcode plus operands), 0 when the
// opcode is not an instruction.
int InstructionWords(std::int32_t opcode);

}  // namespace vorn
