// Hot-key registration and release. Other FSUIPC clients share the table,
// so an entry is taken in one request that also reads the whole table as it
// was just before the write (the server applies a request as a whole): that
// read tells whether the entry was still free.
#include <algorithm>
#include <string>
#include <vector>

#include "fsuipc/hot_key_name.h"
#include "fsuipc/ipc_link.h"
#include "fsuipc/offsets.h"
#include "fsuipc/request_block.h"
#include "machine/code_image.h"
#include "machine/machine.h"

namespace vorn {
namespace {

std::uint16_t EntryOffset(int i) { return static_cast<std::uint16_t>(kOffsetHotKeyTable + 4 * i); }

std::uint32_t EntryAt(const HotKeyTable& table, int i) { return LoadU32(table.data() + 4 * i); }

// The flag byte is the server's to set: an entry is this machine's while the
// key, modifier and spare byte it wrote are unchanged.
bool Holds(std::uint32_t entry, std::uint32_t value) { return (entry & 0xFFFFFF) == (value & 0xFFFFFF); }

// Key code, modifier, 0, flag 0.
std::uint32_t EntryValue(const CodeImage::KeyRoutine& key) {
    return (static_cast<std::uint32_t>(key.keyCode) & 0xFF) | (static_cast<std::uint32_t>(key.modifier) & 0xFF) << 8;
}

std::string KeyName(std::uint32_t value) {
    return HotKeyName(static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8));
}

}  // namespace

bool Machine::ReadHotKeyTable(HotKeyTable& table) {
    return link_.ReadBlock(table.data(), kOffsetHotKeyTable, static_cast<std::uint16_t>(table.size())) == kIpcOk;
}

bool Machine::SwapHotKeyEntry(int i, std::uint32_t value, HotKeyTable& before) {
    std::uint8_t bytes[4];
    StoreU32(bytes, value);
    IpcResult result = kIpcOk;
    const bool queued = link_.QueueRead(kOffsetHotKeyTable, static_cast<std::uint32_t>(before.size()), before.data(),
                                        result) &&
                        link_.QueueWrite(EntryOffset(i), 4, bytes, result);
    // Exchanged even when queuing failed, so that the queue ends empty.
    const bool exchanged = link_.Exchange(result);
    return queued && exchanged;
}

void Machine::Start(const LineSink& output, const LineSink& trace) {
    if (!loaded_) return;
    // A second Start would leave the first registrations behind in FSUIPC.
    Stop();
    hotKeySlot_.fill(-1);
    HotKeyTable table{};
    // A table that cannot be read counts as full.
    if (ReadHotKeyTable(table)) {
        TakeBackLeftEntries(table, trace);
    } else {
        table.fill(0xFF);
    }
    // Keys already reported: two routines of one key get one line.
    std::vector<std::string> unregistered;
    for (std::size_t k = 0; k < keys_.size(); ++k)
        if (hotKeySlot_[k] < 0) RegisterKey(k, table, unregistered, output, trace);
}

// Entries a lost link could not release: where the server still holds
// exactly what this machine wrote, a key of the program takes its entry
// again instead of a second one; the rest are released now.
void Machine::TakeBackLeftEntries(const HotKeyTable& table, const LineSink& trace) {
    std::vector<LeftEntry> left;
    left.swap(leftEntries_);
    for (const LeftEntry& e : left) {
        if (registered_[e.slot] != 0 || !Holds(EntryAt(table, e.slot), e.value)) continue;
        bool taken = false;
        for (std::size_t k = 0; k < keys_.size() && !taken; ++k) {
            if (hotKeySlot_[k] >= 0 || EntryValue(keys_[k]) != e.value) continue;
            Claim(k, e.slot, e.value);
            taken = true;
            if (trace) trace("hot key " + KeyName(e.value) + " takes its entry " + std::to_string(e.slot) + " again");
        }
        if (!taken) ClearEntryIfHeld(e.slot, e.value);
    }
}

void Machine::Claim(std::size_t k, int i, std::uint32_t value) {
    registered_[i] = 1;
    written_[i] = value;
    pc_[i] = -1;
    hotKeySlot_[k] = i;
}

bool Machine::RegisterKey(std::size_t k, HotKeyTable& table, std::vector<std::string>& unregistered,
                          const LineSink& output, const LineSink& trace) {
    hotKeySlot_[k] = -1;
    const std::uint32_t value = EntryValue(keys_[k]);
    for (;;) {
        int free = -1;
        // Only the 56 entries of FSUIPC's table: beyond it lie other offsets.
        for (int i = 0; i < kHotKeyEntries && free < 0; ++i)
            if (registered_[i] == 0 && EntryAt(table, i) == 0) free = i;
        if (free < 0) {
            const std::string key = KeyName(value);
            if (std::find(unregistered.begin(), unregistered.end(), key) == unregistered.end()) {
                unregistered.push_back(key);
                if (output) output("No free hot-key slot for " + key);
            }
            return false;
        }
        HotKeyTable before{};
        if (!SwapHotKeyEntry(free, value, before)) {
            // Not known whether it landed: remembered, so that a reconnect
            // to the same server finds it.
            leftEntries_.push_back({free, value});
            return false;
        }
        const std::uint32_t was = EntryAt(before, free);
        table = before;
        StoreU32(table.data() + 4 * free, value);
        if (was != 0 && Holds(was, value)) {
            // Another client registered the same key there meanwhile: the
            // entry stays its, this key looks further.
            StoreU32(table.data() + 4 * free, was);
            continue;
        }
        // A client that chose this entry from an older table may have taken
        // it just before: the last write wins, and that client sees at its
        // next tick that its key is no longer there, and moves.
        if (was != 0 && trace)
            trace("hot-key entry " + std::to_string(free) + " was taken meanwhile; " + KeyName(value) + " holds it now");
        Claim(k, free, value);
        return true;
    }
}

void Machine::HotKeyEntryLost(int i, const LineSink& output, const LineSink& trace) {
    const std::uint32_t value = written_[i];
    registered_[i] = 0;
    if (trace) trace("hot-key entry " + std::to_string(i) + " of " + KeyName(value) + " was taken by another client");
    for (std::size_t k = 0; k < keys_.size(); ++k) {
        if (hotKeySlot_[k] != i) continue;
        HotKeyTable table{};
        if (!ReadHotKeyTable(table)) {
            hotKeySlot_[k] = -1;
            continue;  // the link check says why
        }
        std::vector<std::string> unregistered;
        RegisterKey(k, table, unregistered, output, trace);
    }
}

bool Machine::HoldsEntry(int i, std::uint32_t entry) const { return Holds(entry, written_[i]); }

// Read first, then cleared only while it still holds what this machine
// wrote: an entry another client has taken since stays as it is.
bool Machine::ClearEntryIfHeld(int i, std::uint32_t value) {
    const std::int32_t now = link_.ReadLong(EntryOffset(i));
    if (link_.LastResult() != kIpcOk) return false;
    if (!Holds(static_cast<std::uint32_t>(now), value)) return true;
    return link_.WriteLong(0, EntryOffset(i));
}

void Machine::ReleaseEntry(int i) {
    // Over a lost link the entry stays on the server; remembered, so that a
    // reconnect to the same server takes it again.
    if (!ClearEntryIfHeld(i, written_[i])) leftEntries_.push_back({i, written_[i]});
    registered_[i] = 0;
    pc_[i] = -1;
}

void Machine::Stop() {
    for (int i = 0; i < kProcessSlots; ++i)
        if (registered_[i] != 0) ReleaseEntry(i);
}

}  // namespace vorn
