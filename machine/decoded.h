#pragma once
// The code as the executor runs it: one entry per code word index (a jump
// may land on any word), decoded once at load. Label operands are resolved,
// data-segment operands of the common 4-byte accesses are turned into byte
// offsets, and a few hot sequences are fused. A fused entry still counts
// every instruction it stands for against the run budget and leaves the
// operand stack exactly as the single instructions would.
#include <cstdint>
#include <span>
#include <vector>

namespace vorn {

// Executor operations: 1..37 are the instructions themselves.
enum XOp : std::uint8_t {
    kXIllegal = 0,       // a = the opcode
    kXTruncated = 38,    // operands run past the end of the code
    kXOutside = 39,      // PC at the end of the code
    kXPushVData4 = 40,   // PushV of a 4-byte int in the data segment: c = byte offset
    kXWriteVData4 = 41,  // WriteV of a 4-byte int in the data segment: c = byte offset
    // PushVData4 c; PushC a; <compare sub>; IFF to b (4 instructions).
    kXFusedCompareJump = 42,
    // PushVData4 c; PushC a; ADD or SUB (sub); WriteVData4 to offset b (4 instructions).
    kXFusedArithStore = 43,
};

struct DecodedIns {
    std::uint8_t op;
    std::uint8_t sub;  // fused: the opcode of the middle instruction
    std::int32_t a;    // first operand (address, constant, label, size)
    std::int32_t b;    // second operand; label target for jumps (-1: no such label)
    std::int32_t c;    // data byte offset for the specialised accesses
};

struct DecodedProgram {
    std::vector<DecodedIns> single;  // one instruction per entry: debug runs
    std::vector<DecodedIns> fast;    // with fused entries: normal runs
};

// Decodes `code`; both tables get code.size() + 1 entries, the last being
// kXOutside.
void DecodeProgram(std::span<const std::int32_t> code, std::span<const std::int32_t> labels,
                   std::int32_t dataSize, DecodedProgram& out);

}  // namespace vorn
