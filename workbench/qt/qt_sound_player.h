#pragma once
// PLAY through Qt Multimedia. Like the Windows call it stands in for, a new
// sound replaces the one still playing, and Play returns at once.
#include <QObject>
#include <string>

#include "machine/sound_player.h"

class QAudioOutput;
class QMediaPlayer;

namespace vorn {

class QtSoundPlayer : public QObject, public SoundPlayer {
    Q_OBJECT
public:
    explicit QtSoundPlayer(QObject* parent = nullptr);
    ~QtSoundPlayer() override;

    // False when the file does not exist or cannot be opened for reading.
    bool Play(const std::string& file) override;

    // The file being played, empty when none; for tests and tools.
    QString CurrentFile() const;

private:
    QMediaPlayer* player_ = nullptr;
    QAudioOutput* output_ = nullptr;
};

}  // namespace vorn
