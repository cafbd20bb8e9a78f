#include "machine/decoded.h"

#include "machine/code_image.h"
#include "machine/ins_set.h"

namespace vorn {
namespace {

bool IsData4(std::int32_t address, std::int32_t size, std::int32_t dataSize) {
    return size == 4 && address >= kDataBase && address < kFrameBase &&
           static_cast<std::int64_t>(address) - kDataBase + 4 <= dataSize;
}

bool IsCompare(std::uint8_t op) { return op >= kOpGT && op <= kOpNE; }

DecodedIns DecodeOne(std::span<const std::int32_t> code, std::size_t pc, std::span<const std::int32_t> labels,
                     std::int32_t dataSize) {
    DecodedIns d{};
    const std::int32_t opcode = code[pc];
    const int words = InstructionWords(opcode);
    if (words == 0) {
        d.op = kXIllegal;
        d.a = opcode;
        return d;
    }
    if (pc + static_cast<std::size_t>(words) > code.size()) {
        d.op = kXTruncated;
        return d;
    }
    d.op = static_cast<std::uint8_t>(opcode);
    if (words >= 2) d.a = code[pc + 1];
    if (words >= 3) d.b = code[pc + 2];
    switch (opcode) {
    case kOpIFF:
    case kOpGOTO:
    case kOpCALL:
    case kOpSSQ:
        d.b = (d.a >= 0 && static_cast<std::size_t>(d.a) < labels.size()) ? labels[d.a] : -1;
        break;
    case kOpPushV:
        if (IsData4(d.a, d.b, dataSize)) {
            d.op = kXPushVData4;
            d.c = d.a - kDataBase;
        }
        break;
    case kOpWriteV:
        if (IsData4(d.a, d.b, dataSize)) {
            d.op = kXWriteVData4;
            d.c = d.a - kDataBase;
        }
        break;
    default:
        break;
    }
    return d;
}

}  // namespace

void DecodeProgram(std::span<const std::int32_t> code, std::span<const std::int32_t> labels,
                   std::int32_t dataSize, DecodedProgram& out) {
    const std::size_t n = code.size();
    out.single.assign(n + 1, DecodedIns{});
    for (std::size_t pc = 0; pc < n; ++pc) out.single[pc] = DecodeOne(code, pc, labels, dataSize);
    out.single[n].op = kXOutside;

    out.fast = out.single;
    // Operand words are checked by DecodeOne: an entry that is not
    // kXTruncated fits in the code.
    for (std::size_t pc = 0; pc + 6 < n; ++pc) {
        const DecodedIns& first = out.single[pc];
        if (first.op != kXPushVData4) continue;
        const DecodedIns& constant = out.single[pc + 3];
        const DecodedIns& middle = out.single[pc + 5];
        const DecodedIns& last = out.single[pc + 6];
        if (constant.op != kOpPushC) continue;
        DecodedIns& fused = out.fast[pc];
        if (IsCompare(middle.op) && last.op == kOpIFF && last.b >= 0) {
            fused.op = kXFusedCompareJump;
            fused.sub = middle.op;
            fused.a = constant.a;
            fused.b = last.b;
        } else if ((middle.op == kOpADD || middle.op == kOpSUB) && last.op == kXWriteVData4) {
            fused.op = kXFusedArithStore;
            fused.sub = middle.op;
            fused.a = constant.a;
            fused.b = last.c;
        }
    }
}

}  // namespace vorn
