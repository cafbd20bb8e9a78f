#include "machine/machine.h"
#ifdef _WIN32
#include "machine/win32_sound_player.h"
#endif

#include "machine/decoded.h"
#include "machine/runtime_error.h"

namespace vorn {

Machine::Machine(IpcLink& link, const bool& debugMode, SoundPlayer* player)
    : link_(link), debugMode_(debugMode), player_(player) {
    if (player_ == nullptr) {
#ifdef _WIN32
        defaultPlayer_ = std::make_unique<Win32SoundPlayer>();
#else
        defaultPlayer_ = std::make_unique<DefaultSoundPlayer>();
#endif
        player_ = defaultPlayer_.get();
    }
    pc_.fill(-1);
    hotKeySlot_.fill(-1);
}

Machine::~Machine() = default;

std::size_t Machine::Index(int slot, int i) {
    if (slot < 0 || slot >= kProcessSlots || i < 0 || i >= kStackSlots) return static_cast<std::size_t>(-1);
    return static_cast<std::size_t>(slot) * kStackSlots + static_cast<std::size_t>(i);
}

void Machine::ClearProgram() {
    loaded_ = false;
    code_.clear();
    labels_.clear();
    keys_.clear();
    data_.clear();
    decoded_.reset();
    hotKeySlot_.fill(-1);
}

void Machine::ReportRuntimeError(int slot, std::int32_t pc, const char* what, const LineSink& output) {
    ++runtimeErrors_;
    if (!output) return;
    output(RuntimeErrorLine(slot, pc, placeOf_ ? placeOf_(pc) : std::string(), what));
}

int Machine::FindFreeProcessSlot() {
    for (int slot = kFirstSequenceSlot; slot < kProcessSlots; ++slot) {
        if (pc_[slot] < 0) {
            sp_[slot] = 0;
            frameBase_[slot] = 0;
            wait_[slot] = 0;
            return slot;
        }
    }
    return -1;
}

}  // namespace vorn
