// The instruction loop. One template serves both modes: the debug build of
// the loop traces every instruction and runs the plain decoded code; the
// normal one builds no text and may take the fused entries.
#include "machine/executor.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "fsuipc/ipc_link.h"
#include "machine/code_image.h"
#include "machine/decoded.h"
#include "machine/ins_set.h"
#include "support/format.h"

namespace vorn {
namespace {

constexpr const char* kUnderflow = "stack underflow";
constexpr const char* kJumpOutside = "jump outside the code";

// One comparison for both kinds: ints compare as ints, anything else as doubles.
template <typename T>
bool Compare(std::int32_t op, T a, T b) {
    switch (op) {
    case kOpGT: return a > b;
    case kOpGE: return a >= b;
    case kOpLT: return a < b;
    case kOpLE: return a <= b;
    case kOpEQ: return a == b;
    default: return a != b;
    }
}

// A fused entry's shape as plain constants: GCC folds a member of a
// constexpr object too late to fold it into an address.
template <XOp kOp>
struct Shape {
    static constexpr FusionShape s = kFusionShapes[kOp];
    static constexpr int count = s.count;
    static constexpr int words = s.words;
    static constexpr int second = s.at[1];  // word offset of the second instruction
    static constexpr int low = s.low;
    static constexpr int high = s.high;
    static constexpr int net = s.net;
    static constexpr int left = s.left;
    static constexpr int right = s.right;
    // The constant the sequence pushed stays above the new stack pointer.
    static constexpr bool shadow = s.rightIsConstant && s.right >= s.net;
};

// 32-bit wrap-around arithmetic without signed overflow.
std::int32_t Wrap(std::uint32_t v) { return static_cast<std::int32_t>(v); }

std::int32_t ArithInt(std::int32_t op, std::int32_t a, std::int32_t b) {
    const auto ua = static_cast<std::uint32_t>(a);
    const auto ub = static_cast<std::uint32_t>(b);
    switch (op) {
    case kOpADD: return Wrap(ua + ub);
    case kOpSUB: return Wrap(ua - ub);
    case kOpMUL: return Wrap(ua * ub);
    default:  // DIV, b != 0; INT_MIN / -1 wraps to INT_MIN
        if (b == -1) return Wrap(0u - ua);
        return a / b;
    }
}

double ArithFloat(std::int32_t op, double a, double b) {
    switch (op) {
    case kOpADD: return a + b;
    case kOpSUB: return a - b;
    case kOpMUL: return a * b;
    default: return a / b;
    }
}

}  // namespace

Executor::Executor(Machine& machine, int slot, const LineSink& output, const LineSink& trace)
    : m_(machine),
      slot_(slot),
      output_(output),
      trace_(trace),
      sp_(machine.sp_[slot]),
      frameBase_(machine.frameBase_[slot]),
      frameMark_(machine.frameMark_[slot]),
      ints_(machine.ints_.data() + static_cast<std::size_t>(slot) * kStackSlots),
      floats_(machine.floats_.data() + static_cast<std::size_t>(slot) * kStackSlots),
      tags_(machine.tags_.data() + static_cast<std::size_t>(slot) * kStackSlots) {
    // A stack pointer from outside the range (none is ever stored) would
    // index past the stack; treat it as empty.
    if (sp_ < 0 || sp_ > kStackSlots) sp_ = 0;
}

void Executor::Fault(std::int32_t pc, const char* what) { m_.ReportRuntimeError(slot_, pc, what, output_); }

// The registers (stack pointer, frame base, frame mark) live in locals while
// the loop runs: stores into the tag bytes may alias anything, so the
// machine's table would be reloaded after every push. VORN_PROTECT writes
// them back around every call that may look at them or change them.
//
// With GCC and clang every handler ends in its own indirect jump through a
// table of label addresses (one branch-predictor entry per handler); other
// compilers get the same handlers as the cases of one switch. An indirect
// jump out of a scope runs no destructors: a handler keeps any local that
// has one in an inner block that closes before VORN_NEXT.
#if defined(__GNUC__)
#define VORN_THREADED 1
#endif

template <bool Debug>
std::int32_t Executor::Run(std::int32_t pc, int budget) {
    const DecodedProgram& program = *m_.decoded_;
    const DecodedIns* const code = Debug ? program.single.data() : program.fast.data();
    const auto codeSize = static_cast<std::int32_t>(m_.code_.size());
    const std::size_t dataSize = m_.data_.size();
    std::uint8_t* const data = m_.data_.data();
    std::int32_t* const ints = ints_;
    double* const floats = floats_;
    std::uint8_t* const tags = tags_;
    std::int32_t sp = sp_;
    std::int32_t fb = frameBase_;
    std::int32_t fm = frameMark_;
    std::int32_t at = pc;
    const DecodedIns* d = code;

    const auto putInt = [&](std::int32_t slot, std::int32_t v) {
        ints[slot] = v;
        tags[slot] = 1;
    };
    const auto putFloat = [&](std::int32_t slot, double v) {
        floats[slot] = v;
        tags[slot] = 0;
    };
    const auto pushInt = [&](std::int32_t v) { putInt(sp++, v); };
    const auto pushFloat = [&](double v) { putFloat(sp++, v); };
    // The operand as a double, whatever its kind.
    const auto asDouble = [&](std::int32_t slot) {
        return tags[slot] ? static_cast<double>(ints[slot]) : floats[slot];
    };
    // A frame slot offset from the frame base; false when outside the stack.
    // Unsigned: a negative frame base wraps far above the stack size.
    const auto frameSlot = [&](std::int32_t k, std::uint32_t& slot) {
        slot = static_cast<std::uint32_t>(fb) + static_cast<std::uint32_t>(k);
        return slot < static_cast<std::uint32_t>(kStackSlots);
    };

#define VORN_SAVE() (sp_ = sp, frameBase_ = fb, frameMark_ = fm)
#define VORN_LOAD() (sp = sp_, fb = frameBase_, fm = frameMark_)
    // The value of `call`, made with the registers written back and read again.
#define VORN_PROTECT(call) (VORN_SAVE(), protected_ = (call), VORN_LOAD(), protected_)
    bool protected_ = false;
#define VORN_FAULT(what)   \
    do {                   \
        fault_ = (what);   \
        goto fault;        \
    } while (0)
#define VORN_NEED_POP(n) \
    if (sp < (n)) VORN_FAULT(kUnderflow)
#define VORN_NEED_PUSH(n) \
    if (sp + (n) > kStackSlots) VORN_FAULT(kOverflow)
#define VORN_LINK_CHECK() \
    if (m_.linkError_ != 0) goto end_run
#define VORN_NEED_TARGET() \
    if (d->b < 0) VORN_FAULT(kJumpOutside)

#ifdef VORN_THREADED
    // One handler per operation in numeric order: the instructions as
    // opcodes.def lists them, then the executor's own.
#define VORN_OPCODE(name, code, mnemonic, words, pops, pushes) &&L_kOp##name,
#define VORN_EXTRA_ADDRESS(name, ...) &&L_kX##name,
    static const void* const handlers[] = {&&L_kXIllegal,
#include "machine/opcodes.def"
                                           VORN_EXTRA_OPS(VORN_EXTRA_ADDRESS) VORN_FUSED_OPS(VORN_EXTRA_ADDRESS)};
#undef VORN_EXTRA_ADDRESS
#undef VORN_OPCODE
    static_assert(std::size(handlers) == kXOpCount, "one handler per operation");
#define VORN_OP(name) L_##name:
#define VORN_DISPATCH() goto* handlers[d->op]
#else
#define VORN_OP(name) \
    case name:        \
    L_##name:
#define VORN_DISPATCH() goto dispatch
#endif
    // The end of every handler: count the instruction, then the next one.
    // Without tracing the fetch is repeated in each handler.
#define VORN_NEXT()                                     \
    do {                                                \
        if constexpr (Debug) {                          \
            goto next;                                  \
        } else {                                        \
            if (--budget <= 0) goto done;               \
            at = pc;                                    \
            d = &code[pc];                               \
            VORN_DISPATCH();                            \
        }                                               \
    } while (0)

    // The instruction at the PC on its own (once a run, at its budget's
    // end): the table is found again rather than held in a register.
#define VORN_ALONE()                                              \
    do {                                                          \
        d = &m_.decoded_->alone[static_cast<std::size_t>(pc)];    \
        VORN_DISPATCH();                                          \
    } while (0)

    goto fetch;

    // Without tracing the threaded handlers never come back here.
next:
#ifdef VORN_THREADED
    __attribute__((unused));
#endif
    if constexpr (Debug) {
        if (trace_) trace_(line_);
    }
    if (--budget <= 0) goto done;
fetch:
    at = pc;
    d = &code[pc];
    if constexpr (Debug) {
        if (!m_.breaks_.empty() && m_.breaks_[static_cast<std::size_t>(pc)] && VORN_PROTECT(m_.BreakHit(slot_, pc))) goto done;
        line_.clear();
        AppendFormat(line_, "Process:%.3d, PC %.4d: %s", slot_, pc, MnemonicOf(pc < codeSize ? m_.code_[pc] : 0));
    }
#ifdef VORN_THREADED
    VORN_DISPATCH();
#else
dispatch:
    switch (d->op) {
#endif

    VORN_OP(kOpHLT) {
        pc = -1;
        m_.callDepth_[slot_] = 0;
        goto end_run;
    }

    VORN_OP(kXPushVData4) {
        VORN_NEED_PUSH(1);
        std::int32_t v;
        std::memcpy(&v, data + d->c, 4);
        pushInt(v);
        if constexpr (Debug) AppendFormat(line_, " loc=%.4X,size=%d", static_cast<unsigned>(d->a), d->b);
        pc += Words(kOpPushV);
        VORN_NEXT();
    }
    VORN_OP(kOpPushV) {
        if constexpr (Debug) AppendFormat(line_, " loc=%.4X,size=%d", static_cast<unsigned>(d->a), d->b);
        if (!VORN_PROTECT(LoadValue(d->a, d->b))) goto fault;
        pc += Words(kOpPushV);
        VORN_LINK_CHECK();
        VORN_NEXT();
    }
    VORN_OP(kXPushVData8) {
        VORN_NEED_PUSH(1);
        double v;
        std::memcpy(&v, data + d->c, 8);
        pushFloat(v);
        pc += Words(kOpPushV);
        VORN_NEXT();
    }
    VORN_OP(kXPushVFrame4) {
        VORN_NEED_PUSH(1);
        std::uint32_t s;
        if (!frameSlot(d->c, s)) VORN_FAULT(kFrameFault);
        pushInt(ints[s]);
        pc += Words(kOpPushV);
        VORN_NEXT();
    }
    VORN_OP(kXPushVFrame8) {
        VORN_NEED_PUSH(1);
        std::uint32_t s;
        if (!frameSlot(d->c, s)) VORN_FAULT(kFrameFault);
        pushFloat(floats[s]);
        pc += Words(kOpPushV);
        VORN_NEXT();
    }

    VORN_OP(kOpPushC) {
        VORN_NEED_PUSH(1);
        pushInt(d->a);
        if constexpr (Debug) AppendFormat(line_, " %d", d->a);
        pc += Words(kOpPushC);
        VORN_NEXT();
    }

    VORN_OP(kOpIFF) {
        VORN_NEED_POP(1);
        const std::int32_t c = ints[--sp];
        if constexpr (Debug) AppendFormat(line_, " goto L%d, location %d, result=%d", d->a, d->b, c);
        if (c == 0) {
            VORN_NEED_TARGET();
            pc = d->b;
        } else {
            pc += Words(kOpIFF);
        }
        VORN_NEXT();
    }
    VORN_OP(kOpGOTO) {
        if constexpr (Debug) AppendFormat(line_, " L%d, location %d", d->a, d->b);
        VORN_NEED_TARGET();
        pc = d->b;
        VORN_NEXT();
    }

    VORN_OP(kXWriteVData4) {
        VORN_NEED_POP(1);
        --sp;
        const std::int32_t x = tags[sp] ? ints[sp] : TruncateToInt32(floats[sp]);
        std::memcpy(data + d->c, &x, 4);
        pc += Words(kOpWriteV);
        VORN_NEXT();
    }
    VORN_OP(kXWriteVData8) {
        VORN_NEED_POP(1);
        --sp;
        const double x = asDouble(sp);
        std::memcpy(data + d->c, &x, 8);
        pc += Words(kOpWriteV);
        VORN_NEXT();
    }
    VORN_OP(kXWriteVFrameInt) {
        VORN_NEED_POP(1);
        --sp;
        std::uint32_t s;
        if (!frameSlot(d->c, s)) VORN_FAULT(kFrameFault);
        ints[s] = tags[sp] ? ints[sp] : TruncateToInt32(floats[sp]);
        pc += Words(kOpWriteV);
        VORN_NEXT();
    }
    VORN_OP(kXWriteVFrame8) {
        VORN_NEED_POP(1);
        --sp;
        std::uint32_t s;
        if (!frameSlot(d->c, s)) VORN_FAULT(kFrameFault);
        floats[s] = asDouble(sp);
        pc += Words(kOpWriteV);
        VORN_NEXT();
    }
    VORN_OP(kOpWriteV) {
        VORN_NEED_POP(1);
        --sp;
        const Value v{ints[sp], floats[sp], tags[sp]};
        if (!VORN_PROTECT(StoreValue(v, d->a, d->b))) goto fault;
        pc += Words(kOpWriteV);
        VORN_LINK_CHECK();
        VORN_NEXT();
    }

    // Binary operations on the two top slots: b on top, a below; the result
    // replaces a. Ints when both are ints, doubles otherwise.
#define VORN_COMPARE(opcode)                                                                     \
    VORN_OP(opcode) {                                                                            \
        VORN_NEED_POP(2);                                                                        \
        const std::int32_t ia = sp - 2;                                                          \
        const bool r = (tags[ia] && tags[ia + 1]) ? Compare<std::int32_t>(opcode, ints[ia], ints[ia + 1]) \
                                                 : Compare<double>(opcode, asDouble(ia), asDouble(ia + 1)); \
        ints[ia] = r ? 1 : 0;                                                                    \
        tags[ia] = 1;                                                                            \
        sp = ia + 1;                                                                             \
        pc += Words(opcode);                                                                     \
        VORN_NEXT();                                                                             \
    }
    VORN_COMPARE(kOpGT)
    VORN_COMPARE(kOpGE)
    VORN_COMPARE(kOpLT)
    VORN_COMPARE(kOpLE)
    VORN_COMPARE(kOpEQ)
    VORN_COMPARE(kOpNE)
#undef VORN_COMPARE

#define VORN_ARITH(opcode)                                                                      \
    VORN_OP(opcode) {                                                                           \
        VORN_NEED_POP(2);                                                                       \
        const std::int32_t ia = sp - 2;                                                         \
        if (tags[ia] && tags[ia + 1]) {                                                         \
            if (opcode == kOpDIV && ints[ia + 1] == 0) VORN_FAULT("division by zero");          \
            ints[ia] = ArithInt(opcode, ints[ia], ints[ia + 1]);                                \
        } else {                                                                                \
            floats[ia] = ArithFloat(opcode, asDouble(ia), asDouble(ia + 1));                    \
            tags[ia] = 0;                                                                       \
        }                                                                                       \
        sp = ia + 1;                                                                            \
        pc += Words(opcode);                                                                    \
        VORN_NEXT();                                                                            \
    }
    VORN_ARITH(kOpADD)
    VORN_ARITH(kOpSUB)
    VORN_ARITH(kOpMUL)
    VORN_ARITH(kOpDIV)
#undef VORN_ARITH

    VORN_OP(kOpNEG) {
        VORN_NEED_POP(1);
        const std::int32_t ia = sp - 1;
        if (tags[ia]) {
            ints[ia] = Wrap(0u - static_cast<std::uint32_t>(ints[ia]));
        } else {
            floats[ia] = -floats[ia];
        }
        pc += Words(kOpNEG);
        VORN_NEXT();
    }

    // Operations on two ints: b on top, a below; the int result replaces a.
#define VORN_INT_OP(opcode, expr)                 \
    VORN_OP(opcode) {                             \
        VORN_NEED_POP(2);                         \
        const std::int32_t b = ints[--sp];        \
        const std::int32_t a = ints[sp - 1];      \
        ints[sp - 1] = (expr);                    \
        tags[sp - 1] = 1;                         \
        pc += Words(opcode);                      \
        VORN_NEXT();                              \
    }
    VORN_INT_OP(kOpAND, a == 1 && b == 1 ? 1 : 0)
    VORN_INT_OP(kOpOR, a != 0 || b != 0 ? 1 : 0)
    VORN_INT_OP(kOpBitOr, a | b)  // computes OR
    VORN_INT_OP(kOpBitAnd, a & b)   // computes AND
#undef VORN_INT_OP

    VORN_OP(kOpMOD) {
        VORN_NEED_POP(2);
        const std::int32_t b = ints[--sp];
        const std::int32_t a = ints[--sp];
        if (b == 0) VORN_FAULT("division by zero");
        pushInt(b == -1 ? 0 : a % b);
        pc += Words(kOpMOD);
        VORN_NEXT();
    }
    VORN_OP(kOpNOT) {
        VORN_NEED_POP(1);
        ints[sp - 1] = ints[sp - 1] == 0 ? 1 : 0;
        tags[sp - 1] = 1;
        pc += Words(kOpNOT);
        VORN_NEXT();
    }

    VORN_OP(kOpLDI) {
        VORN_NEED_POP(1);
        const std::int32_t address = ints[--sp];
        const std::int64_t off = std::int64_t{address} - kDataBase;
        if (d->a == 4 && off >= 0 && static_cast<std::uint64_t>(off) + 4 <= dataSize) {
            // A whole 4-byte int inside the data segment.
            std::int32_t v;
            std::memcpy(&v, data + off, 4);
            pushInt(v);
        } else if (!VORN_PROTECT(LoadValue(address, d->a))) {
            goto fault;
        }
        pc += Words(kOpLDI);
        VORN_LINK_CHECK();
        VORN_NEXT();
    }
    VORN_OP(kOpSTI) {
        VORN_NEED_POP(2);
        --sp;
        const Value v{ints[sp], floats[sp], tags[sp]};
        const std::int32_t address = ints[--sp];
        if (!VORN_PROTECT(StoreValue(v, address, d->a))) goto fault;
        pc += Words(kOpSTI);
        VORN_LINK_CHECK();
        VORN_NEXT();
    }
    VORN_OP(kOpWRB)
    VORN_OP(kOpRDB) {
        VORN_NEED_POP(3);
        const std::int32_t size = ints[--sp];
        const std::int32_t dataAddress = ints[--sp];
        const std::int32_t offset = ints[--sp];
        std::size_t off = 0;
        if (!BlockRange(dataAddress, size, off)) goto fault;
        std::uint16_t at = 0;
        if (!FsuipcRange(offset, size, at)) goto fault;
        // Block transfers do not touch the link error: a failure goes unnoticed.
        IpcResult result = 0;
        const bool queued =
            d->op == kOpWRB
                ? m_.link_.QueueWrite(static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(size),
                                      data + off, result)
                : m_.link_.QueueRead(static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(size),
                                     data + off, result);
        if (queued) m_.link_.Exchange(result);
        static_assert(Words(kOpWRB) == Words(kOpRDB), "one stride for both block transfers");
        pc += Words(kOpWRB);
        VORN_NEXT();
    }

    VORN_OP(kOpCALL) {
        if constexpr (Debug) AppendFormat(line_, " L%d, location %d", d->a, d->b);
        VORN_NEED_PUSH(1);
        VORN_NEED_TARGET();
        pushInt(pc + Words(kOpCALL));
        fb = fm;
        ++m_.callDepth_[slot_];
        pc = d->b;
        VORN_NEXT();
    }
    VORN_OP(kOpRET) {
        if (m_.callDepth_[slot_] <= 0) {
            // `return` in a key routine or sequence ends it, as its HLT would.
            sp = 0;
            fb = 0;
            fm = 0;
            pc = -1;
            goto end_run;
        }
        --m_.callDepth_[slot_];
        if (sp < 2) VORN_FAULT("RET with no return point");
        // Pop v and r, push v back where r was.
        const std::int32_t r = ints[sp - 2];
        const std::int32_t vi = ints[sp - 1];
        const double vf = floats[sp - 1];
        const std::uint8_t vt = tags[sp - 1];
        --sp;
        ints[sp - 1] = vi;
        floats[sp - 1] = vf;
        tags[sp - 1] = vt;
        if constexpr (Debug) AppendFormat(line_, " to %d", r);
        if (r < 0 || r >= codeSize) VORN_FAULT("return outside the code");
        pc = r;
        if constexpr (!Debug) {
            // The RFP a call returns to runs here too when it cannot fault:
            // pop v, cut the stack to the frame base, pop the caller's frame
            // mark and base, push v.
            if (budget >= 2 && code[r].op == kOpRFP && fb >= 2 && fb <= kStackSlots) {
                fm = ints[fb - 1];
                sp = fb - 2;
                fb = ints[sp];
                ints[sp] = vi;
                floats[sp] = vf;
                tags[sp] = vt;
                ++sp;
                pc = r + Words(kOpRFP);
                --budget;
            }
        }
        VORN_NEXT();
    }
    VORN_OP(kOpSTP) {
        VORN_NEED_PUSH(2);
        pushInt(fb);
        pushInt(fm);
        fm = sp;
        pc += Words(kOpSTP);
        VORN_NEXT();
    }
    VORN_OP(kOpRFP) {
        VORN_NEED_POP(1);
        --sp;
        const std::int32_t vi = ints[sp];
        const double vf = floats[sp];
        const std::uint8_t vt = tags[sp];
        if (fb < 0 || fb > kStackSlots) VORN_FAULT("frame base out of range");
        sp = fb;
        VORN_NEED_POP(2);
        fm = ints[--sp];
        fb = ints[--sp];
        ints[sp] = vi;
        floats[sp] = vf;
        tags[sp] = vt;
        ++sp;
        pc += Words(kOpRFP);
        VORN_NEXT();
    }
    VORN_OP(kOpTDY) {
        VORN_NEED_POP(1);
        --sp;
        pc += Words(kOpTDY);
        VORN_NEXT();
    }

    VORN_OP(kOpPRS) {
        VORN_NEED_POP(1);
        const std::int32_t address = ints[--sp];
        {
            std::string text;
            if (!Text(address, text)) goto fault;
            if (output_) output_(text);
            if constexpr (Debug) {
                line_ += ' ';
                line_ += text;
            }
        }
        pc += Words(kOpPRS);
        VORN_NEXT();
    }
    VORN_OP(kOpPRF) {
        fb = fm;
        VORN_NEED_PUSH(1);
        if (!VORN_PROTECT(Prf())) goto fault;
        pushInt(0);
        pc += Words(kOpPRF);
        VORN_NEXT();
    }
    VORN_OP(kOpWAIT) {
        VORN_NEED_POP(1);
        const std::int64_t ticks = std::int64_t{ints[--sp]} * 10;
        m_.wait_[slot_] = static_cast<std::int32_t>(std::clamp<std::int64_t>(ticks, INT_MIN, INT_MAX));
        pc += Words(kOpWAIT);
        goto end_run;
    }
    VORN_OP(kOpPLAY) {
        VORN_NEED_POP(1);
        const std::int32_t address = ints[--sp];
        {
            std::string file;
            if (!Text(address, file)) goto fault;
            if ((IsSpecialFile(file) || !m_.player_->Play(file)) && output_) output_(file + " not found");
        }
        pc += Words(kOpPLAY);
        VORN_NEXT();
    }
    VORN_OP(kOpSSQ) {
        VORN_NEED_PUSH(1);
        VORN_NEED_TARGET();
        // The registers go back first: the new process copies this stack.
        VORN_SAVE();
        const int child = m_.FindFreeProcessSlot();
        if (child < 0) {
            if (output_) output_("SSQ - Create process failed");
        } else {
            const std::size_t base = static_cast<std::size_t>(child) * kStackSlots;
            const auto n = static_cast<std::size_t>(sp);
            std::memcpy(m_.ints_.data() + base, ints, n * sizeof(std::int32_t));
            std::memcpy(m_.floats_.data() + base, floats, n * sizeof(double));
            std::memcpy(m_.tags_.data() + base, tags, n);
            m_.sp_[child] = sp;
            m_.pc_[child] = d->b;
            m_.frameBase_[child] = fm;
        }
        fb = fm;
        pushInt(-1);
        pc += Words(kOpSSQ);
        VORN_NEXT();
    }

    // Fused entries (decoded.h lists them). VORN_FUSED opens one: its first
    // instruction runs alone unless the budget holds all its instructions
    // and the stack has room for them; `shape` is what its list implies.
    // The body checks whatever else could fault (falling back the same way),
    // writes its results at stack offsets from the entry's stack pointer and
    // ends with VORN_FUSED_END(jump): the constant the sequence pushed is
    // left where its PushC put it, as the single steps leave it, then the
    // stack pointer, PC (d->b when `jump`) and budget move on.
#define VORN_FUSED(name)                                                                            \
    VORN_OP(kX##name)                                                                               \
    if (constexpr Shape<kX##name> shape{};                                                          \
        budget < shape.count || (shape.low > 0 && sp < shape.low) ||                                \
        (shape.high > 0 && sp + shape.high > kStackSlots)) [[unlikely]] {                           \
        VORN_ALONE();                                                                               \
    } else
#define VORN_FUSED_END(jump)                                                                        \
    do {                                                                                            \
        if constexpr (shape.shadow) {                                                               \
            ints[sp + shape.right] = d->a;                                                          \
            tags[sp + shape.right] = 1;                                                             \
        }                                                                                           \
        sp += shape.net;                                                                            \
        pc = (jump) ? d->b : pc + shape.words;                                                      \
        budget -= shape.count - 1;                                                                  \
        VORN_NEXT();                                                                                \
    } while (0)
    // x := the 4-byte int a fused PushV reads: from the data segment, or
    // from a frame slot that must lie inside the stack.
#define VORN_DATA4(x)                                                                               \
    std::int32_t x;                                                                                 \
    std::memcpy(&x, data + d->c, 4)
#define VORN_FRAME4(x)                                                                              \
    std::uint32_t x##Slot;                                                                          \
    if (!frameSlot(d->c, x##Slot)) [[unlikely]] VORN_ALONE();                                       \
    const std::int32_t x = ints[x##Slot]
    // An int PushV, a constant and a comparison with its jump, or an
    // arithmetic (and with FusedArithStore its store).
#define VORN_FUSED_COMPARE_JUMP(name, load)                                                         \
    VORN_FUSED(name) {                                                                              \
        load(x);                                                                                    \
        const std::int32_t r = CompareMasked<std::int32_t>(d->sub, x, d->a) ? 1 : 0;                \
        putInt(sp + shape.left, r);                                                                 \
        VORN_FUSED_END(r == 0);                                                                     \
    }
#define VORN_FUSED_ARITH(name, load)                                                                \
    VORN_FUSED(name) {                                                                              \
        load(x);                                                                                    \
        const std::int32_t r = ArithInt(d->sub, x, d->a);                                           \
        putInt(sp + shape.left, r);                                                                 \
        if constexpr (kX##name == kXFusedArithStore) std::memcpy(data + d->b, &r, 4);               \
        VORN_FUSED_END(false);                                                                      \
    }
    VORN_FUSED_COMPARE_JUMP(FusedCompareJump, VORN_DATA4)
    VORN_FUSED_COMPARE_JUMP(FusedFrameCompareJump, VORN_FRAME4)
    VORN_FUSED_ARITH(FusedArithStore, VORN_DATA4)
    VORN_FUSED_ARITH(FusedDataArith, VORN_DATA4)
    VORN_FUSED_ARITH(FusedFrameArith, VORN_FRAME4)
#undef VORN_FUSED_COMPARE_JUMP
#undef VORN_FUSED_ARITH

    VORN_FUSED(FusedConstCompareJump) {
        const std::int32_t top = sp + shape.left;
        const bool r = tags[top] ? CompareMasked<std::int32_t>(d->sub, ints[top], d->a)
                                 : CompareMasked<double>(d->sub, floats[top], static_cast<double>(d->a));
        putInt(top, r ? 1 : 0);
        VORN_FUSED_END(!r);
    }
    VORN_FUSED(FusedConstArith) {
        // The top value keeps its kind.
        const std::int32_t top = sp + shape.left;
        if (tags[top]) {
            ints[top] = ArithInt(d->sub, ints[top], d->a);
        } else {
            floats[top] = ArithFloat(d->sub, floats[top], static_cast<double>(d->a));
        }
        VORN_FUSED_END(false);
    }
    VORN_FUSED(FusedData8Arith) {
        double y;
        std::memcpy(&y, data + d->c, 8);
        putFloat(sp + shape.left, ArithFloat(d->sub, asDouble(sp + shape.left), y));
        putFloat(sp + shape.right, y);
        VORN_FUSED_END(false);
    }
    VORN_FUSED(FusedData8Pair) {
        double x;
        double y;
        std::memcpy(&x, data + d->c, 8);
        std::memcpy(&y, data + d->a, 8);
        putFloat(sp + shape.left, ArithFloat(d->sub, x, y));
        putFloat(sp + shape.right, y);
        VORN_FUSED_END(false);
    }
    VORN_OP(kXFusedGotoCompareJump) {
        // The GOTO, then the compare and jump at its target as that entry
        // runs it (which falls back on its own when the budget is short).
        pc = d->t;
        if (budget < 2) VORN_NEXT();
        --budget;
        at = pc;
        goto L_kXFusedCompareJump;
    }
    VORN_FUSED(FusedCallFrameArith) {
        // STP first: the frame slot may be one of the two it writes.
        putInt(sp, fb);
        putInt(sp + 1, fm);
        VORN_FRAME4(x);
        putInt(sp + shape.left, ArithInt(d->sub, x, d->a));
        putInt(sp + shape.net - 1, pc + shape.words);  // the CALL's return point
        fm = sp + kStackEffects[kOpSTP].pushes;  // the STP's frame mark, then the CALL's frame base
        fb = fm;
        ++m_.callDepth_[slot_];  // the CALL's part
        VORN_FUSED_END(true);
    }
    VORN_FUSED(FusedReturnFrame) {
        // The PushV, then the RET as its own entry runs it.
        VORN_FRAME4(x);
        pushInt(x);
        pc += shape.second;
        --budget;
        at = pc;
        goto L_kOpRET;
    }
    VORN_FUSED(FusedIndexLoad) {
        // An int address that lands inside the data segment.
        const std::int32_t top = sp + shape.left;
        if (!tags[top]) VORN_ALONE();
        const std::int32_t address = Wrap(static_cast<std::uint32_t>(ints[top]) + static_cast<std::uint32_t>(d->a));
        const std::int64_t off = std::int64_t{address} - kDataBase;
        if (off < 0 || static_cast<std::uint64_t>(off) + 4 > dataSize) VORN_ALONE();
        std::memcpy(&ints[top], data + off, 4);
        VORN_FUSED_END(false);
    }
    VORN_FUSED(FusedArithWrite) {
        const std::int32_t left = sp + shape.left;
        if (!(tags[left] && tags[left + 1])) VORN_ALONE();
        const std::int32_t r = ArithInt(d->sub, ints[left], ints[left + 1]);
        ints[left] = r;
        std::memcpy(data + d->c, &r, 4);
        VORN_FUSED_END(false);
    }
#undef VORN_FUSED
#undef VORN_FUSED_END
#undef VORN_DATA4
#undef VORN_FRAME4

    VORN_OP(kXBreak) {
        // The hook decides before the instruction; held, the PC stays on it.
        if (VORN_PROTECT(m_.BreakHit(slot_, pc))) goto done;
        VORN_ALONE();
    }

    VORN_OP(kXTruncated) { VORN_FAULT("instruction runs past the end of the code"); }
    VORN_OP(kXOutside) { VORN_FAULT("PC outside the code"); }

#ifndef VORN_THREADED
    default:
#endif
    VORN_OP(kXIllegal) {  // the PC stays on the word
        char buf[48];
        std::snprintf(buf, sizeof buf, "Illegal instruction %d", d->a);
        if (trace_) trace_(buf);
        VORN_NEXT();
    }
#ifndef VORN_THREADED
    }
#endif

fault:
    if (VORN_PROTECT(m_.HoldAtFault(slot_, at, fault_))) {
        pc = at;
        goto done;
    }
    Fault(at, fault_);
    pc = -1;
    // A key routine starts again in this slot at its next press: give it
    // an empty stack, not the one that broke.
    m_.callDepth_[slot_] = 0;
    sp = 0;
    fb = 0;
    fm = 0;
end_run:
    if constexpr (Debug) {
        if (trace_) trace_(line_);
    }
done:
#undef VORN_NEXT
#undef VORN_DISPATCH
#undef VORN_OP
#undef VORN_FAULT
#undef VORN_NEED_POP
#undef VORN_NEED_PUSH
#undef VORN_LINK_CHECK
#undef VORN_NEED_TARGET
#undef VORN_ALONE
#undef VORN_PROTECT
    VORN_SAVE();
#undef VORN_SAVE
#undef VORN_LOAD
    return pc;
}

template std::int32_t Executor::Run<true>(std::int32_t, int);
template std::int32_t Executor::Run<false>(std::int32_t, int);

}  // namespace vorn
