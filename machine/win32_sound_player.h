#pragma once
// PLAY on Windows: PlaySoundA starts the file and returns at once.
#include <string>

#include "machine/sound_player.h"

namespace vorn {

class Win32SoundPlayer : public SoundPlayer {
public:
    // False (" not found") only when the file cannot be opened for reading;
    // otherwise PlaySoundA(file, 0, SND_FILENAME | SND_ASYNC) is started and
    // its result, as with the real thing, is not examined.
    bool Play(const std::string& file) override;

    // The flags handed to PlaySoundA: SND_FILENAME | SND_ASYNC.
    static constexpr unsigned long kFlags = 0x20001;
};

}  // namespace vorn
