#pragma once
// The virtual machine: one loaded program and its 101 processes. The
// applications keep one per program; tests make their own.
//
// Load reads a code image (and refuses a malformed one), Start registers the
// program's hot keys with FSUIPC, Tick runs one scheduling round (hot keys,
// then every active process for up to 500 instructions, 1 in debug mode),
// Stop releases the hot keys.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "fsuipc/offsets.h"
#include "machine/code_image.h"
#include "machine/debug_mode.h"
#include "machine/sound_player.h"

namespace vorn {

class IpcLink;
struct DecodedProgram;

using LineSink = std::function<void(const std::string&)>;
// The source place ("prog.vrn:6") of the instruction at a PC, or "".
using PlaceOfPc = std::function<std::string(std::int32_t pc)>;
// Debugger hooks (machine/debug_hooks.cpp). The machine knows no source: a
// debugger flags code words and decides at each one.
// At a flagged word, before its instruction: true holds the machine there.
using BreakHook = std::function<bool(int slot, std::int32_t pc)>;
// While a process is stepped, before each of its instructions: true ends
// the step there (the machine stays held).
using StepHook = std::function<bool(int slot, std::int32_t pc)>;
// A runtime error while a fault hook is set: the machine is held at the
// faulting instruction instead of ending the process.
using FaultHook = std::function<void(int slot, std::int32_t pc, const std::string& what)>;

inline constexpr int kProcessSlots = 101;
inline constexpr int kStackSlots = 51;
inline constexpr int kRunBudget = 500;
inline constexpr int kFirstSequenceSlot = 56;  // SSQ hands out 56..100

// FSUIPC's hot-key table as read: 4 bytes an entry.
using HotKeyTable = std::array<std::uint8_t, 4 * kHotKeyEntries>;

// What a reload did to the hot keys, counted per key routine.
struct HotKeyReload {
    int kept = 0;
    int added = 0;
    int removed = 0;
    std::vector<std::string> names;  // "kept Ctrl+G", "added Ctrl+P", "removed Shift+X"
};

class Machine {
public:
    // The link, the switch and the player must outlive the machine. Without
    // a player, PLAY uses a DefaultSoundPlayer.
    explicit Machine(IpcLink& link, const bool& debugMode = DebugMode, SoundPlayer* player = nullptr);
    ~Machine();
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    // Replaces the program. Every loader line goes to `trace`. A malformed
    // image is refused: false, one line saying why on `output` (when given)
    // and LoadError(), and the machine holds no program until the next load.
    bool Load(std::span<const std::uint8_t> image, const LineSink& trace,
              const LineSink& output = nullptr);
    // Registers every key routine's hot key. A key that finds none of the 56
    // entries free gets "No free hot-key slot for Ctrl+G" (naming its key,
    // once per key) on `output` and stays unregistered. An entry a lost link
    // left behind that still holds its key is taken again (said on `trace`).
    void Start(const LineSink& output = nullptr, const LineSink& trace = nullptr);
    void Stop();
    // Swaps in another program while the link stays open: every process
    // ends, a key that both programs have keeps its FSUIPC entry (no release
    // and register round trip, so no other client can take it in between),
    // the entries of keys that are gone are released and new keys are
    // registered. A malformed image changes nothing and returns false.
    bool Reload(std::span<const std::uint8_t> image, const LineSink& trace, const LineSink& output,
                HotKeyReload& keys);
    // Copies bytes into the data segment at a data address; false (and
    // nothing written) when they do not fit in it.
    bool WriteData(std::int32_t address, std::span<const std::uint8_t> bytes);
    void Tick(const LineSink& output, const LineSink& trace);
    // Runs one process for one tick from `pc`; returns its new PC.
    std::int32_t Run(std::int32_t pc, int slot, const LineSink& output, const LineSink& trace);
    // Instructions a process runs per tick outside debug mode: kRunBudget,
    // or fewer for a tool that must bound its work (the fuzz target).
    // Clamped to 1..kRunBudget.
    void SetRunBudget(int budget) { runBudget_ = budget < 1 ? 1 : budget > kRunBudget ? kRunBudget : budget; }

