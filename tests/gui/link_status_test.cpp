// The link in view: `vorn --connect FILE` started before the simulator
// waits for it without holding the window, then connects and runs; the
// status line reads each state of the link.
#include <csignal>

#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include "gui_test_support.h"

using namespace vorn;
using namespace vorn::test;

namespace {

const char* const kProgram =
    "char msg[32];\r\nkey(Control, 'G') {\r\nsprintf(msg, \"pressed %d\", 1)\r\nprintstr(msg)\r\n}\r\n";

}  // namespace

class LinkStatusTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir runtime;
    QTemporaryDir work;
    QString source;
    std::unique_ptr<FormFixture> f;

    QString Status() { return f->form.findChild<QLabel*>("LinkStatus")->text(); }
    QString Output() { return f->form.findChild<QPlainTextEdit*>("MMOutput")->toPlainText(); }
    bool Pressed(SimProcess& sim) {
        return QString::fromStdString(sim.Command("press Ctrl+G")).contains("1 hot key flagged");
    }

private slots:
    void initTestCase() {
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        source = work.filePath("keys.vrn");
        QFile file(source);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(kProgram);
    }
    void init() {
        QVERIFY(ShowNewWindow(f));
    }
    void cleanup() { f.reset(); }

    void connectWaitsForASimulatorThatComesLater() {
        QCOMPARE(Status(), QString("Disconnected"));
        f->form.StartWith(source, true);
        QCOMPARE(Status(), QString("Waiting for the simulator"));
        QCOMPARE(Output(), QString("Waiting for the simulator (no FSUIPC window yet)"));
        // The window goes on while it waits: three seconds of its own events.
        QTest::qWait(3000);
        QCOMPARE(Output().count("Waiting for the simulator"), 1);
        SimProcess sim;
        std::string error;
        QVERIFY2(sim.Start(VORN_SIM_PATH, {}, error), error.c_str());
        QTRY_VERIFY_WITH_TIMEOUT(f->form.Controller().Connected(), 5000);
        QVERIFY2(Status().startsWith("Connected to FSUIPC 7.4.16 (simulator: MSFS), round trip "),
                 qPrintable(Status()));
        QVERIFY(Pressed(sim));
        QTRY_VERIFY_WITH_TIMEOUT(Output().endsWith("Connected to FSUIPC 7.4.16 (simulator: MSFS)\npressed 1"),
                                 5000);
    }

    void connectPressedWhileWaitingCancels() {
        f->form.StartWith(source, true);
        QVERIFY(f->form.Controller().Waiting());
        f->form.Run(Command::kConnect);
        QVERIFY(!f->form.Controller().Waiting());
        QCOMPARE(Status(), QString("Disconnected"));
    }

    void statusReadsLostAndReconnecting_data() {
        QTest::addColumn<bool>("reconnect");
        QTest::addColumn<QString>("status");
        QTest::newRow("lost") << false << "Link lost (";
        QTest::newRow("reconnecting") << true << "Reconnecting";
    }
    void statusReadsLostAndReconnecting() {
        QFETCH(bool, reconnect);
        QFETCH(QString, status);
        SimProcess sim;
        std::string error;
        QVERIFY2(sim.Start(VORN_SIM_PATH, {}, error), error.c_str());
        if (reconnect) f->form.Run(Command::kReconnect);
        f->form.StartWith(source, true);
        QVERIFY(f->form.Controller().Connected());
        sim.Signal(SIGKILL);
        sim.Wait();
        QTRY_VERIFY_WITH_TIMEOUT(Status().startsWith(status), 30000);
    }
};

QTEST_MAIN(LinkStatusTest)
#include "link_status_test.moc"
