#include "workbench/qt/qt_sound_player.h"

#include <QAudioOutput>
#include <QFile>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QUrl>

namespace vorn {

QtSoundPlayer::QtSoundPlayer(QObject* parent) : QObject(parent) {}

QtSoundPlayer::~QtSoundPlayer() {
    if (player_) player_->stop();
}

bool QtSoundPlayer::Play(const std::string& file) {
    // Names come from the running program: check that they name a readable
    // file before handing them to the media backend.
    const QString name = QString::fromLocal8Bit(file.data(), static_cast<qsizetype>(file.size()));
    const QFileInfo info(name);
    if (name.isEmpty() || !info.isFile()) return false;
    QFile probe(name);
    if (!probe.open(QIODevice::ReadOnly)) return false;
    probe.close();

    // Created on first use: a program that never plays needs no audio device.
    if (!player_) {
        player_ = new QMediaPlayer(this);
        output_ = new QAudioOutput(this);
        player_->setAudioOutput(output_);
    }
    player_->stop();
    player_->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
    player_->play();  // asynchronous; errors surface on the backend's signals
    return true;
}

QString QtSoundPlayer::CurrentFile() const {
    return player_ ? player_->source().toLocalFile() : QString();
}

}  // namespace vorn
