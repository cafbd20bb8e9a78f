// The `vorn` executable itself: its command line, and its screenshot tour run
// against a vorn-sim process (compile, connect, hot key, pictures saved).
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "sim/sim_process.h"

using namespace vorn;

class VornProgramTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir runtime;

private slots:
    void initTestCase() {
        QVERIFY(runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    void badArgumentsPrintUsage_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("unknown option") << QStringList{"--bogus"};
        QTest::newRow("two files") << QStringList{"a.vrn", "b.vrn"};
        QTest::newRow("screenshots without a file") << QStringList{"--screenshots", "dir"};
    }
    void badArgumentsPrintUsage() {
        QFETCH(QStringList, arguments);
        QProcess vorn;
        vorn.start(VORN_PATH, arguments);
        QVERIFY(vorn.waitForFinished(20000));
        QCOMPARE(vorn.exitCode(), 2);
        QVERIFY(vorn.readAllStandardError().contains("usage: vorn"));
    }

    void screenshotTourRunsAProgramAgainstTheSimulator() {
        QTemporaryDir work;
        const QString source = work.filePath("count.vrn");
        QFile file(source);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("int n;\r\nchar msg[32];\r\nkey(Control, 'G') {\r\n"
                   "n = n + 1;\r\nsprintf(msg, \"count %d\", n)\r\nprintstr(msg)\r\n}\r\n");
        file.close();

        SimProcess sim;
        std::string error;
        QVERIFY2(sim.Start(VORN_SIM_PATH, {}, error), error.c_str());

        const QString shots = work.filePath("shots");
        QProcess vorn;
        vorn.start(VORN_PATH, {"--screenshots", shots, source});
        QVERIFY(vorn.waitForStarted());
        QByteArray out;
        while (!out.contains("connected\n") && vorn.state() == QProcess::Running) {
            vorn.waitForReadyRead(200);
            out += vorn.readAllStandardOutput();
        }
        QVERIFY2(out.contains("connected\n"), (out + vorn.readAllStandardError()).constData());
        QVERIFY(QString::fromStdString(sim.Command("press Ctrl+G")).contains("1 hot key flagged"));
        // The tour then sets a breakpoint in the key routine and asks for the key that reaches it.
        while (!out.contains("press Ctrl+G\n") && vorn.state() == QProcess::Running) {
            vorn.waitForReadyRead(200);
            out += vorn.readAllStandardOutput();
        }
        QVERIFY2(out.contains("press Ctrl+G\n"), (out + vorn.readAllStandardError()).constData());
        QVERIFY(QString::fromStdString(sim.Command("press Ctrl+G")).contains("1 hot key flagged"));
        QVERIFY(vorn.waitForFinished(30000));
        QVERIFY2(vorn.exitCode() == 0, vorn.readAllStandardError().constData());
        out += vorn.readAllStandardOutput();
        QVERIFY2(out.contains("output: count 1\n"), out.constData());

        for (const char* name : {"workbench-source.png", "workbench-compiler.png", "workbench-output.png",
                                 "workbench-watch.png", "workbench-debug-source.png", "workbench-debugger.png",
                                 "workbench-about.png", "workbench-link.png"}) {
            const QImage image(QDir(shots).filePath(name));
            QVERIFY2(!image.isNull(), name);
        }
        // The window closed by itself and withdrew its hot key.
        QCOMPARE(QString::fromStdString(sim.Command("keys")), QString("no hot keys registered"));
    }
};

QTEST_MAIN(VornProgramTest)
#include "vorn_program_test.moc"
