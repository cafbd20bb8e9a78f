// Find and Search Again through the window: the dialog's options, selections,
// F3 and the not-found message (the search rules themselves: window_cases.h).
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>

#include "gui_test_support.h"

using namespace vorn;
using namespace vorn::test;

class FindTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<FormFixture> f;

    QPlainTextEdit* Editor() { return f->form.findChild<QPlainTextEdit*>("JVHLEditor1"); }
    QDialog* Dialog() { return f->form.findChild<QDialog*>("FindDialog1"); }

    void SetFind(const QString& text, bool matchCase) {
        Dialog()->findChild<QLineEdit*>("FindWhat")->setText(text);
        Dialog()->findChild<QCheckBox*>("MatchCase")->setChecked(matchCase);
    }
    void ClickFindNext() { Dialog()->findChild<QPushButton*>("FindNext")->click(); }
    void PutCaret(int line, int column) {
        QTextCursor c(Editor()->document()->findBlockByNumber(line));
        c.setPosition(c.position() + column);
        Editor()->setTextCursor(c);
    }
    // (line, start, end) of the selection, caret at end.
    QString Selection() {
        const QTextCursor c = Editor()->textCursor();
        return QString("%1:%2-%3").arg(c.blockNumber()).arg(c.selectionStart() - c.block().position()).arg(c.positionInBlock());
    }

private slots:
    void init() {
        QVERIFY(ShowNewWindow(f));
    }
    void cleanup() { f.reset(); }

    void dialogOffersOnlyMatchCaseAndStaysOpen() {
        f->form.Run(Command::kFind);
        QVERIFY(Dialog()->isVisible());
        QVERIFY(!Dialog()->isModal());
        QVERIFY(!Dialog()->findChild<QGroupBox*>("Direction")->isEnabled());
        QVERIFY(!Dialog()->findChild<QCheckBox*>("WholeWord")->isEnabled());
        QVERIFY(Dialog()->findChild<QCheckBox*>("MatchCase")->isEnabled());
        Editor()->setPlainText("one two");
        SetFind("two", false);
        ClickFindNext();
        QVERIFY(Dialog()->isVisible());
        QCOMPARE(Selection(), QString("0:4-7"));
    }

    void capitalsFindAWordInMixedCase() {
        Editor()->setPlainText("int x;\nWhile (x) { }");
        PutCaret(0, 0);
        f->form.Run(Command::kFind);
        SetFind("WHILE", false);
        ClickFindNext();
        QCOMPARE(Selection(), QString("1:0-5"));
        QCOMPARE(Editor()->textCursor().selectedText(), QString("While"));
    }

    void findingAgainFromTheDialogContinuesAfterTheMatch() {
        Editor()->setPlainText("abab ab");
        PutCaret(0, 0);
        f->form.Run(Command::kFind);
        SetFind("ab", true);
        ClickFindNext();
        QCOMPARE(Selection(), QString("0:0-2"));
        ClickFindNext();
        QCOMPARE(Selection(), QString("0:2-4"));
        ClickFindNext();
        QCOMPARE(Selection(), QString("0:5-7"));
    }

    void searchAgainSkipsAnAdjacentOccurrence() {
        Editor()->setPlainText("ababxab");
        PutCaret(0, 0);
        f->form.Run(Command::kFind);
        SetFind("ab", true);
        ClickFindNext();
        QCOMPARE(Selection(), QString("0:0-2"));
        f->form.findChild<QAction*>("SearchAgain1")->trigger();
        QCOMPARE(Selection(), QString("0:5-7"));
    }

    void f3WorksWithTheDialogClosed() {
        Editor()->setPlainText("x y x");
        f->form.Run(Command::kFind);
        SetFind("x", true);
        Dialog()->close();
        PutCaret(0, 0);
        f->form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f->form));
        Editor()->setFocus();
        QTest::keyClick(Editor(), Qt::Key_F3);  // starts at column 1
        QCOMPARE(Selection(), QString("0:4-5"));
    }

    void notFoundShowsThePlainMessageAndLeavesTheCaret() {
        Editor()->setPlainText("alpha\nbeta");
        PutCaret(1, 2);
        f->form.Run(Command::kFind);
        SetFind("ALPHA", false);
        QString text;
        QMessageBox::Icon icon = QMessageBox::Warning;
        int buttons = 0;
        ModalScript script({[&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            text = box->text();
            icon = box->icon();
            buttons = box->buttons().size();
            box->button(QMessageBox::Ok)->click();
        }});
        ClickFindNext();
        QCOMPARE(script.Handled(), 1);
        QCOMPARE(text, QString("alpha not found"));
        QCOMPARE(icon, QMessageBox::NoIcon);
        QCOMPARE(buttons, 1);
        QCOMPARE(Selection(), QString("1:2-2"));
    }

    void emptySearchTextReportsNotFound() {
        Editor()->setPlainText("anything");
        QString text;
        ModalScript script({Answer(QMessageBox::Ok, &text)});
        f->form.Run(Command::kSearchAgain);  // the dialog was never shown: its text is empty
        QCOMPARE(script.Handled(), 1);
        QCOMPARE(text, QString(" not found"));
    }

    void dialogKeepsItsSettingsBetweenShows() {
        f->form.Run(Command::kFind);
        SetFind("keep", true);
        Dialog()->close();
        f->form.Run(Command::kFind);
        QCOMPARE(Dialog()->findChild<QLineEdit*>("FindWhat")->text(), QString("keep"));
        QVERIFY(Dialog()->findChild<QCheckBox*>("MatchCase")->isChecked());
    }
};

QTEST_MAIN(FindTest)
#include "find_test.moc"
