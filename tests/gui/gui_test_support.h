#pragma once
// Shared pieces of the window tests: a real TForm1 over a real (unconnected)
// FSUIPC link and machine, and a driver for the modal boxes and dialogs the
// commands open, so a test can answer them the way a user would.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QMessageBox>
#include <QPushButton>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include "fsuipc/ipc_link.h"
#include "fsuipc/platform_transport.h"
#include "machine/debug_mode.h"
#include "machine/machine.h"
#include "sim/sim_process.h"
#include "workbench/controller.h"
#include "workbench/qt/form_main.h"

namespace vorn::test {

struct FormFixture {
    FormFixture() { DebugMode = false; }
    std::unique_ptr<IpcTransport> transport = MakePlatformTransport();
    IpcLink link{*transport};
    Machine machine{link, DebugMode};
    TForm1 form{link, machine};
};

// A new window, shown and exposed; false when it never appears.
[[nodiscard]] inline bool ShowNewWindow(std::unique_ptr<FormFixture>& f) {
    f = std::make_unique<FormFixture>();
    f->form.show();
    return QTest::qWaitForWindowExposed(&f->form);
}

// Starts a vorn-sim process and shows a window beside it; an empty text when
// both are up, otherwise what failed.
inline QString StartSimAndWindow(const char* simPath, std::unique_ptr<SimProcess>& sim,
                                 std::unique_ptr<FormFixture>& f, const std::vector<std::string>& simArguments = {}) {
    sim = std::make_unique<SimProcess>();
    std::string error;
    if (!sim->Start(simPath, simArguments, error)) return QString::fromStdString(error);
    if (!ShowNewWindow(f)) return QStringLiteral("the window was never shown");
    return {};
}

// Answers the modal windows that open from now on, one step per window, in
// order. A modal window beyond the steps is rejected and counted.
class ModalScript : public QObject {
public:
    using Step = std::function<void(QWidget*)>;

    explicit ModalScript(std::vector<Step> steps) : steps_(std::move(steps)) {
        connect(&poll_, &QTimer::timeout, this, [this] { Poll(); });
        poll_.start(10);
    }

    int Handled() const { return handled_; }
    int Unexpected() const { return unexpected_; }

private:
    void Poll() {
        QWidget* w = QApplication::activeModalWidget();
        if (w == nullptr || !w->isVisible() || w == last_.data()) return;
        // Act only once the window has settled in its own event loop: an
        // answer given while it is still being shown would be lost.
        if (w != candidate_.data()) {
            candidate_ = w;
            seen_.start();
            return;
        }
        if (seen_.elapsed() < 50) return;
        last_ = w;
        if (handled_ < static_cast<int>(steps_.size())) {
            steps_[handled_++](w);
            return;
        }
        ++unexpected_;
        if (auto* dialog = qobject_cast<QDialog*>(w)) dialog->reject();
    }

    std::vector<Step> steps_;
    QTimer poll_;
    QPointer<QWidget> last_;
    QPointer<QWidget> candidate_;
    QElapsedTimer seen_;
    int handled_ = 0;
    int unexpected_ = 0;
};

// Steps for the usual answers.
inline ModalScript::Step Answer(QMessageBox::StandardButton button, QString* textSeen = nullptr) {
    return [button, textSeen](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (box == nullptr) {
            qobject_cast<QDialog*>(w)->reject();
            return;
        }
        if (textSeen) *textSeen = box->text();
        box->button(button)->click();
    };
}

inline ModalScript::Step ChooseFile(const QString& path) {
    return [path](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        auto* name = dialog ? dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
        if (name == nullptr) {
            qobject_cast<QDialog*>(w)->reject();
            return;
        }
        // What a user does: type the full path into the name field and press Enter.
        name->setText(path);
        QTest::keyClick(name, Qt::Key_Return);
    };
}

inline ModalScript::Step CancelDialog(QString* nameSeen = nullptr) {
    return [nameSeen](QWidget* w) {
        if (nameSeen) *nameSeen = w->objectName();
        qobject_cast<QDialog*>(w)->reject();
    };
}

}  // namespace vorn::test
