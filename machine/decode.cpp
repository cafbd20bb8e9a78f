#include <algorithm>

#include "machine/code_image.h"
#include "machine/decoded.h"
#include "machine/ins_set.h"
#include "machine/machine.h"

namespace vorn {
namespace {

// True when `bytes` bytes at `address` lie wholly inside the data segment.
bool IsData(std::int32_t address, std::int32_t bytes, std::int32_t dataSize) {
    return address >= kDataBase && address < kFrameBase &&
           static_cast<std::int64_t>(address) - kDataBase + bytes <= dataSize;
}

// The frame slot offset of a frame address, or -1 when the address is not in
// the frame or its offset alone already lies past the stack.
std::int32_t FrameOffset(std::int32_t address) {
    if (address < kFrameBase) return -1;
    const std::int64_t k = (std::int64_t{address} - kFrameBase) / 4;
    return k < kStackSlots ? static_cast<std::int32_t>(k) : -1;
}

bool IsCompare(std::uint8_t op) { return op >= kOpGT && op <= kOpNE; }
bool IsAddSubMul(std::uint8_t op) { return op == kOpADD || op == kOpSUB || op == kOpMUL; }

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
        if (d.b == 4 && IsData(d.a, 4, dataSize)) {
            d.op = kXPushVData4;
            d.c = d.a - kDataBase;
        }
        break;
    case kOpWriteV:
        if (d.b == 4 && IsData(d.a, 4, dataSize)) {
            d.op = kXWriteVData4;
            d.c = d.a - kDataBase;
        }
        break;
    default:
        break;
    }
    return d;
}

// The specialised single access for a PushV or WriteV entry, or the entry
// unchanged.
DecodedIns Specialise(DecodedIns d, std::int32_t dataSize) {
    const bool push = d.op == kOpPushV;
    if (!push && d.op != kOpWriteV) return d;
    if (d.b >= 8 && IsData(d.a, 8, dataSize)) {
        d.op = push ? kXPushVData8 : kXWriteVData8;
        d.c = d.a - kDataBase;
        return d;
    }
    const std::int32_t slot = FrameOffset(d.a);
    if (slot < 0) return d;
    if (push && d.b == 4) {
        d.op = kXPushVFrame4;
    } else if (d.b >= 8) {
        d.op = push ? kXPushVFrame8 : kXWriteVFrame8;
    } else if (!push) {
        d.op = kXWriteVFrameInt;
    } else {
        return d;
    }
    d.c = slot;
    return d;
}

}  // namespace

