// vorn: the Qt workbench.
//   vorn [--connect] [FILE]         open FILE in the editor at start; with
//                                   --connect compile it and connect
//   vorn --screenshots DIR FILE     see screenshot_tour.h
#include <QApplication>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>
#include <cstring>

#include "fsuipc/ipc.h"
#include "machine/debug_mode.h"
#include "machine/machine.h"
#include "workbench/qt/form_main.h"
#include "workbench/qt/qt_sound_player.h"
#include "workbench/qt/screenshot_tour.h"

namespace {

// The options, for --help and (through it) the man page.
struct MainOption {
    const char* name;
    const char* text;
};
constexpr MainOption kOptions[] = {
    {"FILE", "open FILE in the editor at start"},
    {"--screenshots DIR FILE", "open FILE, save a picture of every page in DIR and quit (for the documents)"},
    {"--help", "print this help"},
};

void PrintHelp() {
    std::printf("usage: vorn [FILE]\nusage: vorn --screenshots DIR FILE\n\n"
                "the Vorn workbench: edit, compile and run programs against the simulator\n\noptions:\n");
    for (const MainOption& o : kOptions) std::printf("  %-24s %s\n", o.name, o.text);
}

}  // namespace

int main(int argc, char** argv) {
    // Before Qt starts: help needs no display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            PrintHelp();
            return 0;
        }
    }
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
        return vorn::RunScreenshotTour(form, screenshotDir);
    }
    return QApplication::exec();
}
