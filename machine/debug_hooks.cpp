// What a debugger needs of the machine: flagged words, holding, stepping one
// process, and holding at a fault. None of it costs anything while unused:
// the fast code changes only at flagged words.
#include <cstring>

#include "fsuipc/ipc_link.h"
#include "machine/decoded.h"
#include "machine/executor.h"
#include "machine/machine.h"

namespace vorn {

void Machine::ForgetDebugState() {
    breaks_.clear();
    held_ = false;
    passSlot_ = -1;
    passPc_ = -1;
    stepSlot_ = -1;
    stepStop_ = nullptr;
    faultSlot_ = -1;
    faultText_.clear();
}

void Machine::Hold() {
    held_ = true;
    FlushLink();
}

void Machine::FlushLink() {
    IpcResult result = kIpcOk;
    link_.FlushWrites(result);  // a failure leaves the link dead: the next tick reports it
}

void Machine::SetBreakpoints(std::span<const std::int32_t> pcs) {
    if (!loaded_) return;
    breaks_.clear();
    for (std::int32_t pc : pcs) {
        if (pc < 0 || static_cast<std::size_t>(pc) >= code_.size()) continue;
        if (breaks_.empty()) breaks_.assign(code_.size(), 0);
        breaks_[static_cast<std::size_t>(pc)] = 1;
    }
    DecodeProgram(code_, labels_, static_cast<std::int32_t>(data_.size()), *decoded_, breaks_);
}

void Machine::SetDebugHooks(BreakHook atBreak, FaultHook atFault) {
    atBreak_ = std::move(atBreak);
    atFault_ = std::move(atFault);
}

bool Machine::BreakHit(int slot, std::int32_t pc) {
    if (slot == passSlot_ && pc == passPc_) {
        passSlot_ = -1;
        return false;
    }
    if (!atBreak_) return false;
    // The hook looks at this process through the ordinary views (the
    // executor has written its registers back).
    pc_[slot] = pc;
    if (!atBreak_(slot, pc)) return false;
    held_ = true;
    FlushLink();
    passSlot_ = slot;
    passPc_ = pc;
    return true;
}

bool Machine::HoldAtFault(int slot, std::int32_t pc, const char* what) {
    if (!atFault_) return false;
    held_ = true;
    FlushLink();
    stepSlot_ = -1;
    faultSlot_ = slot;
    faultText_ = what ? what : "";
    atFault_(slot, pc, faultText_);
    return true;
}

void Machine::Resume(const LineSink& output) {
    if (faultSlot_ >= 0) {
        const int slot = faultSlot_;
        ReportRuntimeError(slot, pc_[slot], faultText_.c_str(), output);
        pc_[slot] = -1;
        sp_[slot] = 0;
        frameBase_[slot] = 0;
        frameMark_[slot] = 0;
        callDepth_[slot] = 0;
        faultSlot_ = -1;
        faultText_.clear();
    }
    stepSlot_ = -1;
    stepStop_ = nullptr;
    held_ = false;
}

void Machine::Step(int slot, StepHook stopBefore) {
    if (!held_ || slot < 0 || slot >= kProcessSlots || pc_[slot] < 0 || faultSlot_ >= 0) return;
    stepSlot_ = slot;
    stepStop_ = std::move(stopBefore);
}

void Machine::StepTick(const LineSink& output, const LineSink& trace) {
    const int slot = stepSlot_;
    linkError_ = 0;
    if (wait_[slot] > 0 && --wait_[slot] > 0) return;
    std::int32_t pc = pc_[slot];
    bool first = true;
    for (int budget = debugMode_ ? 1 : kRunBudget; budget > 0; --budget) {
        // The first instruction is the one the step starts from.
        if (pc < 0 || (!first && stepStop_ && stepStop_(slot, pc))) {
            stepSlot_ = -1;
            break;
        }
        first = false;
        const bool waits = static_cast<std::size_t>(pc) < code_.size() && code_[static_cast<std::size_t>(pc)] == kOpWAIT;
        passSlot_ = slot;  // the step's own flagged words are the hook's to judge
        passPc_ = pc;
        Executor executor(*this, slot, output, trace);
        pc = debugMode_ ? executor.Run<true>(pc, 1) : executor.Run<false>(pc, 1);
        pc_[slot] = pc;
        if (faultSlot_ >= 0 || pc < 0 || waits) {
            stepSlot_ = -1;
            break;
        }
        if (linkError_ != 0) break;
    }
    passSlot_ = -1;
    if (stepSlot_ >= 0) return;
    FlushLink();
    // The step ended here: on resuming, the process passes a flag it stands on.
    stepStop_ = nullptr;
    passSlot_ = slot;
    passPc_ = pc;
}

bool Machine::WriteData(std::size_t offset, std::span<const std::uint8_t> bytes) {
    if (offset > data_.size() || bytes.size() > data_.size() - offset) return false;
    if (!bytes.empty()) std::memcpy(data_.data() + offset, bytes.data(), bytes.size());
    return true;
}

bool Machine::SetStackInt(int slot, int i, std::int32_t v) {
    const std::size_t index = Index(slot, i);
    if (index >= ints_.size()) return false;
    ints_[index] = v;
    return true;
}

bool Machine::SetStackFloat(int slot, int i, double v) {
    const std::size_t index = Index(slot, i);
    if (index >= floats_.size()) return false;
    floats_[index] = v;
    return true;
}

}  // namespace vorn
