#include "machine/ins_set.h"

namespace vorn {

const char* MnemonicOf(std::int32_t opcode) {
    for (const TIns_set& entry : ins_set) {
        if (entry.opcode == opcode) return entry.mnemonic;
    }
    return "Error:Mnem";
}

int InstructionWords(std::int32_t opcode) {
    return opcode >= 0 && opcode <= kMaxOpcode ? kInstructionWords[static_cast<std::size_t>(opcode)] : 0;
}

}  // namespace vorn