    // Names the source place in runtime error lines; empty: PCs only.
    void SetPlaceOfPc(PlaceOfPc placeOf) { placeOf_ = std::move(placeOf); }
    // Processes ended by a runtime error since the machine was made.
    std::int64_t RuntimeErrors() const { return runtimeErrors_; }

    // --- Debugger hooks ---
    // Flags these code words (others are cleared); the fast code keeps its
    // fused entries everywhere but at and across a flagged word.
    void SetBreakpoints(std::span<const std::int32_t> pcs);
    void SetDebugHooks(BreakHook atBreak, FaultHook atFault);
    // Held: Tick runs no process and polls no hot key (their flags stay set
    // in FSUIPC, so the routines start once the machine resumes). Hold is
    // a pause between ticks; a break or fault hook holds in mid-tick.
    bool Held() const { return held_; }
    void Hold();
    // Lets the machine run again. A process held at a fault now ends as a
    // runtime error would, with its line on `output`. The held process
    // passes the flagged word it is held at.
    void Resume(const LineSink& output);
    // While held: from the next Tick on, only `slot` runs, one instruction at
    // a time (budget and WAIT as usual), until `stopBefore` says so, the
    // process ends, executes a WAIT, or faults. The machine stays held.
    void Step(int slot, StepHook stopBefore);
    bool Stepping() const { return stepSlot_ >= 0; }
    // The process held at a fault and its message; -1 and "" when none.
    int FaultSlot() const { return faultSlot_; }
    const std::string& FaultText() const { return faultText_; }
    // CALLs of the process not yet returned from.
    std::int32_t CallDepth(int slot) const { return callDepth_.at(slot); }
    // Writes for a debugger's "set variable", bounds checked: false outside.
    bool WriteData(std::size_t offset, std::span<const std::uint8_t> bytes);
    bool SetStackInt(int slot, int i, std::int32_t v);
    bool SetStackFloat(int slot, int i, double v);

    // Read-only views for tests and tools.
    bool Loaded() const { return loaded_; }
    const std::string& LoadError() const { return loadError_; }
    std::int32_t ProcessPc(int slot) const { return pc_.at(slot); }
    std::int32_t StackPointer(int slot) const { return sp_.at(slot); }
    std::int32_t FrameBase(int slot) const { return frameBase_.at(slot); }
    std::int32_t FrameMark(int slot) const { return frameMark_.at(slot); }
    std::int32_t WaitCount(int slot) const { return wait_.at(slot); }
    std::int32_t StackInt(int slot, int i) const { return ints_.at(Index(slot, i)); }
    double StackFloat(int slot, int i) const { return floats_.at(Index(slot, i)); }
    std::uint8_t StackTag(int slot, int i) const { return tags_.at(Index(slot, i)); }
    bool HotKeyRegistered(int slot) const { return registered_.at(slot) != 0; }
    // Hot-key slot of key routine k, -1 when it is not registered.
    std::int32_t HotKeySlot(int k) const { return hotKeySlot_.at(k); }
    std::int32_t LinkError() const { return linkError_; }
    std::span<const std::uint8_t> DataSegment() const { return data_; }
    std::span<const std::int32_t> Code() const { return code_; }
    std::span<const std::int32_t> Labels() const { return labels_; }
    int KeyRoutineCount() const { return static_cast<int>(keys_.size()); }
    std::int32_t KeyEntryPoint(int k) const { return keys_.at(static_cast<std::size_t>(k)).entryPoint; }
    std::span<const CodeImage::KeyRoutine> KeyRoutines() const { return keys_; }

