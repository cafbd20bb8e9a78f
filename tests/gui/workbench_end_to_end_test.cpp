// The whole road through the window: type a program, Compile (F9), Connect
// (F5) to a vorn-sim process, press the hot key in the simulator, read the
// program's line on "Program Output", Disconnect; and closing the window
// withdraws the hot keys.
#include <QLabel>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "gui_test_support.h"
#include "sim/sim_process.h"

using namespace vorn;
using namespace vorn::test;

namespace {

const char* const kProgram[] = {
    "int presses;",
    "char msg[64];",
    "key(Control, 'G') {",
    "presses = presses + 1;",
    "sprintf(msg, \"pressed %d\", presses)",
    "printstr(msg)",
    "}",
};

// Connect's first line on "Program Output": the server's version and simulator.
const QString kConnected = QStringLiteral("Connected to FSUIPC 7.4.16 (simulator: MSFS)");

}  // namespace

class WorkbenchEndToEndTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir runtime;
    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<FormFixture> f;

    QPlainTextEdit* Editor() { return f->form.findChild<QPlainTextEdit*>("JVHLEditor1"); }
    QString Output() { return f->form.findChild<QPlainTextEdit*>("MMOutput")->toPlainText(); }

    void TypeProgramAndConnect() {
        f->form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f->form));
        Editor()->setFocus();
        for (const char* line : kProgram) {
            QTest::keyClicks(Editor(), line);
            QTest::keyClick(Editor(), Qt::Key_Return);
        }
        QVERIFY(f->form.Modified());
        QTest::keyClick(Editor(), Qt::Key_F9);
        QVERIFY2(f->form.Controller().Compiled(),
                 qPrintable(f->form.findChild<QPlainTextEdit*>("MMCompilerDebug")->toPlainText()));
        QCOMPARE(f->form.findChild<QToolButton*>("TBCompile")->property("imageIndex").toInt(), 12);

        QTest::keyClick(Editor(), Qt::Key_F5);
        QVERIFY(f->form.Controller().Connected());
        QCOMPARE(f->form.findChild<QAction*>("MNConnect")->text(), QString("Disconnect"));
        QCOMPARE(f->form.findChild<QToolButton*>("TBRun")->property("imageIndex").toInt(), 9);
        QCOMPARE(f->form.findChild<QToolButton*>("TBRun")->toolTip(), QString("Disconnect"));
        QCOMPARE(f->form.findChild<QTabWidget*>("PageControl1")->currentIndex(), 4);
        QVERIFY(QString::fromStdString(sim->Command("keys")).contains("Ctrl+G"));
    }

private slots:
    void initTestCase() {
        // A private socket folder: this test's simulator serves only this test.
        QVERIFY(runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    }

    void init() {
        const QString failed = StartSimAndWindow(VORN_SIM_PATH, sim, f);
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
    }
    void cleanup() {
        f.reset();
        sim.reset();
    }

    void hotKeyPressShowsTheProgramsLine() {
        TypeProgramAndConnect();
        if (QTest::currentTestFailed()) return;
        QCOMPARE(Output(), kConnected);
        const QString pressed = QString::fromStdString(sim->Command("press Ctrl+G"));
        QVERIFY2(pressed.contains("1 hot key flagged"), qPrintable(pressed));
        QTRY_COMPARE_WITH_TIMEOUT(Output(), kConnected + QString("\npressed 1"), 5000);
        sim->Command("press Ctrl+G");
        QTRY_COMPARE_WITH_TIMEOUT(Output(), kConnected + QString("\npressed 1\npressed 2"), 5000);

        QTest::keyClick(Editor(), Qt::Key_F5);
        QVERIFY(!f->form.Controller().Connected());
        QCOMPARE(f->form.findChild<QAction*>("MNConnect")->text(), QString("Connect"));
        QCOMPARE(f->form.findChild<QToolButton*>("TBRun")->property("imageIndex").toInt(), 10);
        QCOMPARE(QString::fromStdString(sim->Command("keys")), QString("no hot keys registered"));
        // The output of the run stays after Disconnect.
        QCOMPARE(Output(), kConnected + QString("\npressed 1\npressed 2"));
    }

    void editingWhileRunningKeepsTheProgramRunning() {
        TypeProgramAndConnect();
        if (QTest::currentTestFailed()) return;
        QTest::keyClick(Editor(), Qt::Key_Space);
        QCOMPARE(f->form.findChild<QToolButton*>("TBCompile")->property("imageIndex").toInt(), 11);
        QVERIFY(f->form.Controller().Connected());
        sim->Command("press Ctrl+G");
        QTRY_COMPARE_WITH_TIMEOUT(Output(), kConnected + QString("\npressed 1"), 5000);
    }

    void closingTheWindowWithdrawsTheHotKeys() {
        TypeProgramAndConnect();
        if (QTest::currentTestFailed()) return;
        ModalScript script({Answer(QMessageBox::No)});  // the typed text is not saved
        QVERIFY(f->form.close());
        QCOMPARE(script.Handled(), 1);
        QVERIFY(!f->form.Controller().Connected());
        QCOMPARE(QString::fromStdString(sim->Command("keys")), QString("no hot keys registered"));
    }

    void cancellingTheCloseKeepsTheProgramRunning() {
        TypeProgramAndConnect();
        if (QTest::currentTestFailed()) return;
        ModalScript script({Answer(QMessageBox::Cancel)});
        QVERIFY(!f->form.close());
        QVERIFY(f->form.Controller().Connected());
        sim->Command("press Ctrl+G");
        QTRY_COMPARE_WITH_TIMEOUT(Output(), kConnected + QString("\npressed 1"), 5000);
    }
};

QTEST_MAIN(WorkbenchEndToEndTest)
#include "workbench_end_to_end_test.moc"
