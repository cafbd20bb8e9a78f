// The instruction loop. One template serves both modes: the debug build of
// the loop traces every instruction and runs the plain decoded code; the
// normal one builds no text and may take the fused entries.
#include "machine/executor.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#include "fsuipc/ipc_link.h"
#include "machine/code_image.h"
#include "machine/decoded.h"
#include "machine/ins_set.h"
#include "support/format.h"

namespace vorn {
namespace {

constexpr const char* kOverflow = "stack overflow";
constexpr const char* kUnderflow = "stack underflow";

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

double AsDouble(const Value& v) { return v.tag ? static_cast<double>(v.i) : v.f; }

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

template <bool Debug>
std::int32_t Executor::Run(std::int32_t pc, int budget) {
    const DecodedProgram& program = *m_.decoded_;
    const DecodedIns* code = Debug ? program.single.data() : program.fast.data();
    const auto codeSize = static_cast<std::int32_t>(m_.code_.size());
    std::uint8_t* data = m_.data_.data();

#define VORN_FAULT(what)   \
    do {                   \
        fault_ = (what);   \
        goto fault;        \
    } while (0)
#define VORN_NEED_POP(n) \
    if (!CanPop(n)) VORN_FAULT(kUnderflow)
#define VORN_NEED_PUSH(n) \
    if (!CanPush(n)) VORN_FAULT(kOverflow)
#define VORN_LINK_CHECK() \
    if (m_.linkError_ != 0) goto end_run

    for (;;) {
        const std::int32_t at = pc;
        const DecodedIns& d = code[pc];
        if constexpr (Debug) {
            line_.clear();
            AppendFormat(line_, "Process:%.3d, PC %.4d: %s", slot_, pc, MnemonicOf(pc < codeSize ? m_.code_[pc] : 0));
        }
        switch (d.op) {
        case kOpHLT:
            pc = -1;
            goto end_run;

        case kXPushVData4: {
            VORN_NEED_PUSH(1);
            std::int32_t v;
            std::memcpy(&v, data + d.c, 4);
            PushInt(v);
            if constexpr (Debug) AppendFormat(line_, " loc=%.4X,size=%d", static_cast<unsigned>(d.a), d.b);
            pc += 3;
            break;
        }
        case kOpPushV:
            if constexpr (Debug) AppendFormat(line_, " loc=%.4X,size=%d", static_cast<unsigned>(d.a), d.b);
            if (!LoadValue(d.a, d.b)) goto fault;
            pc += 3;
            VORN_LINK_CHECK();
            break;

        case kOpPushC:
            VORN_NEED_PUSH(1);
            PushInt(d.a);
            if constexpr (Debug) AppendFormat(line_, " %d", d.a);
            pc += 2;
            break;

        case kOpIFF: {
            VORN_NEED_POP(1);
            const std::int32_t c = PopInt();
            if constexpr (Debug) AppendFormat(line_, " goto L%d, location %d, result=%d", d.a, d.b, c);
            if (c == 0) {
                if (d.b < 0) VORN_FAULT("jump outside the code");
                pc = d.b;
            } else {
                pc += 2;
            }
            break;
        }
        case kOpGOTO:
            if constexpr (Debug) AppendFormat(line_, " L%d, location %d", d.a, d.b);
            if (d.b < 0) VORN_FAULT("jump outside the code");
            pc = d.b;
            break;

        case kXWriteVData4: {
            VORN_NEED_POP(1);
            const Value v = PopValue();
            const std::int32_t x = v.tag ? v.i : TruncateToInt32(v.f);
            std::memcpy(data + d.c, &x, 4);
            pc += 3;
            break;
        }
        case kOpWriteV: {
            VORN_NEED_POP(1);
            const Value v = PopValue();
            if (!StoreValue(v, d.a, d.b)) goto fault;
            pc += 3;
            VORN_LINK_CHECK();
            break;
        }

        case kOpGT:
        case kOpGE:
        case kOpLT:
        case kOpLE:
        case kOpEQ:
        case kOpNE: {
            VORN_NEED_POP(2);
            const Value b = PopValue();
            const Value a = PopValue();
            const bool r = (a.tag && b.tag) ? Compare<std::int32_t>(d.op, a.i, b.i) : Compare<double>(d.op, AsDouble(a), AsDouble(b));
            PushInt(r ? 1 : 0);
            pc += 1;
            break;
        }

        case kOpADD:
        case kOpSUB:
        case kOpMUL:
        case kOpDIV: {
            VORN_NEED_POP(2);
            const Value b = PopValue();
            const Value a = PopValue();
            if (a.tag && b.tag) {
                if (d.op == kOpDIV && b.i == 0) VORN_FAULT("division by zero");
                PushInt(ArithInt(d.op, a.i, b.i));
            } else {
                PushFloat(ArithFloat(d.op, AsDouble(a), AsDouble(b)));
            }
            pc += 1;
            break;
        }
        case kOpNEG: {
            VORN_NEED_POP(1);
            const Value a = PopValue();
            if (a.tag) {
                PushInt(Wrap(0u - static_cast<std::uint32_t>(a.i)));
            } else {
                PushFloat(-a.f);
            }
            pc += 1;
            break;
        }
        case kOpAND: {
            VORN_NEED_POP(2);
            const std::int32_t b = PopInt();
            const std::int32_t a = PopInt();
            PushInt(a == 1 && b == 1 ? 1 : 0);
            pc += 1;
            break;
        }
        case kOpOR: {
            VORN_NEED_POP(2);
            const std::int32_t b = PopInt();
            const std::int32_t a = PopInt();
            PushInt(a != 0 || b != 0 ? 1 : 0);
            pc += 1;
            break;
        }
        case kOpLDI: {
            VORN_NEED_POP(1);
            const std::int32_t address = PopInt();
            if (!LoadValue(address, d.a)) goto fault;
            pc += 2;
            VORN_LINK_CHECK();
            break;
        }
        case kOpSTI: {
            VORN_NEED_POP(2);
            const Value v = PopValue();
            const std::int32_t address = PopInt();
            if (!StoreValue(v, address, d.a)) goto fault;
            pc += 2;
            VORN_LINK_CHECK();
            break;
        }
        case kOpWRB:
        case kOpRDB: {
            VORN_NEED_POP(3);
            const std::int32_t size = PopInt();
            const std::int32_t dataAddress = PopInt();
            const std::int32_t offset = PopInt();
            std::size_t off = 0;
            if (!BlockRange(dataAddress, size, off)) goto fault;
            // Block transfers do not touch the link error: a failure goes unnoticed.
            IpcResult result = 0;
            const bool queued =
                d.op == kOpWRB
                    ? m_.link_.QueueWrite(static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(size),
                                          data + off, result)
                    : m_.link_.QueueRead(static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(size),
                                         data + off, result);
            if (queued) m_.link_.Exchange(result);
            pc += 1;
            break;
        }
        case kOpCALL:
            if constexpr (Debug) AppendFormat(line_, " L%d, location %d", d.a, d.b);
            VORN_NEED_PUSH(1);
            if (d.b < 0) VORN_FAULT("jump outside the code");
            PushInt(pc + 2);
            frameBase_ = frameMark_;
            pc = d.b;
            break;

        case kOpRET: {
            if (!CanPop(2)) VORN_FAULT("RET with no return point");
            const Value v = PopValue();
            const std::int32_t r = PopInt();
            PushValue(v);
            if constexpr (Debug) AppendFormat(line_, " to %d", r);
            if (r < 0 || r >= codeSize) VORN_FAULT("return outside the code");
            pc = r;
            break;
        }
        case kOpSTP:
            VORN_NEED_PUSH(2);
            PushInt(frameBase_);
            PushInt(frameMark_);
            frameMark_ = sp_;
            pc += 1;
            break;

        case kOpPRS: {
            VORN_NEED_POP(1);
            std::string text;
            if (!Text(PopInt(), text)) goto fault;
            if (output_) output_(text);
            if constexpr (Debug) {
                line_ += ' ';
                line_ += text;
            }
            pc += 1;
            break;
        }
        case kOpRFP: {
            VORN_NEED_POP(1);
            const Value v = PopValue();
            if (frameBase_ < 0 || frameBase_ > kStackSlots) VORN_FAULT("frame base out of range");
            sp_ = frameBase_;
            VORN_NEED_POP(2);
            frameMark_ = PopInt();
            frameBase_ = PopInt();
            PushValue(v);
            pc += 1;
            break;
        }
        case kOpTDY:
            VORN_NEED_POP(1);
            --sp_;
            pc += 1;
            break;

        case kOpMOD: {
            VORN_NEED_POP(2);
            const std::int32_t b = PopInt();
            const std::int32_t a = PopInt();
            if (b == 0) VORN_FAULT("division by zero");
            PushInt(b == -1 ? 0 : a % b);
            pc += 1;
            break;
        }
        case kOpPRF:
            frameBase_ = frameMark_;
            VORN_NEED_PUSH(1);
            if (!Prf()) goto fault;
            PushInt(0);
            pc += 1;
            break;

        case kOpWAIT: {
            VORN_NEED_POP(1);
            const std::int64_t ticks = std::int64_t{PopInt()} * 10;
            m_.wait_[slot_] = static_cast<std::int32_t>(std::clamp<std::int64_t>(ticks, INT_MIN, INT_MAX));
            pc += 1;
            goto end_run;
        }
        case kOpPLAY: {
            VORN_NEED_POP(1);
            std::string file;
            if (!Text(PopInt(), file)) goto fault;
            if (!m_.player_->Play(file) && output_) output_(file + " not found");
            pc += 1;
            break;
        }
        case kOpSSQ: {
            VORN_NEED_PUSH(1);
            if (d.b < 0) VORN_FAULT("jump outside the code");
            // Write the registers back first: the new process copies this stack.
            m_.sp_[slot_] = sp_;
            const int child = m_.FindFreeProcessSlot();
            if (child < 0) {
                if (output_) output_("SSQ - Create process failed");
            } else {
                const std::size_t base = static_cast<std::size_t>(child) * kStackSlots;
                const auto n = static_cast<std::size_t>(sp_);
                std::memcpy(m_.ints_.data() + base, ints_, n * sizeof(std::int32_t));
                std::memcpy(m_.floats_.data() + base, floats_, n * sizeof(double));
                std::memcpy(m_.tags_.data() + base, tags_, n);
                m_.sp_[child] = sp_;
                m_.pc_[child] = d.b;
                m_.frameBase_[child] = frameMark_;
            }
            frameBase_ = frameMark_;
            PushInt(-1);
            pc += 2;
            break;
        }
        case kOpNOT: {
            VORN_NEED_POP(1);
            PushInt(PopInt() == 0 ? 1 : 0);
            pc += 1;
            break;
        }
        case kOpL_AND: {  // computes OR
            VORN_NEED_POP(2);
            const std::int32_t b = PopInt();
            const std::int32_t a = PopInt();
            PushInt(a | b);
            pc += 1;
            break;
        }
        case kOpL_OR: {  // computes AND
            VORN_NEED_POP(2);
            const std::int32_t b = PopInt();
            const std::int32_t a = PopInt();
            PushInt(a & b);
            pc += 1;
            break;
        }

        case kXFusedCompareJump:
            if (budget < 4 || !CanPush(2)) goto single;
            {
                std::int32_t x;
                std::memcpy(&x, data + d.c, 4);
                const std::int32_t r = Compare<std::int32_t>(d.sub, x, d.a) ? 1 : 0;
                // Leave the slots as PushV, PushC, compare and IFF would.
                ints_[sp_] = r;
                tags_[sp_] = 1;
                ints_[sp_ + 1] = d.a;
                tags_[sp_ + 1] = 1;
                pc = r == 0 ? d.b : pc + 8;
                budget -= 3;
            }
            break;
        case kXFusedArithStore:
            if (budget < 4 || !CanPush(2)) goto single;
            {
                std::int32_t x;
                std::memcpy(&x, data + d.c, 4);
                const std::int32_t r = ArithInt(d.sub, x, d.a);
                ints_[sp_] = r;
                tags_[sp_] = 1;
                ints_[sp_ + 1] = d.a;
                tags_[sp_ + 1] = 1;
                std::memcpy(data + d.b, &r, 4);
                pc += 9;
                budget -= 3;
            }
            break;
        single:
            // Too little budget or stack for the whole sequence: run its
            // first instruction, a plain 4-byte data PushV, on its own.
            {
                VORN_NEED_PUSH(1);
                std::int32_t v;
                std::memcpy(&v, data + d.c, 4);
                PushInt(v);
                pc += 3;
            }
            break;

        case kXTruncated:
            VORN_FAULT("instruction runs past the end of the code");
        case kXOutside:
            VORN_FAULT("PC outside the code");

        default: {  // kXIllegal: the PC stays on the word
            char buf[48];
            std::snprintf(buf, sizeof buf, "Illegal instruction %d", d.a);
            if (trace_) trace_(buf);
            break;
        }
        }
        if constexpr (Debug) {
            if (trace_) trace_(line_);
        }
        if (--budget <= 0) break;
        continue;

    fault:
        Fault(at, fault_);
        pc = -1;
        // A key routine starts again in this slot at its next press: give it
        // an empty stack, not the one that broke.
        sp_ = 0;
        frameBase_ = 0;
        frameMark_ = 0;
    end_run:
        if constexpr (Debug) {
            if (trace_) trace_(line_);
        }
        break;
    }
#undef VORN_FAULT
#undef VORN_NEED_POP
#undef VORN_NEED_PUSH
#undef VORN_LINK_CHECK

    m_.sp_[slot_] = sp_;
    m_.frameBase_[slot_] = frameBase_;
    m_.frameMark_[slot_] = frameMark_;
    return pc;
}

template std::int32_t Executor::Run<true>(std::int32_t, int);
template std::int32_t Executor::Run<false>(std::int32_t, int);

}  // namespace vorn
