// vorn: the Qt workbench.
//   vorn [--connect] [FILE]         open FILE in the editor at start; with
//                                   --connect compile it and connect
//   vorn --screenshots DIR FILE     see screenshot_tour.h
#include <QApplication>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>

#include "fsuipc/ipc.h"
#include "machine/debug_mode.h"
#include "machine/machine.h"
#include "workbench/qt/form_main.h"
#include "workbench/qt/qt_sound_player.h"
#include "workbench/qt/screenshot_tour.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vorn"));

    QStringList args = QApplication::arguments();
    args.removeFirst();
    QString screenshotDir;
    if (!args.isEmpty() && args.first() == QLatin1String("--screenshots")) {
        if (args.size() != 3) {
            std::fprintf(stderr, "usage: vorn --screenshots DIR FILE\n");
            return 2;
        }
        // Absolute now: opening the file moves into the file's folder.
        screenshotDir = QFileInfo(args.at(1)).absoluteFilePath();
        args = args.mid(2);
    }
    const bool connect = !args.isEmpty() && args.first() == QLatin1String("--connect");
    if (connect) args.removeFirst();
    if (args.size() > 1 || (!args.isEmpty() && args.first().startsWith(QLatin1Char('-')))) {
        std::fprintf(stderr, "usage: vorn [--connect] [FILE]\n");
        return 2;
    }

    vorn::QtSoundPlayer player;
    vorn::Machine machine(vorn::ProgramLink(), vorn::DebugMode, &player);
    vorn::TForm1 form(vorn::ProgramLink(), machine);
    form.show();
    if (!args.isEmpty()) form.StartWith(args.first(), connect);

    if (!screenshotDir.isEmpty()) {
        vorn::ScreenshotTour tour(form, screenshotDir);
        return tour.Run();
    }
    return QApplication::exec();
}
