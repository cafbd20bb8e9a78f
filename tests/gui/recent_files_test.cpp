// File > &1..&4: the four files opened last, newest first, kept across a
// restart; the save prompt comes first; a file that is gone leaves the list
// with a message.
#include <QAction>
#include <QFile>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

#include "gui_test_support.h"

using namespace vorn;
using namespace vorn::test;

class RecentFilesTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir;
    QString Path(const QString& name) { return dir.filePath(name + ".vrn"); }
    static QStringList Items(TForm1& form) {
        QStringList items;
        for (const char* name : {"Recent1", "Recent2", "Recent3", "Recent4"}) {
            QAction* a = form.findChild<QAction*>(name);
            if (a->isVisible()) items << a->text();
        }
        return items;
    }
    QStringList Expected(const QStringList& names) {
        QStringList items;
        for (int i = 0; i < names.size(); ++i) items << "&" + QString::number(i + 1) + " " + QDir::toNativeSeparators(Path(names[i]));
        return items;
    }

private slots:
    void initTestCase() {
        qputenv("VORN_NO_SETTINGS", "");
        qputenv("VORN_SETTINGS_FILE", dir.filePath("vorn.conf").toLocal8Bit());
        for (const char* name : {"a", "b", "c", "d", "e"}) {
            QFile file(Path(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("int x;\r\n");
        }
    }

    void newestFirstAndKeptAcrossARestart() {
        {
            FormFixture f;
            QCOMPARE(Items(f.form), QStringList{});
            for (const char* name : {"a", "b", "c", "d", "e", "c"}) QVERIFY(f.form.OpenFile(Path(name)));
            QCOMPARE(Items(f.form), Expected({"c", "e", "d", "b"}));
        }
        FormFixture f;
        QCOMPARE(Items(f.form), Expected({"c", "e", "d", "b"}));
        // The save prompt first: Cancel opens nothing.
        f.form.findChild<QPlainTextEdit*>("JVHLEditor1")->setPlainText("edited");
        {
            ModalScript script({Answer(QMessageBox::Cancel)});
            f.form.findChild<QAction*>("Recent3")->trigger();
            QCOMPARE(script.Handled(), 1);
            QCOMPARE(f.form.FileName(), QString());
        }
        {
            ModalScript script({Answer(QMessageBox::No)});
            f.form.findChild<QAction*>("Recent3")->trigger();
            QCOMPARE(script.Handled(), 1);
            QCOMPARE(f.form.FileName(), Path("d"));
            QVERIFY2(!f.form.Modified(), "the edits answered No to went with the old text");
            QCOMPARE(Items(f.form), Expected({"d", "c", "e", "b"}));
        }
        // A file that has gone: a message, and off the list.
        QVERIFY(QFile::remove(Path("e")));
        QString message;
        ModalScript script({[&](QWidget* w) {
            message = qobject_cast<QMessageBox*>(w)->text();
            QTest::keyClick(w, Qt::Key_Return);
        }});
        f.form.findChild<QAction*>("Recent3")->trigger();
        QCOMPARE(script.Handled(), 1);
        QCOMPARE(message, "The file " + QDir::toNativeSeparators(Path("e")) +
                              " is no longer there; it is taken off the list of recent files.");
        QCOMPARE(f.form.FileName(), Path("d"));
        QCOMPARE(Items(f.form), Expected({"d", "c", "b"}));
    }
};

QTEST_MAIN(RecentFilesTest)
#include "recent_files_test.moc"
