// The shared window cases (tests/workbench/window_cases.h) played through
// the Qt window's own actions, tabs and editor; the Win32 window plays the
// same table under Wine.
#include <QAction>
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
    explicit QtDriver(TForm1& form) : form_(form) {}

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
        QtDriver driver(f.form);
        const std::string failed = RunWindowCase(driver, kWindowCases[static_cast<std::size_t>(index)]);
        QVERIFY2(failed.empty(), failed.c_str());
        f.form.SetModified(false);  // no save prompt at the end
    }
};

QTEST_MAIN(WindowCasesTest)
#include "window_cases_test.moc"
