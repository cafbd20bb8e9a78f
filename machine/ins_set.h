#pragma once
// The instruction set as the compiler's listing, the loader, the trace and
// the executor see it. Everything here is generated from opcodes.def.
#include <array>
#include <cstdint>

namespace vorn {

enum Op : std::int32_t {
#define VORN_OPCODE(name, code, mnemonic, words) kOp##name = code,
#include "machine/opcodes.def"
#undef VORN_OPCODE
};

struct TIns_set {
    std::int32_t opcode;
    const char* mnemonic;
};

inline constexpr int kInstructionCount = 37;
inline constexpr std::int32_t kMaxOpcode = 37;

// Stored order: opcodes 1 to 35, then 37, then 36.
inline constexpr std::array<TIns_set, kInstructionCount> ins_set = {{
#define VORN_OPCODE(name, code, mnemonic, words) {code, mnemonic},
#include "machine/opcodes.def"
#undef VORN_OPCODE
}};

// The mnemonic of an opcode, or "Error:Mnem" when it is not an instruction.
const char* MnemonicOf(std::int32_t opcode);

// Length of an instruction in code words (opcode plus operands), 0 when the
// opcode is not an instruction.
int InstructionWords(std::int32_t opcode);

}  // namespace vorn
