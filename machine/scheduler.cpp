// The tick's two phases and the run of one process.
#include <cstdio>
#include <string>
#include <vector>

#include "fsuipc/ipc_link.h"
#include "fsuipc/offsets.h"
#include "machine/code_image.h"
#include "machine/executor.h"
#include "machine/machine.h"

namespace vorn {
namespace {

std::uint16_t EntryOffset(int i) { return static_cast<std::uint16_t>(kOffsetHotKeyTable + 4 * i); }
std::uint16_t FlagOffset(int i) { return static_cast<std::uint16_t>(kOffsetHotKeyTable + 3 + 4 * i); }

}  // namespace

void Machine::Tick(const LineSink& output, const LineSink& trace) {
    if (!loaded_) return;
    if (held_) {
        if (stepSlot_ >= 0) StepTick(output, trace);
        return;
    }
    bool consumed = false;
    for (int i = 0; i < kProcessSlots; ++i) {
        if (registered_[i] == 0) continue;
        // The whole entry: one that no longer holds this key was taken by
        // another client, and its flag is not this program's.
        const std::int32_t entry = link_.ReadLong(EntryOffset(i));
        if (link_.LastResult() != kIpcOk) continue;  // a failed read is no press
        if (!HoldsEntry(i, static_cast<std::uint32_t>(entry))) {
            HotKeyEntryLost(i, output, trace);
            continue;
        }
        const std::int32_t flag = static_cast<std::int32_t>(static_cast<std::uint32_t>(entry) >> 24);
        if (flag == 0) continue;
        link_.WriteByte(0, FlagOffset(i));  // consumed whether or not it starts anything
        consumed = true;
        if (pc_[i] >= 0) continue;          // still running: the press is dropped
        for (std::size_t k = 0; k < keys_.size(); ++k) {
            if (hotKeySlot_[k] != i) continue;
            pc_[i] = keys_[k].entryPoint;
            callDepth_[i] = 0;
            char buf[80];
            if (keys_[k].paramAddress != -1) {
                const std::size_t off = static_cast<std::size_t>(keys_[k].paramAddress - kDataBase);
                data_[off] = static_cast<std::uint8_t>(flag);
                data_[off + 1] = 0;
                data_[off + 2] = 0;
                data_[off + 3] = 0;
                std::snprintf(buf, sizeof buf, "Write %d to loc %d", flag, keys_[k].paramAddress - kDataBase);
                if (trace) trace(buf);
            }
            std::snprintf(buf, sizeof buf, "start sequence %d at %d", static_cast<int>(k), keys_[k].entryPoint);
            if (trace) trace(buf);
            break;
        }
    }
    // A batched link would hold the clearing writes until the next tick, and
    // a press that came meanwhile would be cleared unseen: they go now.
    if (consumed) FlushLink();
    for (int j = 0; j < kProcessSlots; ++j) {
        if (pc_[j] >= 0) pc_[j] = Run(pc_[j], j, output, trace);
        if (held_) break;  // a breakpoint or a fault: no further process runs
    }
}

std::int32_t Machine::Run(std::int32_t pc, int slot, const LineSink& output, const LineSink& trace) {
    if (!loaded_ || slot < 0 || slot >= kProcessSlots || pc < 0) return pc;
    const int budget = debugMode_ ? 1 : runBudget_;
    linkError_ = 0;
    if (wait_[slot] > 0) {
        --wait_[slot];
        if (wait_[slot] > 0) return pc;
    }
    if (pc > static_cast<std::int32_t>(code_.size())) {
        ReportRuntimeError(slot, pc, "PC outside the code", output);
        pc_[slot] = -1;
        return -1;
    }
    // Marks the slot busy, so an SSQ of this process cannot pick it.
    pc_[slot] = pc;
    Executor executor(*this, slot, output, trace);
    pc = debugMode_ ? executor.Run<true>(pc, budget) : executor.Run<false>(pc, budget);
    pc_[slot] = pc;
    return pc;
}

}  // namespace vorn
