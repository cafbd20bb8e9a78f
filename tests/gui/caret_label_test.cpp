// The caret position line under the editor: "***" until the first key or
// mouse press; a key shows where the caret was before it, a mouse press where
// the click put it.
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>

#include "gui_test_support.h"

using namespace vorn;
using namespace vorn::test;

class CaretLabelTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<FormFixture> f;
    QPlainTextEdit* Editor() { return f->form.findChild<QPlainTextEdit*>("JVHLEditor1"); }
    QString Label() { return f->form.findChild<QLabel*>("L_Editor_Pos")->text(); }

    // A point just inside the character at (line, column).
    QPoint PointAt(int line, int column) {
        QTextCursor c(Editor()->document()->findBlockByNumber(line));
        c.setPosition(c.position() + column);
        const QRect r = Editor()->cursorRect(c);
        return QPoint(r.left() + 2, r.center().y());
    }

private slots:
    void init() {
        QVERIFY(ShowNewWindow(f));
        Editor()->setPlainText("int a;\nint bcd;\n");
        f->form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f->form));
        Editor()->setFocus();
    }
    void cleanup() { f.reset(); }

    void showsStarsUntilTheFirstPress() {
        QCOMPARE(Label(), QString("***"));
        Editor()->moveCursor(QTextCursor::End);  // moving the caret by program is no press
        QCOMPARE(Label(), QString("***"));
    }

    void keyPressShowsThePositionBeforeTheKey() {
        Editor()->moveCursor(QTextCursor::Start);
        QTest::keyClick(Editor(), Qt::Key_Right);
        QCOMPARE(Label(), QString("Line 1: Char 1"));
        QTest::keyClick(Editor(), Qt::Key_Right);
        QCOMPARE(Label(), QString("Line 1: Char 2"));
        QTest::keyClick(Editor(), Qt::Key_Down);
        QCOMPARE(Label(), QString("Line 1: Char 3"));
        QTest::keyClick(Editor(), Qt::Key_X);
        QCOMPARE(Label(), QString("Line 2: Char 3"));
        QCOMPARE(Editor()->document()->findBlockByNumber(1).text(), QString("inxt bcd;"));
    }

    void mousePressShowsThePositionAfterTheClick_data() {
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("expected");
        QTest::newRow("first character") << 0 << 0 << "Line 1: Char 1";
        QTest::newRow("inside the second line") << 1 << 5 << "Line 2: Char 6";
    }
    void mousePressShowsThePositionAfterTheClick() {
        QFETCH(int, line);
        QFETCH(int, column);
        QFETCH(QString, expected);
        Editor()->moveCursor(QTextCursor::End);
        QTest::mousePress(Editor()->viewport(), Qt::LeftButton, {}, PointAt(line, column));
        QCOMPARE(Label(), expected);
        QTest::mouseRelease(Editor()->viewport(), Qt::LeftButton, {}, PointAt(line, column));
    }
};

QTEST_MAIN(CaretLabelTest)
#include "caret_label_test.moc"
