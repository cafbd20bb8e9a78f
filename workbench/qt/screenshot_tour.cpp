#include "workbench/qt/screenshot_tour.h"

#include <QApplication>
#include <QDialog>
#include <QDeadlineTimer>
#include <QDir>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <cstdio>

#include "workbench/controller.h"
#include "workbench/qt/form_main.h"

namespace vorn {
namespace {

void Pause(int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
}

}  // namespace

ScreenshotTour::ScreenshotTour(TForm1& form, const QString& folder) : form_(form), folder_(folder) {}

bool ScreenshotTour::Save(const QString& name, QWidget* widget) {
    const QString path = QDir(folder_).filePath(name);
    if (!widget->grab().save(path)) {
        std::fprintf(stderr, "vorn: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("saved %s\n", qPrintable(path));
    std::fflush(stdout);
    return true;
}

int ScreenshotTour::Run() {
    if (!QDir().mkpath(folder_)) {
        std::fprintf(stderr, "vorn: cannot create %s\n", qPrintable(folder_));
        return 1;
    }
    bool ok = true;
    Pause(500);
    form_.SelectPage(kPageSource);
    Pause(200);
    ok &= Save(QStringLiteral("workbench-source.png"), &form_);

    // With the listing switched on the Compiler page has something to show.
    if (!form_.Controller().ShowCompilerOutput()) form_.Run(Command::kCompilerOutput);
    form_.Run(Command::kCompile);
    form_.SelectPage(kPageCompiler);
    Pause(200);
    ok &= Save(QStringLiteral("workbench-compiler.png"), &form_);
    if (!form_.Controller().Compiled()) {
        std::fprintf(stderr, "vorn: the program did not compile\n");
        return 1;
    }

    form_.Run(Command::kConnect);
    if (!form_.Controller().Connected()) {
        std::fprintf(stderr, "vorn: cannot connect to the simulator\n");
        return 1;
    }
    std::printf("connected\n");
    std::fflush(stdout);

    // Wait for the program's output to settle after the hot key.
    auto* output = form_.findChild<QPlainTextEdit*>(QStringLiteral("MMOutput"));
    QDeadlineTimer deadline(20000);
    int lastLength = -1;
    QDeadlineTimer quiet(0);
    while (!deadline.hasExpired()) {
        Pause(100);
        const int length = static_cast<int>(output->toPlainText().size());
        if (length != lastLength) {
            lastLength = length;
            quiet.setRemainingTime(1500);
        } else if (length > 0 && quiet.hasExpired()) {
            break;
        }
    }
    ok &= Save(QStringLiteral("workbench-output.png"), &form_);
    const QString text = output->toPlainText();
    for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        std::printf("output: %s\n", qPrintable(line));
    }
    std::fflush(stdout);

    // The about box is modal: photograph it from inside its own event loop.
    QTimer::singleShot(500, &form_, [this, &ok] {
        QWidget* about = QApplication::activeModalWidget();
        if (!about) {
            ok = false;
            return;
        }
        ok &= Save(QStringLiteral("workbench-about.png"), about);
        if (auto* button = about->findChild<QPushButton*>(QStringLiteral("BN_OK"))) button->click();
    });
    form_.Run(Command::kAbout);

    // Options > Simulator Link..., left with Cancel.
    QTimer::singleShot(500, &form_, [this, &ok] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            ok = false;
            return;
        }
        ok &= Save(QStringLiteral("workbench-link.png"), dialog);
        dialog->reject();
    });
    form_.Run(Command::kSimulatorLink);

    form_.Run(Command::kConnect);  // disconnect
    form_.close();
    return ok ? 0 : 1;
}

}  // namespace vorn
