// New, Open, Save and Save As through the window, with real files: captions,
// file names, the current folder, line ends, and failures that must not lose
// or damage anything.
#include <signal.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>

#include "gui_test_support.h"
#include "tests/workbench/window_cases.h"

using namespace vorn;
using namespace vorn::test;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return "<missing>";
    return file.readAll();
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Makes writes beyond `bytes` fail as on a full disk, for this process, even as root.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit saved_{};
    sighandler_t oldHandler_{};
};

}  // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<FormFixture> f;
    std::unique_ptr<QTemporaryDir> dir;

    QPlainTextEdit* Editor() { return f->form.findChild<QPlainTextEdit*>("JVHLEditor1"); }
    QString Path(const QString& name) { return QFileInfo(dir->filePath(name)).absoluteFilePath(); }
    int CompileButtonPicture() { return f->form.findChild<QToolButton*>("TBCompile")->property("imageIndex").toInt(); }

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(ShowNewWindow(f));
    }
    void cleanup() {
        f.reset();
        dir.reset();
    }

    void openSetsNameCaptionPictureAndFolder() {
        const QString path = Path("prog.vrn");
        QVERIFY(WriteFile(path, "int a;\r\nint b;\nint c;\rint d;\r\n"));
        f->form.Core().SetCompilePicture(kPicCompiled);
        ModalScript script({ChooseFile(path)});
        f->form.Run(Command::kFileOpen);
        QCOMPARE(script.Handled(), 1);
        QCOMPARE(f->form.FileName(), path);
        QCOMPARE(f->form.windowTitle(), "Vorn - " + path);
        QCOMPARE(CompileButtonPicture(), 11);
        QCOMPARE(QDir::currentPath(), QFileInfo(path).absolutePath());
        QCOMPARE(Editor()->toPlainText(), QString("int a;\nint b;\nint c;\nint d;"));
        // Putting the file into the editor is not an edit.
        QVERIFY(!f->form.Modified());
    }

    void cancelledOpenChangesNothing() {
        Editor()->setPlainText("keep me");
        f->form.SetModified(false);
        ModalScript script({CancelDialog()});
        f->form.Run(Command::kFileOpen);
        QCOMPARE(script.Handled(), 1);
        QCOMPARE(f->form.windowTitle(), QString("Vorn"));
        QCOMPARE(Editor()->toPlainText(), QString("keep me"));
    }

    void unreadableFileLeavesEverythingAsItWas_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << "missing.vrn" << "Cannot open file";
        QTest::newRow("huge") << "huge.vrn" << "larger than 32 MB";
        QTest::newRow("folder") << "folder.vrn" << "Cannot open file";
    }
    void unreadableFileLeavesEverythingAsItWas() {
        QFETCH(QString, name);
        QFETCH(QString, message);
        const QString good = Path("good.vrn");
        QVERIFY(WriteFile(good, "int good;\r\n"));
        QVERIFY(f->form.OpenFile(good));
        f->form.Core().SetCompilePicture(kPicCompiled);
        if (name == "folder.vrn") QVERIFY(QDir(dir->path()).mkdir(name));
        if (name == "huge.vrn") {
            QFile huge(Path(name));
            QVERIFY(huge.open(QIODevice::WriteOnly));
            QVERIFY(huge.resize(33 * 1024 * 1024));  // sparse: costs no disk
        }

        QString shown;
        ModalScript script({Answer(QMessageBox::Ok, &shown)});
        QVERIFY(!f->form.OpenFile(Path(name)));
        QCOMPARE(script.Handled(), 1);
        QVERIFY2(shown.contains(message), qPrintable(shown));
        QCOMPARE(f->form.FileName(), good);
        QCOMPARE(f->form.windowTitle(), "Vorn - " + good);
        QCOMPARE(CompileButtonPicture(), 12);
        QCOMPARE(Editor()->toPlainText(), QString("int good;"));
        // The next Save still goes to the file that was open.
        Editor()->setPlainText("int better;");
        f->form.Run(Command::kFileSave);
        QCOMPARE(ReadAll(good), QByteArray("int better;\r\n"));
        if (name == "huge.vrn") QCOMPARE(ReadAll(Path(name)).left(9), QByteArray(9, '\0'));
    }

    void newKeepsTheTextAndSaveThenAsksForAName() {
        const QString path = Path("first.vrn");
        QVERIFY(WriteFile(path, "int x;\r\n"));
        QVERIFY(f->form.OpenFile(path));
        f->form.Run(Command::kFileNew);
        QCOMPARE(f->form.windowTitle(), QString("Vorn - "));
        QVERIFY(f->form.FileName().isEmpty());
        QCOMPARE(Editor()->toPlainText(), QString("int x;"));

        QString dialogName;
        const QString other = Path("second.vrn");
        ModalScript script({[&](QWidget* w) {
            dialogName = w->objectName();
            ChooseFile(other)(w);
        }});
        f->form.Run(Command::kFileSave);
        QCOMPARE(dialogName, QString("SaveDialog1"));
        QCOMPARE(f->form.FileName(), other);
        QCOMPARE(f->form.windowTitle(), "Vorn - " + other);
        QCOMPARE(ReadAll(other), QByteArray("int x;\r\n"));
        QCOMPARE(ReadAll(path), QByteArray("int x;\r\n"));
    }

    void saveAsWritesCrLfLinesAndMovesToTheFolder() {
        QDir(dir->path()).mkdir("sub");
        const QString path = Path("sub/saved.vrn");
        Editor()->setPlainText("int a;\n\nkey(Control, 'G') { }\n");
        QVERIFY(f->form.Modified());
        ModalScript script({ChooseFile(path)});
        f->form.Run(Command::kFileSaveAs);
        QCOMPARE(script.Handled(), 1);
        QCOMPARE(ReadAll(path), QByteArray("int a;\r\n\r\nkey(Control, 'G') { }\r\n"));
        QVERIFY(!f->form.Modified());
        QCOMPARE(f->form.windowTitle(), "Vorn - " + path);
        QCOMPARE(QDir::currentPath(), QFileInfo(path).absolutePath());
    }

    void cancelledSaveAsChangesNothing() {
        Editor()->setPlainText("unsaved");
        ModalScript script({CancelDialog()});
        f->form.Run(Command::kFileSave);
        QCOMPARE(script.Handled(), 1);
        QVERIFY(f->form.Modified());
        QVERIFY(f->form.FileName().isEmpty());
        QCOMPARE(f->form.windowTitle(), QString("Vorn"));
    }

    void failedSaveKeepsTheOldFileAndTheModifiedFlag() {
        const QString path = Path("keep.vrn");
        QVERIFY(WriteFile(path, "old\r\n"));
        QVERIFY(f->form.OpenFile(path));
        Editor()->setPlainText(QString(20000, QLatin1Char('x')));
        QString shown;
        {
            ModalScript script({Answer(QMessageBox::Ok, &shown)});
            FileSizeLimit full(4096);
            f->form.Run(Command::kFileSave);
            QCOMPARE(script.Handled(), 1);
        }
        QVERIFY2(shown.startsWith("Cannot create file \"" + path + "\""), qPrintable(shown));
        QCOMPARE(ReadAll(path), QByteArray("old\r\n"));
        QVERIFY(f->form.Modified());
        // No half-written temporary file is left behind.
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList{"keep.vrn"});
    }

    void closingAfterAFailedSaveKeepsTheWindowOpen() {
        const QString path = Path("keep.vrn");
        QVERIFY(WriteFile(path, "old\r\n"));
        QVERIFY(f->form.OpenFile(path));
        Editor()->setPlainText(QString(20000, QLatin1Char('x')));
        {
            ModalScript script({Answer(QMessageBox::Yes), Answer(QMessageBox::Ok)});
            FileSizeLimit full(4096);
            f->form.close();
            QCOMPARE(script.Handled(), 2);
        }
        QVERIFY(f->form.isVisible());
        QCOMPARE(ReadAll(path), QByteArray("old\r\n"));
    }

    void closingWithYesAndACancelledSaveDialogStillCloses() {
        Editor()->setPlainText("never saved");
        QString dialogName;
        ModalScript script({Answer(QMessageBox::Yes), CancelDialog(&dialogName)});
        f->form.close();
        QCOMPARE(script.Handled(), 2);
        QCOMPARE(dialogName, QString("SaveDialog1"));
        QVERIFY(!f->form.isVisible());
    }

    // Open then Save leaves a file in CR LF form byte for byte as it was:
    // a last empty line, and bytes that are not UTF-8, included.
    void untouchedFileSurvivesOpenAndSave_data() {
        QTest::addColumn<QByteArray>("bytes");
        for (const LineEndCase& c : kLineEndCases) {
            if (c.bytes == c.written) QTest::newRow(c.name) << QByteArray::fromStdString(c.bytes);
        }
        QTest::newRow("not UTF-8") << QByteArray("// caf\xe9 \xff\r\nint a;\r\n");
        QTest::newRow("no-break spaces") << QByteArray("a\xc2\xa0" "b\r\n// \xa0\r\n");
    }
    void untouchedFileSurvivesOpenAndSave() {
        QFETCH(QByteArray, bytes);
        const QString path = Path("kept.vrn");
        QVERIFY(WriteFile(path, bytes));
        QVERIFY(f->form.OpenFile(path));
        f->form.Run(Command::kFileSave);
        QCOMPARE(ReadAll(path), bytes);
    }
};

QTEST_MAIN(FileCommandsTest)
#include "file_commands_test.moc"
