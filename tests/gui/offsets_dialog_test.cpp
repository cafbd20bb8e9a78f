// Help > FSUIPC Offsets... through the window: the table, its filter box, and
// a double-clicked row's declaration at the editor's caret.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>

#include "fsuipc/offsets_catalogue.h"
#include "gui_test_support.h"

using namespace vorn;
using namespace vorn::test;

class OffsetsDialogTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<FormFixture> f;

    QPlainTextEdit* Editor() { return f->form.findChild<QPlainTextEdit*>("JVHLEditor1"); }
    QDialog* Dialog() { return f->form.findChild<QDialog*>("OffsetsDialog"); }
    QTableWidget* Table() { return Dialog()->findChild<QTableWidget*>("OffsetTable"); }

private slots:
    void init() {
        QVERIFY(ShowNewWindow(f));
    }
    void cleanup() { f.reset(); }

    void theFilterKeepsTheRowsThatHoldTheWord() {
        f->form.Run(Command::kOffsets);
        QVERIFY(Dialog() != nullptr && Dialog()->isVisible());
        QCOMPARE(Table()->rowCount(), int(OffsetCatalogue().size()));
        QCOMPARE(Table()->horizontalHeaderItem(3)->text(), QString("Name"));
        QTest::keyClicks(Dialog()->findChild<QLineEdit*>("OffsetFilter"), "Gear");
        QCOMPARE(Table()->rowCount(), 4);
        QCOMPARE(Table()->item(0, 0)->text(), QString("0x0BE8"));
        QCOMPARE(Table()->item(0, 3)->text(), QString("GearHandle"));
    }

    void aDoubleClickedRowGoesInAtTheCaret() {
        Editor()->setPlainText("int a;\n\nint b;");
        QTextCursor c(Editor()->document()->findBlockByNumber(1));
        Editor()->setTextCursor(c);
        f->form.Run(Command::kOffsets);
        QTest::keyClicks(Dialog()->findChild<QLineEdit*>("OffsetFilter"), "indicated");
        QCOMPARE(Table()->rowCount(), 1);
        QTableWidgetItem* name = Table()->item(0, 3);
        QVERIFY(QTest::qWaitForWindowExposed(Dialog()));
        // A double click as the mouse gives it: a press, then the second press.
        const QPoint at = Table()->visualItemRect(name).center();
        QTest::mouseClick(Table()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(Table()->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(Editor()->toPlainText(), QString("int a;\nint IndicatedAirspeed at $02BC;\nint b;"));
        QVERIFY2(Dialog()->isVisible(), "it stays open for the next");
    }
};

QTEST_MAIN(OffsetsDialogTest)
#include "offsets_dialog_test.moc"