    // Find free process slot: the first of 56..100 whose PC is negative, with
    // its stack pointer, frame base and wait count reset; -1 when none is free.
    int FindFreeProcessSlot();

private:
    friend class Executor;
    static std::size_t Index(int slot, int i);
    void ClearProgram();
    // Hot-key entries (hot_keys.cpp). Takes a free FSUIPC hot-key entry for
    // key routine k, choosing from `table` and keeping it up to date; false
    // when none is free (reported once per key through `unregistered`).
    bool RegisterKey(std::size_t k, HotKeyTable& table, std::vector<std::string>& unregistered,
                     const LineSink& output, const LineSink& trace);
    // Withdraws this machine's entry i from FSUIPC's table.
    void ReleaseEntry(int i);
    bool ReadHotKeyTable(HotKeyTable& table);
    // Writes entry i and reads the table as it was just before, in one request.
    bool SwapHotKeyEntry(int i, std::uint32_t value, HotKeyTable& before);
    void TakeBackLeftEntries(const HotKeyTable& table, const LineSink& trace);
    void Claim(std::size_t k, int i, std::uint32_t value);
    // False when the link failed; true when cleared or no longer this machine's.
    bool ClearEntryIfHeld(int i, std::uint32_t value);
    // Entry i no longer holds its key: the key moves to another entry.
    void HotKeyEntryLost(int i, const LineSink& output, const LineSink& trace);
    bool HoldsEntry(int i, std::uint32_t entry) const;
    // Counts the fault and reports it on `output` in the one runtime-error form.
    void ReportRuntimeError(int slot, std::int32_t pc, const char* what, const LineSink& output);
    // Called by the executor at a flagged word, its registers written back;
    // true: held there.
    bool BreakHit(int slot, std::int32_t pc);
    // True: held at the fault (a fault hook is set).
    bool HoldAtFault(int slot, std::int32_t pc, const char* what);
    void StepTick(const LineSink& output, const LineSink& trace);
    // Sends the writes a batched link holds back (fsuipc/ipc_link.h): at a
    // stop, so that what the simulator shows is what the program wrote.
    void FlushLink();
    // A new program: no flags, not held, no step, no fault.
    void ForgetDebugState();

    IpcLink& link_;
    const bool& debugMode_;
    int runBudget_ = kRunBudget;
    SoundPlayer* player_;
    std::unique_ptr<SoundPlayer> defaultPlayer_;

    // Program tables, sized at load.
    bool loaded_ = false;
    std::string loadError_;
    std::vector<std::int32_t> code_;
    std::vector<std::int32_t> labels_;
    std::vector<CodeImage::KeyRoutine> keys_;
    std::vector<std::uint8_t> data_;
    std::unique_ptr<DecodedProgram> decoded_;

    // Process table.
    std::array<std::int32_t, kProcessSlots> pc_{};
    std::array<std::int32_t, kProcessSlots> sp_{};
    std::array<std::int32_t, kProcessSlots> frameBase_{};
    std::array<std::int32_t, kProcessSlots> frameMark_{};
    std::array<std::int32_t, kProcessSlots> wait_{};
    std::array<std::uint8_t, kProcessSlots> registered_{};
    // CALLs not yet returned from. A RET with none is a `return` at the level
    // of a key routine or sequence: there is no return point, the process ends.
    std::array<std::int32_t, kProcessSlots> callDepth_{};
    // The operand stacks' three fields as parallel arrays, so a push of one
    // kind leaves the other field of the slot as it was.
    std::vector<std::int32_t> ints_ = std::vector<std::int32_t>(kProcessSlots * kStackSlots);
    std::vector<double> floats_ = std::vector<double>(kProcessSlots * kStackSlots);
    std::vector<std::uint8_t> tags_ = std::vector<std::uint8_t>(kProcessSlots * kStackSlots);

    std::array<std::int32_t, kProcessSlots> hotKeySlot_{};
    // What this machine wrote into each entry it registered.
    std::array<std::uint32_t, kProcessSlots> written_{};
    // Entries a release over a lost link left on the server.
    struct LeftEntry {
        int slot;
        std::uint32_t value;
    };
    std::vector<LeftEntry> leftEntries_;
    std::int32_t linkError_ = 0;
    PlaceOfPc placeOf_;
    std::int64_t runtimeErrors_ = 0;

    // Debugger state.
    std::vector<std::uint8_t> breaks_;  // one flag per code word, empty when none
    BreakHook atBreak_;
    FaultHook atFault_;
    bool held_ = false;
    int passSlot_ = -1;  // this process passes the flagged word at passPc_ once
    std::int32_t passPc_ = -1;
    int stepSlot_ = -1;
    StepHook stepStop_;
    int faultSlot_ = -1;
    std::string faultText_;
};

}  // namespace vorn
