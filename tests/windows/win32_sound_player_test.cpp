// PLAY on Windows: PlaySoundA is started for a file that exists and the call
// returns at once; a name that cannot be opened is reported as not found.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "machine/win32_sound_player.h"

namespace vorn {
namespace {

std::string TempPath(const char* name) {
    char dir[MAX_PATH];
    const DWORD n = GetTempPathA(MAX_PATH, dir);
    return std::string(dir, n) + name;
}

// A valid one-second 8 kHz mono WAV file of silence.
void WriteWave(const std::string& path) {
    const std::uint32_t samples = 8000;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    auto u32 = [f](std::uint32_t v) { std::fwrite(&v, 4, 1, f); };
    auto u16 = [f](std::uint16_t v) { std::fwrite(&v, 2, 1, f); };
    std::fwrite("RIFF", 1, 4, f);
    u32(36 + samples);
    std::fwrite("WAVEfmt ", 1, 8, f);
    u32(16), u16(1), u16(1), u32(8000), u32(8000), u16(1), u16(8);
    std::fwrite("data", 1, 4, f);
    u32(samples);
    for (std::uint32_t i = 0; i < samples; ++i) std::fputc(128, f);
    std::fclose(f);
}

TEST(Win32SoundPlayer, FlagsAreFileNameAndAsync) { EXPECT_EQ(Win32SoundPlayer::kFlags, 0x20001ul); }

TEST(Win32SoundPlayer, ExistingFileStartsAndReturnsAtOnce) {
    const std::string wave = TempPath("vorn_play_test.wav");
    WriteWave(wave);
    Win32SoundPlayer player;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(player.Play(wave));
    const auto took = std::chrono::steady_clock::now() - start;
    // The sound lasts a second; an asynchronous start comes back long before.
    EXPECT_LT(took, std::chrono::milliseconds(900));
    PlaySoundA(nullptr, nullptr, 0);  // stop it before the file goes
    DeleteFileA(wave.c_str());
}

TEST(Win32SoundPlayer, NamesThatCannotBeOpenedAreNotFound) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    const std::string cases[] = {"", "C:\\no\\such\\sound.wav", "no_such_sound.wav", dir};
    Win32SoundPlayer player;
    for (const std::string& name : cases) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(player.Play(name));
    }
}

}  // namespace
}  // namespace vorn
