#pragma once
// PLAY's way to the speakers. The machine hands a file name over and goes
// on; applications plug in a real asynchronous player (Qt Multimedia in the
// GUI), so this library stays free of any toolkit.
#include <string>

namespace vorn {

class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // Starts playback and returns at once. False: the file cannot be played
    // (the machine then prints the file name followed by " not found").
    virtual bool Play(const std::string& file) = 0;
};

// True when the name leads to something that exists but is no regular file
// (a folder, a pipe, a device; links followed). PLAY hands no such name to a
// player: opening a pipe or a device could block for ever.
bool IsSpecialFile(const std::string& file);

// The player used when the application supplies none: it has no audio
// output, so it only checks that the file can be opened for reading.
class DefaultSoundPlayer : public SoundPlayer {
public:
    bool Play(const std::string& file) override;
};

}  // namespace vorn
