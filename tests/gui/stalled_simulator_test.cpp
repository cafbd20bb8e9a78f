// A vorn-sim process that answers every request 3 s late, past the 2 s
// time-out: while Connect waits for it the window handles its events,
// refuses what would step the program, shows that it waits, and closing
// ends the wait at once.
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "gui_test_support.h"
#include "sim/sim_process.h"

using namespace vorn;
using namespace vorn::test;

class StalledSimulatorTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir runtime;

private slots:
    void initTestCase() {
        QVERIFY(runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    }

    void windowGoesOnWhileConnectWaits() {
        std::unique_ptr<SimProcess> sim;
        std::unique_ptr<FormFixture> f;
        const QString failed = StartSimAndWindow(VORN_SIM_PATH, sim, f, {"--delay-ms", "3000"});
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        QVERIFY(f->form.OpenFile(QStringLiteral(VORN_SOURCE_DIR "/examples/hotkeys.vrn")));
        f->form.Run(Command::kCompile);
        QVERIFY(f->form.Controller().Compiled());

        auto* pages = f->form.findChild<QTabWidget*>("PageControl1");
        int timerEvents = 0;
        QTimer beat;
        connect(&beat, &QTimer::timeout, [&] { ++timerEvents; });
        beat.start(50);
        QString status;
        bool debugAfter = true;
        QElapsedTimer clock;
        qint64 closedAt = -1;
        QTimer::singleShot(1300, [&] {
            status = f->form.statusBar()->currentMessage();
            pages->setCurrentIndex(kPageCompiler);
            f->form.Run(Command::kDebug);  // refused while the exchange waits
            debugAfter = f->form.Controller().Debugging();
            closedAt = clock.elapsed();
            f->form.close();
        });
        clock.start();
        f->form.Run(Command::kConnect);
        const qint64 returnedAt = clock.elapsed();

        QVERIFY2(timerEvents >= 15, qPrintable(QString::number(timerEvents)));
        QCOMPARE(status, QString(kWaitingStatusText));
        QVERIFY(!debugAfter);
        QVERIFY2(closedAt >= 0 && returnedAt - closedAt < 500, qPrintable(QString::number(returnedAt - closedAt)));
        QCOMPARE(pages->currentIndex(), static_cast<int>(kPageCompiler));
        QVERIFY(!f->form.Controller().Connected());
        // No "Cannot connect": the user ended the wait.
        QCOMPARE(f->form.findChild<QPlainTextEdit*>("MMOutput")->toPlainText(), QString());
        QCOMPARE(f->form.statusBar()->currentMessage(), QString());
        QTRY_VERIFY_WITH_TIMEOUT(!f->form.isVisible(), 2000);  // the close asked for during the wait
    }

    // Closed while an ordinary exchange is under way (each answer 150 ms
    // late, so one nearly always is): it ends, and the hot keys are withdrawn.
    void closeDuringAShortWaitWithdrawsTheHotKeys() {
        std::unique_ptr<SimProcess> sim;
        std::unique_ptr<FormFixture> f;
        const QString failed = StartSimAndWindow(VORN_SIM_PATH, sim, f, {"--delay-ms", "150"});
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        QVERIFY(f->form.OpenFile(QStringLiteral(VORN_SOURCE_DIR "/examples/hotkeys.vrn")));
        f->form.Run(Command::kCompile);
        f->form.Run(Command::kConnect);
        QVERIFY(f->form.Controller().Connected());
        QTRY_VERIFY_WITH_TIMEOUT(sim->Command("keys").rfind("3 hot keys:", 0) == 0, 10000);
        QTimer::singleShot(350, [&] { f->form.close(); });
        QTRY_VERIFY_WITH_TIMEOUT(!f->form.isVisible(), 5000);
        QCOMPARE(QString::fromStdString(sim->Command("keys")), QString("no hot keys registered"));
    }
};

QTEST_MAIN(StalledSimulatorTest)
#include "stalled_simulator_test.moc"
