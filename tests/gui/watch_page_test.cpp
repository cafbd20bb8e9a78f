// The "Watch" page against a vorn-sim process: hidden until Connect, then
// every global with its type, place and value, refreshed while the page is
// on top; hidden again at Disconnect.
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include "gui_test_support.h"
#include "sim/sim_process.h"

using namespace vorn;
using namespace vorn::test;

class WatchPageTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir runtime;
    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<FormFixture> f;

    QTabWidget* Pages() { return f->form.findChild<QTabWidget*>("PageControl1"); }
    QString Watch() { return f->form.findChild<QPlainTextEdit*>("MMWatch")->toPlainText(); }

private slots:
    void initTestCase() {
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

    void showsTheGlobalsWhileConnected() {
        f->form.findChild<QPlainTextEdit*>("JVHLEditor1")
            ->setPlainText("int count;\nfloat level;\nchar name[8];\nkey(Control, 'G') {\n"
                           "  count = count + 1;\n  level = level + 0.5;\n  sprintf(name, \"n%d\", count)\n}\n");
        f->form.Run(Command::kCompile);
        QVERIFY(f->form.Controller().Compiled());
        QVERIFY(!Pages()->isTabVisible(kPageWatch));

        f->form.Run(Command::kConnect);
        QVERIFY(f->form.Controller().Connected());
        QVERIFY(Pages()->isTabVisible(kPageWatch));
        QCOMPARE(Pages()->tabText(kPageWatch), QString("Watch"));
        // Not read while another page is on top.
        QTest::qWait(300);
        QVERIFY(Watch().isEmpty());

        Pages()->setCurrentIndex(kPageWatch);
        QTRY_VERIFY_WITH_TIMEOUT(Watch().contains("count"), 5000);
        QVERIFY2(Watch().startsWith("Name"), qPrintable(Watch()));
        // Each press is seen by a tick before the next.
        sim->Command("press Ctrl+G");
        QTRY_VERIFY_WITH_TIMEOUT(Watch().contains(QRegularExpression(R"(count\s+int\s+data \$1000000\s+1\n)")), 5000);
        sim->Command("press Ctrl+G");
        const QRegularExpression count(R"(count\s+int\s+data \$1000000\s+2\n)");
        const QRegularExpression level(R"(level\s+float\s+data \$1000004\s+1\n)");
        const QRegularExpression name(R"(name\s+char\[8\]\s+data \$[0-9A-F]+\s+"n2")");
        QTRY_VERIFY2_WITH_TIMEOUT(count.match(Watch()).hasMatch(), qPrintable(Watch()), 5000);
        QVERIFY2(level.match(Watch()).hasMatch(), qPrintable(Watch()));
        QVERIFY2(name.match(Watch()).hasMatch(), qPrintable(Watch()));

        f->form.Run(Command::kConnect);  // disconnect
        QVERIFY(!f->form.Controller().Connected());
        QVERIFY(!Pages()->isTabVisible(kPageWatch));
    }
};

QTEST_MAIN(WatchPageTest)
#include "watch_page_test.moc"
