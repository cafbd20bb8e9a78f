#include "machine/sound_player.h"

#include <fstream>

namespace vorn {

bool DefaultSoundPlayer::Play(const std::string& file) {
    if (file.empty()) return false;
    std::ifstream in(file, std::ios::binary);
    return in.good();
}

}  // namespace vorn
