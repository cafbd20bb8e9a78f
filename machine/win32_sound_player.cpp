#include "machine/win32_sound_player.h"

#include <windows.h>
#include <mmsystem.h>

namespace vorn {

static_assert(Win32SoundPlayer::kFlags == (SND_FILENAME | SND_ASYNC));

bool Win32SoundPlayer::Play(const std::string& file) {
    // PlaySoundA plays the system's default sound for a missing file and
    // still reports success; look for the file first so the program hears
    // about a wrong name, as it does on other platforms.
    if (file.empty() || file.find('\0') != std::string::npos) return false;
    HANDLE h = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    PlaySoundA(file.c_str(), nullptr, kFlags);
    return true;
}

}  // namespace vorn
