#include "machine/sound_player.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace vorn {

bool IsSpecialFile(const std::string& file) {
    if (file.empty() || file.find('\0') != std::string::npos) return false;
    std::error_code ec;
    const auto status = std::filesystem::status(file, ec);
    return !ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status);
}

bool DefaultSoundPlayer::Play(const std::string& file) {
    std::error_code ec;
    if (file.empty() || file.find('\0') != std::string::npos || !std::filesystem::is_regular_file(file, ec))
        return false;
    std::ifstream in(file, std::ios::binary);
    return in.good();
}

}  // namespace vorn
