// The save prompt before New, Open and closing: its look, and what Yes, No
// and Cancel do for each command.
#include <QAction>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "gui_test_support.h"

using namespace vorn;
using namespace vorn::test;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return "<missing>";
    return file.readAll();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

}  // namespace

class SavePromptTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<FormFixture> f;
    std::unique_ptr<QTemporaryDir> dir;
    QString first, second;

    QPlainTextEdit* Editor() { return f->form.findChild<QPlainTextEdit*>("JVHLEditor1"); }

    void Run(const QString& command) {
        if (command == "new") f->form.Run(Command::kFileNew);
        if (command == "open") f->form.Run(Command::kFileOpen);
        if (command == "close") f->form.close();
        if (command == "exit") f->form.findChild<QAction*>("Exit1")->trigger();
    }

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        first = dir->filePath("first.vrn");
        second = dir->filePath("second.vrn");
        WriteFile(first, "old text\r\n");
        WriteFile(second, "second file\r\n");
        QVERIFY(ShowNewWindow(f));
        QVERIFY(f->form.OpenFile(first));
        Editor()->setPlainText("edited text");
        QVERIFY(f->form.Modified());
    }
    void cleanup() {
        f.reset();
        dir.reset();
    }

    void promptLooksAsSpecifiedForAFile() {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString title, text;
        QAbstractButton* defaultButton = nullptr;
        QAbstractButton* escapeButton = nullptr;
        QAbstractButton* yes = nullptr;
        QAbstractButton* cancel = nullptr;
        int buttons = 0;
        ModalScript script({[&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            icon = box->icon();
            title = box->windowTitle();
            text = box->text();
            buttons = box->buttons().size();
            yes = box->button(QMessageBox::Yes);
            cancel = box->button(QMessageBox::Cancel);
            defaultButton = box->defaultButton();
            escapeButton = box->escapeButton();
            // Escape answers Cancel.
            QTest::keyClick(box, Qt::Key_Escape);
        }});
        f->form.Run(Command::kFileNew);
        QCOMPARE(script.Handled(), 1);
        QCOMPARE(icon, QMessageBox::Warning);
        QCOMPARE(title, QString("Vorn"));
        QCOMPARE(text, "Save File " + f->form.FileName());
        QCOMPARE(buttons, 3);
        QCOMPARE(defaultButton, yes);
        QCOMPARE(escapeButton, cancel);
        // Escape cancelled New: the file name stays.
        QCOMPARE(f->form.FileName(), QFileInfo(first).absoluteFilePath());
    }

    void enterAnswersYes() {
        ModalScript script({[](QWidget* w) { QTest::keyClick(w, Qt::Key_Return); }});
        f->form.Run(Command::kFileNew);
        QCOMPARE(script.Handled(), 1);
        QCOMPARE(ReadAll(first), QByteArray("edited text\r\n"));
        QVERIFY(!f->form.Modified());
        QCOMPARE(f->form.windowTitle(), QString("Vorn - "));
    }

    void answers_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("saved");       // first.vrn holds the edited text
        QTest::addColumn<bool>("goesOn");      // the command did its work
        const QList<QPair<QString, int>> answers{{"Yes", QMessageBox::Yes}, {"No", QMessageBox::No},
                                                 {"Cancel", QMessageBox::Cancel}};
        for (const QString command : {"new", "open", "close", "exit"}) {
            for (const auto& [name, answer] : answers) {
                const bool yes = answer == QMessageBox::Yes;
                const bool cancel = answer == QMessageBox::Cancel;
                QTest::newRow(qPrintable(command + "/" + name)) << command << answer << yes << !cancel;
            }
        }
    }
    void answers() {
        QFETCH(QString, command);
        QFETCH(int, answer);
        QFETCH(bool, saved);
        QFETCH(bool, goesOn);

        std::vector<ModalScript::Step> steps{Answer(QMessageBox::StandardButton(answer))};
        if (command == "open" && goesOn) steps.push_back(ChooseFile(second));
        ModalScript script(steps);
        Run(command);
        QCOMPARE(script.Handled(), static_cast<int>(steps.size()));
        QCOMPARE(script.Unexpected(), 0);

        QCOMPARE(ReadAll(first), saved ? QByteArray("edited text\r\n") : QByteArray("old text\r\n"));
        const QString firstPath = QFileInfo(first).absoluteFilePath();
        const QString secondPath = QFileInfo(second).absoluteFilePath();
        if (command == "new") {
            QCOMPARE(f->form.FileName(), goesOn ? QString() : firstPath);
            QCOMPARE(f->form.windowTitle(), goesOn ? QString("Vorn - ") : "Vorn - " + firstPath);
            QCOMPARE(Editor()->toPlainText(), QString("edited text"));
        } else if (command == "open") {
            QCOMPARE(f->form.FileName(), goesOn ? secondPath : firstPath);
            QCOMPARE(Editor()->toPlainText(), goesOn ? QString("second file") : QString("edited text"));
        } else {
            QCOMPARE(f->form.isVisible(), !goesOn);
        }
    }

    void noPromptWithoutChanges_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("new") << "new";
        QTest::newRow("open") << "open";
        QTest::newRow("close") << "close";
    }
    void noPromptWithoutChanges() {
        QFETCH(QString, command);
        // Save first so nothing is modified; then the command must not ask.
        f->form.Run(Command::kFileSave);
        QVERIFY(!f->form.Modified());
        std::vector<ModalScript::Step> none;
        if (command == "open") none.push_back(CancelDialog());
        ModalScript script(none);
        Run(command);
        QCOMPARE(script.Handled(), static_cast<int>(none.size()));
        QCOMPARE(script.Unexpected(), 0);
        if (command == "close") QVERIFY(!f->form.isVisible());
    }

    void promptWithoutAFileName() {
        // Detach the text from its file first (New, answering No).
        {
            ModalScript script({Answer(QMessageBox::No)});
            f->form.Run(Command::kFileNew);
        }
        QString text;
        ModalScript script({Answer(QMessageBox::Cancel, &text)});
        f->form.Run(Command::kFileNew);
        QCOMPARE(text, QString("Save File "));
    }
};

QTEST_MAIN(SavePromptTest)
#include "save_prompt_test.moc"
