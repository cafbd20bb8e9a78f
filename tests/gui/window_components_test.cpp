// The main window as a user meets it: component names, captions, shortcuts,
// pages and tabs, geometry, colours and the toolbar's pictures.
#include <QAction>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "gui_test_support.h"
#include "tests/workbench/window_cases.h"
#include "workbench/component_table.h"
#include "workbench/qt/picture_painter.h"

using namespace vorn;
using namespace vorn::test;

class WindowComponentsTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<FormFixture> f;
    QTabWidget* Pages() { return f->form.findChild<QTabWidget*>("PageControl1"); }

private slots:
    void init() {
        QVERIFY(ShowNewWindow(f));
    }
    void cleanup() { f.reset(); }

    void everyComponentHasItsName_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        const char* rows[][2] = {
            {"ToolBar1", "QToolBar"},        {"TBFileNew", "QToolButton"},     {"TBFileOpen", "QToolButton"},
            {"TBFileSave", "QToolButton"},   {"TBCompile", "QToolButton"},     {"TBRun", "QToolButton"},
            {"PageControl1", "QTabWidget"},  {"TSSource", "QWidget"},          {"TSExpanded", "QWidget"},
            {"TSCompiler", "QWidget"},       {"TSInterpret", "QWidget"},       {"TSProgram", "QWidget"},
            {"JVHLEditor1", "QPlainTextEdit"}, {"Panel2", "QFrame"},           {"L_Editor_Pos", "QLabel"},
            {"MMExpanded", "QPlainTextEdit"}, {"MMCompilerDebug", "QPlainTextEdit"},
            {"MMInterpretDebug", "QPlainTextEdit"}, {"MMOutput", "QPlainTextEdit"},
            {"New1", "QAction"},             {"Open1", "QAction"},             {"Save1", "QAction"},
            {"SaveAs", "QAction"},           {"Exit1", "QAction"},             {"MnEdit1", "QMenu"},
            {"Find1", "QAction"},            {"SearchAgain1", "QAction"},      {"MNCompile", "QAction"},
            {"MNConnect", "QAction"},        {"MNDebug", "QAction"},           {"DisplayCompilerOutput1", "QAction"},
            {"About1", "QAction"},           {"OpenDialog1", "QFileDialog"},   {"SaveDialog1", "QFileDialog"},
            {"FindDialog1", "QDialog"},      {"Timer1", "QTimer"},
        };
        for (const auto& row : rows) QTest::newRow(row[0]) << QString(row[0]) << QString(row[1]);
    }
    void everyComponentHasItsName() {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        const QList<QObject*> found = f->form.findChildren<QObject*>(name);
        QCOMPARE(found.size(), 1);
        QVERIFY2(found.first()->inherits(kind.toLatin1()), qPrintable(name + " is a " + found.first()->metaObject()->className()));
    }

    void menuItemsHaveTheirCaptionsAndShortcuts_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("shortcut");
        QTest::newRow("New1") << "New1" << "&New" << "Ctrl+N";
        QTest::newRow("Open1") << "Open1" << "&Open..." << "Ctrl+O";
        QTest::newRow("Save1") << "Save1" << "&Save" << "Ctrl+S";
        QTest::newRow("SaveAs") << "SaveAs" << "Save &As..." << "";
        QTest::newRow("Exit1") << "Exit1" << "E&xit" << "";
        QTest::newRow("Find1") << "Find1" << "Find..." << "Ctrl+F";
        QTest::newRow("SearchAgain1") << "SearchAgain1" << "Search Again" << "F3";
        QTest::newRow("MNCompile") << "MNCompile" << "Compile" << "F9";
        QTest::newRow("MNConnect") << "MNConnect" << "Connect" << "F5";
        QTest::newRow("MNDebug") << "MNDebug" << "Debug" << "Ctrl+D";
        QTest::newRow("DisplayCompilerOutput1") << "DisplayCompilerOutput1" << "Display Compiler Output" << "";
        QTest::newRow("About1") << "About1" << "&About" << "";
    }
    void menuItemsHaveTheirCaptionsAndShortcuts() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, shortcut);
        auto* action = f->form.findChild<QAction*>(name);
        QVERIFY(action);
        QCOMPARE(action->text(), caption);
        QCOMPARE(action->shortcut().toString(QKeySequence::PortableText), shortcut);
    }

    // The window is built from the shared component table, row by row.
    void everyComponentOfTheTableIsBuilt() {
        int page = 0;
        for (const Component& c : Components()) {
            const QString name = c.name;
            const QString caption = c.caption;
            switch (c.kind) {
                case ComponentKind::kMenu: {
                    auto* menu = f->form.findChild<QMenu*>(name);
                    QVERIFY2(menu, c.name);
                    QCOMPARE(menu->title(), caption);
                    break;
                }
                case ComponentKind::kMenuItem: {
                    auto* action = f->form.findChild<QAction*>(name);
                    QVERIFY2(action, c.name);
                    QCOMPARE(action->text(), caption);
                    QCOMPARE(action->shortcut().toString(QKeySequence::PortableText), QString(c.shortcut));
                    QCOMPARE(action->isCheckable(), c.checkable);
                    QVERIFY2(f->form.findChild<QMenu*>(c.owner)->actions().contains(action), c.name);
                    break;
                }
                case ComponentKind::kToolButton: {
                    auto* button = f->form.findChild<QToolButton*>(name);
                    QVERIFY2(button, c.name);
                    QCOMPARE(button->toolTip(), caption);
                    QCOMPARE(button->property("imageIndex").toInt(), c.picture);
                    break;
                }
                case ComponentKind::kPage:
                    QCOMPARE(Pages()->widget(page)->objectName(), name);
                    QCOMPARE(Pages()->tabText(page), caption);
                    QCOMPARE(Pages()->isTabVisible(page), c.visible);
                    QVERIFY2(Pages()->widget(page)->findChild<QPlainTextEdit*>(c.owner), c.owner);
                    ++page;
                    break;
            }
        }
        QCOMPARE(page, Pages()->count());
    }

    void reconnectAutomaticallySwitchesTheController() {
        auto* item = f->form.findChild<QAction*>("ReconnectAutomatically1");
        QVERIFY(!item->isChecked());
        item->trigger();
        QVERIFY(item->isChecked());
        QVERIFY(f->form.Controller().ReconnectEnabled());
        item->trigger();
        QVERIFY(!item->isChecked());
        QVERIFY(!f->form.Controller().ReconnectEnabled());
    }

    void growingPagesKeepTheirLastLines_data() {
        QTest::addColumn<QString>("memo");
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("appended");
        QTest::addColumn<QString>("shown");
        QTest::newRow("output below the limit") << "MMOutput" << 3 << 3 << "1\n2\n3";
        QTest::newRow("output one over") << "MMOutput" << 3 << 4 << "(1 earlier line dropped)\n2\n3\n4";
        QTest::newRow("output three over") << "MMOutput" << 3 << 6 << "(3 earlier lines dropped)\n4\n5\n6";
        QTest::newRow("interpreter, limit 1") << "MMInterpretDebug" << 1 << 4 << "(3 earlier lines dropped)\n4";
    }
    void growingPagesKeepTheirLastLines() {
        QFETCH(QString, memo);
        QFETCH(int, limit);
        QFETCH(int, appended);
        QFETCH(QString, shown);
        f->form.SetPageLineLimit(static_cast<std::size_t>(limit));
        f->form.Run(Command::kDebug);  // the interpreter's lines are kept only with Debug on
        for (int i = 1; i <= appended; ++i) {
            const std::string line = std::to_string(i);
            if (memo == "MMOutput") f->form.Controller().ProgramOutputLine(line);
            else f->form.Controller().TraceLine(line);
        }
        QCOMPARE(f->form.findChild<QPlainTextEdit*>(memo)->toPlainText(), shown);
        f->form.Run(Command::kDebug);
    }

    void programOutputKeepsEveryLine_data() {
        QTest::addColumn<int>("lines");
        QTest::addColumn<bool>("scrolledUp");
        for (const GrowingPageCase& c : kGrowingPageCases) QTest::newRow(c.name) << c.lines << c.scrolledUp;
    }
    void programOutputKeepsEveryLine() {
        QFETCH(int, lines);
        QFETCH(bool, scrolledUp);
        f->form.SelectPage(kPageProgramOutput);
        auto* memo = f->form.findChild<QPlainTextEdit*>("MMOutput");
        for (int i = 0; i < lines; ++i) {
            if (scrolledUp && i == lines - 1) memo->verticalScrollBar()->setValue(0);
            f->form.Controller().ProgramOutputLine(GrowingPageLine(i));
        }
        QApplication::processEvents();
        const QTextDocument* text = memo->document();
        QCOMPARE(text->blockCount(), lines);
        QCOMPARE(text->firstBlock().text().toStdString(), GrowingPageLine(0));
        QCOMPARE(text->lastBlock().text().toStdString(), GrowingPageLine(lines - 1));
        const QRect last = memo->cursorRect(QTextCursor(text->lastBlock()));
        QCOMPARE(memo->viewport()->rect().contains(last.center()), !scrolledUp);
        if (scrolledUp) QCOMPARE(memo->verticalScrollBar()->value(), 0);
    }

    void menusAreInOrderAndEditHasTheUsualItems() {
        QStringList titles;
        for (QAction* a : f->form.menuBar()->actions()) titles << a->text();
        QCOMPARE(titles, (QStringList{"&File", "&Edit", "&Search", "Run", "&Options", "&Help"}));
        auto* edit = f->form.findChild<QMenu*>("MnEdit1");
        QStringList items;
        for (QAction* a : edit->actions()) items << a->text() + " " + a->shortcut().toString();
        QCOMPARE(items, (QStringList{"&Undo Ctrl+Z", "&Redo Ctrl+Y", "Cu&t Ctrl+X", "&Copy Ctrl+C", "&Paste Ctrl+V",
                                     "Select &All Ctrl+A"}));
        QVERIFY(f->form.findChild<QAction*>("DisplayCompilerOutput1")->isCheckable());
        QVERIFY(!f->form.findChild<QAction*>("DisplayCompilerOutput1")->isChecked());
    }

    void exitAsksAsTheCloseBoxDoes() {
        ModalScript script({Answer(QMessageBox::Cancel)});
        f->form.findChild<QPlainTextEdit*>("JVHLEditor1")->setPlainText("int x;");
        f->form.findChild<QAction*>("Exit1")->trigger();
        QTRY_COMPARE(script.Handled(), 1);
        QVERIFY(f->form.isVisible());
        QCOMPARE(script.Unexpected(), 0);
    }

    void pagesAreInOrderWithFourHidden() {
        QTabWidget* pages = Pages();
        QCOMPARE(pages->count(), 7);
        const QStringList names{"TSSource", "TSExpanded", "TSCompiler", "TSInterpret", "TSProgram", "TSWatch", "TSDebugger"};
        const QStringList captions{"Source", "Expanded", "Compiler", "Interpreter", "Program Output", "Watch", "Debugger"};
        const QList<bool> visible{true, false, true, false, true, false, false};
        for (int i = 0; i < 7; ++i) {
            QCOMPARE(pages->widget(i)->objectName(), names[i]);
            QCOMPARE(pages->tabText(i), captions[i]);
            QCOMPARE(pages->isTabVisible(i), visible[i]);
        }
        QCOMPARE(pages->currentIndex(), 0);
    }

    void debugShowsAndHidesTheTwoTabs() {
        QTabWidget* pages = Pages();
        auto* debug = f->form.findChild<QAction*>("MNDebug");
        debug->trigger();
        QCOMPARE(debug->text(), QString("Debug Off"));
        QVERIFY(pages->isTabVisible(1));
        QVERIFY(pages->isTabVisible(3));
        QVERIFY(DebugMode);
        debug->trigger();
        QCOMPARE(debug->text(), QString("Debug On"));
        QVERIFY(!pages->isTabVisible(1));
        QVERIFY(!pages->isTabVisible(3));
        QVERIFY(!DebugMode);
    }

    void ctrlDFromTheKeyboardTogglesDebug() {
        f->form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f->form));
        QTest::keyClick(f->form.findChild<QPlainTextEdit*>("JVHLEditor1"), Qt::Key_D, Qt::ControlModifier);
        QVERIFY(Pages()->isTabVisible(3));
        QTest::keyClick(f->form.findChild<QPlainTextEdit*>("JVHLEditor1"), Qt::Key_D, Qt::ControlModifier);
        QVERIFY(!Pages()->isTabVisible(3));
    }

    void compilerOutputSwitchTogglesItsCheckMark() {
        auto* item = f->form.findChild<QAction*>("DisplayCompilerOutput1");
        item->trigger();
        QVERIFY(item->isChecked());
        QVERIFY(f->form.Controller().ShowCompilerOutput());
        item->trigger();
        QVERIFY(!item->isChecked());
        QVERIFY(!f->form.Controller().ShowCompilerOutput());
    }

    void geometryAndCaptionAtStart() {
        QCOMPARE(f->form.windowTitle(), QString("Vorn"));
        QCOMPARE(f->form.ProgramTitle(), QString("Vorn"));
        QCOMPARE(f->form.pos(), QPoint(184, 192));
        QCOMPARE(f->form.size(), QSize(756, 577));
        QCOMPARE(f->form.findChild<QToolBar*>("ToolBar1")->height(), 29);
        QCOMPARE(f->form.findChild<QFrame*>("Panel2")->height(), 25);
        QCOMPARE(f->form.findChild<QLabel*>("L_Editor_Pos")->pos(), QPoint(56, 8));
        const auto* first = f->form.findChild<QToolButton*>("TBFileNew");
        const QStringList order{"TBFileNew", "TBFileOpen", "TBFileSave", "TBCompile", "TBRun"};
        for (int i = 1; i < order.size(); ++i) {
            const auto* b = f->form.findChild<QToolButton*>(order[i]);
            QCOMPARE(b->mapTo(&f->form, QPoint()).x() - first->mapTo(&f->form, QPoint()).x(), 23 * i);
        }
    }

    void windowAndMemosTakeTheBackgroundColour() {
        const QColor expected(107, 129, 189);
        QCOMPARE(f->form.palette().color(QPalette::Window), expected);
        for (const char* name : {"MMExpanded", "MMCompilerDebug", "MMInterpretDebug", "MMOutput", "JVHLEditor1"}) {
            QCOMPARE(f->form.findChild<QPlainTextEdit*>(name)->palette().color(QPalette::Base), expected);
        }
    }

    void memosArePlainWrappedAndEmpty() {
        for (const char* name : {"MMExpanded", "MMCompilerDebug", "MMInterpretDebug", "MMOutput"}) {
            auto* memo = f->form.findChild<QPlainTextEdit*>(name);
            QVERIFY(memo->toPlainText().isEmpty());
            QVERIFY(!memo->isReadOnly());
            QCOMPARE(memo->lineWrapMode(), QPlainTextEdit::WidgetWidth);
            QCOMPARE(memo->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
            QCOMPARE(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        }
        QCOMPARE(f->form.findChild<QLabel*>("L_Editor_Pos")->text(), QString("***"));
    }

    void editorIsMonospacedWithTwoColumnTabs() {
        auto* editor = f->form.findChild<QPlainTextEdit*>("JVHLEditor1");
        const QFontInfo info(editor->font());
        QVERIFY(info.fixedPitch());
        QCOMPARE(editor->font().pixelSize(), 13);
        const qreal column = QFontMetricsF(editor->font()).horizontalAdvance(' ');
        QCOMPARE(editor->tabStopDistance(), 2 * column);
        QCOMPARE(editor->lineWrapMode(), QPlainTextEdit::NoWrap);
    }

    void timerRunsEveryHundredMilliseconds() {
        auto* timer = f->form.findChild<QTimer*>("Timer1");
        QCOMPARE(timer->interval(), 100);
        QVERIFY(timer->isActive());
    }

    void toolbarStartsNotCompiledAndDisconnected() {
        QCOMPARE(f->form.findChild<QToolButton*>("TBCompile")->property("imageIndex").toInt(), 11);
        QCOMPARE(f->form.findChild<QToolButton*>("TBRun")->property("imageIndex").toInt(), 10);
        QCOMPARE(f->form.findChild<QToolButton*>("TBRun")->toolTip(), QString("Connect"));
        QCOMPARE(f->form.Core().CompilePicture(), int(kPicNotCompiled));
    }

    void picturesTellTheirStatesApart() {
        const QList<QIcon> pictures = ToolbarPictures();
        QVERIFY(pictures.size() >= 13);
        QList<QImage> images;
        for (const QIcon& icon : pictures) {
            QImage image = icon.pixmap(16, 16).toImage();
            QVERIFY(!image.isNull());
            images << image;
        }
        for (int i = 0; i < images.size(); ++i)
            for (int j = i + 1; j < images.size(); ++j) QVERIFY2(images[i] != images[j], qPrintable(QString("%1 = %2").arg(i).arg(j)));
        // Not compiled is red-dominated, compiled green-dominated; so are stop (9) and go (10).
        auto tint = [](const QImage& image) {
            long red = 0, green = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) {
                    const QColor c = image.pixelColor(x, y);
                    if (c.alpha() < 128) continue;
                    red += std::max(0, c.red() - c.green());
                    green += std::max(0, c.green() - c.red());
                }
            return red - green;
        };
        QVERIFY(tint(images[11]) > 0);
        QVERIFY(tint(images[12]) < 0);
        QVERIFY(tint(images[9]) > 0);
        QVERIFY(tint(images[10]) < 0);
    }
};

QTEST_MAIN(WindowComponentsTest)
#include "window_components_test.moc"
