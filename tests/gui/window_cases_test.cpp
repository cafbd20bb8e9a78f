// The shared window cases (tests/workbench/window_cases.h) played through
// the Qt window's own actions, tabs and editor; the Win32 window plays the
// same table under Wine.
#include <QAction>
#include <QInputDialog>
#include <QLabel>
#include <QStatusBar>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolButton>

#include "gui_test_support.h"
#include "tests/workbench/window_cases.h"
#include "workbench/qt/source_editor.h"

using namespace vorn;
using namespace vorn::test;

namespace {

class QtDriver : public WindowDriver {
public:
    QtDriver(TForm1& form, SimProcess* sim) : form_(form), sim_(sim) {}

    void Run(Command command) override {
        Action(command)->trigger();
        QCoreApplication::processEvents();
    }
    void Type(const std::vector<std::string>& lines) override {
        QTextCursor cursor(Editor()->document());
        cursor.select(QTextCursor::Document);
        QString text;
        for (std::size_t i = 0; i < lines.size(); ++i) text += (i ? "\n" : "") + QString::fromStdString(lines[i]);
        cursor.insertText(text);
    }
    void Select(int line, int column, int length) override { Editor()->SelectFrom(line, column, length); }
    void ClickTab(PageIndex page) override { Tabs()->setCurrentIndex(page); }

    std::vector<std::string> EditorLines() override {
        std::vector<std::string> lines;
        for (QTextBlock b = Editor()->document()->begin(); b.isValid(); b = b.next()) lines.push_back(b.text().toStdString());
        return lines;
    }
    std::string SelectedText() override {
        return Editor()->textCursor().selectedText().replace(QChar(0x2029), "\n").toStdString();
    }
    bool TabShown(PageIndex page) override { return Tabs()->isTabVisible(page); }
    PageIndex PageOnTop() override { return static_cast<PageIndex>(Tabs()->currentIndex()); }
    std::string PageText(PageIndex page) override {
        return form_.findChild<QPlainTextEdit*>(PageComponent(page)->owner)->toPlainText().toStdString();
    }
    int ButtonPicture(Command command) override {
        return Button(command)->property("imageIndex").toInt();
    }
    std::string ItemCaption(Command command) override { return Action(command)->text().toStdString(); }
    bool Checked(Command command) override { return Action(command)->isChecked(); }
    bool Enabled(Command command) override { return Action(command)->isEnabled(); }
    void Press(const std::string& key) override {
        if (sim_ != nullptr) sim_->Command("press " + key);
    }
    void Pump(int ms) override { QTest::qWait(ms); }
    // A message over the status bar hides the link's state, as the user sees it.
    std::string StatusText() override {
        const QString message = form_.statusBar()->currentMessage();
        return (message.isEmpty() ? form_.findChild<QLabel*>("LinkStatus")->text() : message).toStdString();
    }
    std::vector<SourceMark> Marks() override { return Editor()->Marks(); }
    bool GutterShown() override { return Editor()->GutterShown(); }
    bool LineShown(int line) override { return Editor()->LineShown(line); }
    int CaretLine() override { return Editor()->textCursor().blockNumber(); }
    void Insert(const std::string& text) override { Editor()->textCursor().insertText(QString::fromStdString(text)); }
    void DeleteLines(int first, int count) override {
        QTextCursor cursor(Editor()->document()->findBlockByNumber(first));
        cursor.setPosition(Editor()->document()->findBlockByNumber(first + count).position(), QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    void ClickGutter(int line) override {
        auto* gutter = Editor()->findChild<QWidget*>("Gutter");
        const QTextBlock block = Editor()->document()->findBlockByNumber(line);
        if (gutter == nullptr || !gutter->isVisible() || !block.isValid()) return;
        QTest::mouseClick(gutter, Qt::LeftButton, Qt::NoModifier, QPoint(4, Editor()->cursorRect(QTextCursor(block)).center().y()));
    }
    void DoubleClickPageLine(const std::string& start, const std::string& value) override {
        auto* memo = form_.findChild<QPlainTextEdit*>(PageComponent(kPageDebugger)->owner);
        for (QTextBlock b = memo->document()->begin(); b.isValid(); b = b.next()) {
            if (!b.text().startsWith(QString::fromStdString(start))) continue;
            const QString text = QString::fromStdString(value);
            ModalScript answer({[text](QWidget* w) {
                auto* box = qobject_cast<QInputDialog*>(w);
                if (box == nullptr) return;
                box->setTextValue(text);
                box->accept();
            }});
            const QPoint at = memo->cursorRect(QTextCursor(b)).center();
            QTest::mouseDClick(memo->viewport(), Qt::LeftButton, Qt::NoModifier, at);
            return;
        }
    }

private:
    QAction* Action(Command command) {
        return form_.findChild<QAction*>(FindCommand(command, ComponentKind::kMenuItem)->name);
    }
    QToolButton* Button(Command command) {
        return form_.findChild<QToolButton*>(FindCommand(command, ComponentKind::kToolButton)->name);
    }
    SourceEditor* Editor() { return form_.findChild<SourceEditor*>("JVHLEditor1"); }
    QTabWidget* Tabs() { return form_.findChild<QTabWidget*>("PageControl1"); }

    TForm1& form_;
    SimProcess* sim_;
};

}  // namespace

class WindowCasesTest : public QObject {
    Q_OBJECT
private slots:
    void everyCaseHolds_data() {
        QTest::addColumn<int>("index");
        for (std::size_t i = 0; i < kWindowCases.size(); ++i) QTest::newRow(kWindowCases[i].name) << int(i);
    }
    void everyCaseHolds() {
        QFETCH(int, index);
        FormFixture f;
        f.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.form));
        QtDriver driver(f.form, nullptr);
        const std::string failed = RunWindowCase(driver, kWindowCases[static_cast<std::size_t>(index)]);
        QVERIFY2(failed.empty(), failed.c_str());
        f.form.SetModified(false);  // no save prompt at the end
    }

    void debuggerCasesHoldAgainstVornSim_data() {
        QTest::addColumn<int>("index");
        for (std::size_t i = 0; i < kDebuggerCases.size(); ++i) QTest::newRow(kDebuggerCases[i].name) << int(i);
    }
    void debuggerCasesHoldAgainstVornSim() {
        QFETCH(int, index);
        std::unique_ptr<SimProcess> sim;
        std::unique_ptr<FormFixture> f;
        const QString started = StartSimAndWindow(VORN_SIM_PATH, sim, f);
        QVERIFY2(started.isEmpty(), qPrintable(started));
        QtDriver driver(f->form, sim.get());
        const std::string failed = RunWindowCase(driver, kDebuggerCases[static_cast<std::size_t>(index)]);
        f->form.SetModified(false);
        f->form.Run(Command::kExit);  // withdraws the hot keys
        QVERIFY2(failed.empty(), failed.c_str());
    }
};

QTEST_MAIN(WindowCasesTest)
#include "window_cases_test.moc"
