// Double-clicking a diagnostic on "Compiler" or a runtime error on "Program
// Output" selects "Source" with the caret on that line; a line in an included
// file is named in a message box instead. The runtime error comes from a real
// program run against a vorn-sim process.
#include <QFile>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include "gui_test_support.h"
#include "sim/sim_process.h"

using namespace vorn;
using namespace vorn::test;

class SourceJumpTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir runtime;
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<FormFixture> f;

    QPlainTextEdit* Memo(const char* name) { return f->form.findChild<QPlainTextEdit*>(name); }
    QTabWidget* Pages() { return f->form.findChild<QTabWidget*>("PageControl1"); }

    bool Write(const QString& name, const QStringList& lines) {
        QFile file(dir->filePath(name));
        return file.open(QIODevice::WriteOnly) && file.write((lines.join("\r\n") + "\r\n").toUtf8()) > 0;
    }

    // Double-clicks the first line of the memo that contains `text`.
    bool DoubleClickLine(QPlainTextEdit* memo, const QString& text) {
        for (QTextBlock b = memo->document()->begin(); b.isValid(); b = b.next()) {
            if (!b.text().contains(text)) continue;
            const QRect r = memo->cursorRect(QTextCursor(b));
            QTest::mouseDClick(memo->viewport(), Qt::LeftButton, {}, QPoint(r.left() + 4, r.center().y()));
            return true;
        }
        return false;
    }

private slots:
    void initTestCase() {
        QVERIFY(runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    }
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        const QString failed = StartSimAndWindow(VORN_SIM_PATH, sim, f);
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
    }
    void cleanup() {
        f.reset();
        sim.reset();
        dir.reset();
    }

    void doubleClickLeadsToTheLine_data() {
        QTest::addColumn<QStringList>("lib");
        QTest::addColumn<QStringList>("program");
        QTest::addColumn<bool>("run");          // connect and press Ctrl+G first
        QTest::addColumn<QString>("clicked");   // a piece of the line to double-click
        QTest::addColumn<int>("caretLine");     // 1-based; 0: a message box instead
        QTest::addColumn<QString>("message");
        const QStringList lib{"int a;", "int b;", "int c;"};
        QTest::newRow("diagnostic after an include")
            << lib << QStringList{"#include \"lib.vrn\"", "int x;", "key(Control, 'G') {", "  x = 1 +;", "}"} << false
            << "syntax error" << 4 << "";
        QTest::newRow("diagnostic in the included file")
            << QStringList{"int a;", "int b", "int c;"} << QStringList{"#include \"lib.vrn\"", "int x;"} << false
            << "syntax error" << 0 << "The line is in the included file lib.vrn, line 3.";
        QTest::newRow("runtime error")
            << lib
            << QStringList{"#include \"lib.vrn\"", "int x;", "int zero;", "key(Control, 'G') {", "  x = 1 / zero;", "}"}
            << true << "Runtime error" << 5 << "";
    }
    void doubleClickLeadsToTheLine() {
        QFETCH(QStringList, lib);
        QFETCH(QStringList, program);
        QFETCH(bool, run);
        QFETCH(QString, clicked);
        QFETCH(int, caretLine);
        QFETCH(QString, message);
        QVERIFY(Write("lib.vrn", lib));
        QVERIFY(Write("prog.vrn", program));
        QVERIFY(f->form.OpenFile(dir->filePath("prog.vrn")));
        f->form.Run(Command::kCompile);
        QPlainTextEdit* memo = Memo("MMCompilerDebug");
        if (run) {
            QVERIFY2(f->form.Controller().Compiled(), qPrintable(memo->toPlainText()));
            f->form.Run(Command::kConnect);
            QVERIFY(f->form.Controller().Connected());
            sim->Command("press Ctrl+G");
            memo = Memo("MMOutput");
            QTRY_VERIFY_WITH_TIMEOUT(memo->toPlainText().contains(clicked), 5000);
        }
        Pages()->setCurrentWidget(memo->parentWidget());
        QTextCursor start(Memo("JVHLEditor1")->document());
        Memo("JVHLEditor1")->setTextCursor(start);

        QString shown;
        ModalScript script({Answer(QMessageBox::Ok, &shown)});
        QVERIFY2(DoubleClickLine(memo, clicked), qPrintable(memo->toPlainText()));
        if (caretLine > 0) {
            QCOMPARE(Pages()->currentIndex(), 0);
            QCOMPARE(Memo("JVHLEditor1")->textCursor().blockNumber() + 1, caretLine);
            QCOMPARE(script.Handled(), 0);
        } else {
            QTRY_COMPARE(script.Handled(), 1);
            QCOMPARE(shown, message);
            QCOMPARE(Pages()->currentWidget(), memo->parentWidget());
        }
    }

    void otherLinesLeadNowhere() {
        QVERIFY(Write("prog.vrn", {"int x;"}));
        QVERIFY(f->form.OpenFile(dir->filePath("prog.vrn")));
        f->form.Controller().ProgramOutputLine("pressed 1");
        Pages()->setCurrentIndex(4);
        ModalScript script({});
        QVERIFY(DoubleClickLine(Memo("MMOutput"), "pressed"));
        QTest::qWait(100);
        QCOMPARE(Pages()->currentIndex(), 4);
        QCOMPARE(script.Unexpected(), 0);
    }
};

QTEST_MAIN(SourceJumpTest)
#include "source_jump_test.moc"
