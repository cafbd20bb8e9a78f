#include "workbench/qt/screenshot_tour.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QThread>
#include <QTimer>
#include <cstdio>

#include "workbench/qt/form_main.h"
#include "workbench/screenshot_tour.h"

namespace vorn {
namespace {

class QtCamera : public TourCamera {
public:
    QtCamera(TForm1& form, const QString& folder) : form_(form), folder_(folder) {}

    void Pause(int ms) override {
        QDeadlineTimer deadline(ms);
        while (!deadline.hasExpired()) {
            QApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(10);
        }
    }

    bool Photograph(const std::string& name) override { return Save(name, &form_); }

    bool PhotographDialog(const std::string& name, Command command) override {
        // The dialog is modal: it is photographed from inside its own event loop.
        bool saved = false;
        QTimer::singleShot(500, &form_, [this, &saved, name] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) return;
            saved = Save(name, dialog);
            dialog->reject();
        });
        form_.Run(command);
        return saved;
    }

    std::string PageText(PageIndex page) override {
        const auto* memo = form_.findChild<QPlainTextEdit*>(PageComponent(page)->owner);
        return memo != nullptr ? memo->toPlainText().toStdString() : std::string();
    }

private:
    bool Save(const std::string& name, QWidget* widget) {
        const QString path = QDir(folder_).filePath(QStringLiteral("workbench-%1.png").arg(QString::fromStdString(name)));
        if (!widget->grab().save(path)) {
            std::fprintf(stderr, "vorn: cannot write %s\n", qPrintable(path));
            return false;
        }
        std::printf("saved %s\n", qPrintable(path));
        std::fflush(stdout);
        return true;
    }

    TForm1& form_;
    QString folder_;
};

}  // namespace

int RunScreenshotTour(TForm1& form, const QString& folder) {
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "vorn: cannot create %s\n", qPrintable(folder));
        return 1;
    }
    QtCamera camera(form, folder);
    const int result = RunTour(form.Core(), camera);
    form.close();
    return result;
}

}  // namespace vorn