void DecodeProgram(std::span<const std::int32_t> code, std::span<const std::int32_t> labels,
                   std::int32_t dataSize, DecodedProgram& out, std::span<const std::uint8_t> breaks) {
    const std::size_t n = code.size();
    out.single.assign(n + 1, DecodedIns{});
    for (std::size_t pc = 0; pc < n; ++pc) out.single[pc] = DecodeOne(code, pc, labels, dataSize);
    out.single[n].op = kXOutside;

    // The entry at a code word index; past the end, the kXOutside entry,
    // which no sequence below matches. Operand words are checked by
    // DecodeOne: an entry that is not kXTruncated fits in the code.
    // A flagged word looks like the end of the code to the fusions, so none
    // runs past a breakpoint.
    const auto flagged = [&](std::size_t i) { return i < breaks.size() && breaks[i] != 0; };
    const auto at = [&](std::size_t i) -> const DecodedIns& { return out.single[flagged(i) ? n : std::min(i, n)]; };
    constexpr std::size_t kAfterPushV = Words(kOpPushV);
    constexpr std::size_t kAfterPushC = Words(kOpPushC);
    constexpr std::size_t kAfterPushVPushC = Words({kOpPushV, kOpPushC});
    constexpr std::size_t kAfterPushVPushCOp = Words({kOpPushV, kOpPushC, kOpADD});
    constexpr std::size_t kAfterPushCOp = Words({kOpPushC, kOpADD});
    static_assert(Words(kOpADD) == Words(kOpGT), "compare and arithmetic instructions have one length");

    out.alone.assign(n + 1, DecodedIns{});
    for (std::size_t pc = 0; pc <= n; ++pc) out.alone[pc] = Specialise(out.single[pc], dataSize);
    out.fast = out.alone;
    const auto specialisedAt = [&](std::size_t i) -> const DecodedIns& {
        return out.alone[flagged(i) ? n : std::min(i, n)];
    };

    for (std::size_t pc = 0; pc < n; ++pc) {
        DecodedIns& fused = out.fast[pc];
        switch (fused.op) {
        case kXPushVData4:
        case kXPushVFrame4: {
            const bool frame = fused.op == kXPushVFrame4;
            const DecodedIns& constant = at(pc + kAfterPushV);
            const DecodedIns& middle = at(pc + kAfterPushVPushC);
            const DecodedIns& last = at(pc + kAfterPushVPushCOp);
            if (constant.op != kOpPushC) break;
            if (IsCompare(middle.op) && last.op == kOpIFF && last.b >= 0) {
                fused.op = frame ? kXFusedFrameCompareJump : kXFusedCompareJump;
                fused.sub = CompareMask(middle.op);
                fused.a = constant.a;
                fused.b = last.b;
            } else if (!frame && (middle.op == kOpADD || middle.op == kOpSUB) && last.op == kXWriteVData4) {
                fused.op = kXFusedArithStore;
                fused.sub = middle.op;
                fused.a = constant.a;
                fused.b = last.c;
            } else if (IsAddSubMul(middle.op)) {
                fused.op = frame ? kXFusedFrameArith : kXFusedDataArith;
                fused.sub = middle.op;
                fused.a = constant.a;
            }
            break;
        }
        case kOpADD:
        case kOpSUB:
        case kOpMUL: {
            const DecodedIns& store = at(pc + Words(kOpADD));
            if (store.op == kXWriteVData4) {
                fused.op = kXFusedArithWrite;
                fused.sub = static_cast<std::uint8_t>(out.single[pc].op);
                fused.c = store.c;
            }
            break;
        }
        case kOpPushC: {
            const DecodedIns& middle = at(pc + kAfterPushC);
            const DecodedIns& last = at(pc + kAfterPushCOp);
            if (middle.op == kOpADD && last.op == kOpLDI && last.a == 4) {
                fused.op = kXFusedIndexLoad;
            } else if (IsCompare(middle.op) && last.op == kOpIFF && last.b >= 0) {
                fused.op = kXFusedConstCompareJump;
                fused.sub = CompareMask(middle.op);
                fused.b = last.b;
            } else if (IsAddSubMul(middle.op)) {
                fused.op = kXFusedConstArith;
                fused.sub = middle.op;
            }
            break;
        }
        case kXPushVData8: {
            const DecodedIns& second = specialisedAt(pc + kAfterPushV);
            const DecodedIns& middle = at(pc + kAfterPushV);
            const DecodedIns& pairOp = at(pc + kAfterPushV + kAfterPushV);
            if (second.op == kXPushVData8 && (IsAddSubMul(pairOp.op) || pairOp.op == kOpDIV)) {
                fused.op = kXFusedData8Pair;
                fused.sub = pairOp.op;
                fused.a = second.c;
            } else if (IsAddSubMul(middle.op) || middle.op == kOpDIV) {
                fused.op = kXFusedData8Arith;
                fused.sub = middle.op;
            }
            break;
        }
        case kOpSTP: {
            const DecodedIns& load = specialisedAt(pc + Words(kOpSTP));
            const DecodedIns& constant = at(pc + Words({kOpSTP, kOpPushV}));
            const DecodedIns& middle = at(pc + Words({kOpSTP, kOpPushV, kOpPushC}));
            const DecodedIns& call = at(pc + Words({kOpSTP, kOpPushV, kOpPushC, kOpADD}));
            if (load.op == kXPushVFrame4 && constant.op == kOpPushC && IsAddSubMul(middle.op) &&
                call.op == kOpCALL && call.b >= 0) {
                fused.op = kXFusedCallFrameArith;
                fused.sub = middle.op;
                fused.a = constant.a;
                fused.b = call.b;
                fused.c = load.c;
            }
            break;
        }
        default:
            break;
        }
        if (fused.op == kXPushVFrame4 && at(pc + kAfterPushV).op == kOpRET) fused.op = kXFusedReturnFrame;
    }
    for (std::size_t pc = 0; pc < n; ++pc) {
        if (flagged(pc)) out.fast[pc] = DecodedIns{kXBreak, 0, 0, 0, 0, 0};
    }

    // A GOTO straight into a fused compare and jump, as at the top of every
    // while loop, takes the jump and the comparison in one step.
    for (std::size_t pc = 0; pc < n; ++pc) {
        DecodedIns& jump = out.fast[pc];
        if (jump.op != kOpGOTO || jump.b < 0) continue;
        const DecodedIns& target = out.fast[static_cast<std::size_t>(jump.b)];
        if (target.op != kXFusedCompareJump) continue;
        const std::int32_t to = jump.b;
        jump = target;
        jump.op = kXFusedGotoCompareJump;
        jump.t = to;
    }
}

}  // namespace vorn
