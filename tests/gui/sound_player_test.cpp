// PLAY's player: names that are no readable file are refused at once; a real
// sound file is accepted and Play returns without waiting for it to finish.
#include <QDataStream>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "workbench/qt/qt_sound_player.h"

using namespace vorn;

namespace {

// Two seconds of a 440 Hz tone as 16-bit mono PCM.
QByteArray ToneWav() {
    const int rate = 8000;
    const int samples = rate * 2;
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + samples * 2);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(rate) << quint32(rate * 2) << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(samples * 2);
    for (int i = 0; i < samples; ++i) out << qint16((i / 9) % 2 ? 8000 : -8000);
    return data;
}

}  // namespace

class SoundPlayerTest : public QObject {
    Q_OBJECT
private slots:
    void refusesWhatIsNoReadableFile_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("empty name") << "";
        QTest::newRow("missing file") << "no-such-sound.wav";
        QTest::newRow("a folder") << ".";
    }
    void refusesWhatIsNoReadableFile() {
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString path = name.isEmpty() ? name : dir.filePath(name);
        QtSoundPlayer player;
        QVERIFY(!player.Play(path.toStdString()));
        QVERIFY(player.CurrentFile().isEmpty());
    }

    void startsARealFileAndReturnsAtOnce() {
        QTemporaryDir dir;
        const QString path = dir.filePath("tone.wav");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(ToneWav());
        file.close();

        QtSoundPlayer player;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(player.Play(path.toStdString()));
        // The tone lasts two seconds; Play must not wait for it.
        QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(player.CurrentFile(), path);
        // A second sound replaces the first.
        const QString second = dir.filePath("second.wav");
        QVERIFY(QFile::copy(path, second));
        QVERIFY(player.Play(second.toStdString()));
        QCOMPARE(player.CurrentFile(), second);
    }
};

QTEST_MAIN(SoundPlayerTest)
#include "sound_player_test.moc"
