#include "machine/ins_set.h"

namespace vorn {

const char* MnemonicOf(std::int32_t opcode) {
    for (const TIns_set& entry : ins_set) {
        if (entry.opcode == opcode) return entry.mnemonic;
    }
    return "Error:Mnem";
}

int InstructionWords(std::int32_t opcode) {
    switch (opcode) {
#define VORN_OPCODE(name, code, mnemonic, words) \
    case code:                                   \
        return words;
#include "machine/opcodes.def"
#undef VORN_OPCODE
    default:
        return 0;
    }
}

}  // namespace vorn
