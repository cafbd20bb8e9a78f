#include "workbench/gui/form_main.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "machine/debug_mode.h"
#include "workbench/controller.h"
#include "workbench/gui/find_dialog.h"
#include "workbench/gui/source_editor.h"
#include "workbench/gui/source_highlighter.h"
#include "workbench/gui/toolbar_pictures.h"
#include "workbench/gui/window_style.h"

namespace vorn {
namespace {

QString FromLocal(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

// The buffers hold CR LF lines; the memos want plain line feeds.
QString MemoText(const std::string& text) {
    QString result = FromLocal(text);
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return result;
}

}  // namespace

TForm1::TForm1(IpcLink& link, Machine& machine, QWidget* parent)
    : QMainWindow(parent), link_(link), machine_(machine) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Vorn"));
    setFont(WindowFont());
    move(184, 192);
    resize(756, 577);

    pictures_ = ToolbarPictures();
    BuildMenus();
    BuildToolBar();
    BuildPages();

    OpenDialog1 = new QFileDialog(this);
    OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
    OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    OpenDialog1->setFileMode(QFileDialog::ExistingFile);
    SaveDialog1 = new QFileDialog(this);
    SaveDialog1->setObjectName(QStringLiteral("SaveDialog1"));
    SaveDialog1->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog1->setFileMode(QFileDialog::AnyFile);
    FindDialog1 = new FindDialog(this);
    connect(FindDialog1, &FindDialog::Find, this, [this] { RunSearch(0); });

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kTickMilliseconds);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);

    FormCreate();
    Timer1->start();  // runs from start to end; ticks do nothing while disconnected
}

TForm1::~TForm1() = default;

void TForm1::BuildMenus() {
    auto item = [this](QMenu* menu, QAction*& field, const char* name, const QString& caption,
                       const QKeySequence& shortcut) {
        field = menu->addAction(caption);
        field->setObjectName(QLatin1String(name));
        field->setShortcut(shortcut);
        // The shortcuts work wherever the focus is in the window.
        field->setShortcutContext(Qt::WindowShortcut);
    };

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    item(file, New1, "New1", QStringLiteral("&New"), QKeySequence(Qt::CTRL | Qt::Key_N));
    item(file, Open1, "Open1", QStringLiteral("&Open..."), QKeySequence(Qt::CTRL | Qt::Key_O));
    item(file, Save1, "Save1", QStringLiteral("&Save"), QKeySequence(Qt::CTRL | Qt::Key_S));
    item(file, SaveAs_, "SaveAs", QStringLiteral("Save &As..."), QKeySequence());
    item(file, Exit1, "Exit1", QStringLiteral("E&xit"), QKeySequence());
    // Exit1 deliberately has no action: the window closes through its frame.

    MnEdit1 = menuBar()->addMenu(QStringLiteral("&Edit"));
    MnEdit1->setObjectName(QStringLiteral("MnEdit1"));

    QMenu* search = menuBar()->addMenu(QStringLiteral("&Search"));
    search->setObjectName(QStringLiteral("Search1"));
    item(search, Find1, "Find1", QStringLiteral("Find..."), QKeySequence(Qt::CTRL | Qt::Key_F));
    item(search, SearchAgain1, "SearchAgain1", QStringLiteral("Search Again"), QKeySequence(Qt::Key_F3));

    QMenu* run = menuBar()->addMenu(QStringLiteral("Run"));
    run->setObjectName(QStringLiteral("Run1"));
    item(run, MNCompile, "MNCompile", QStringLiteral("Compile"), QKeySequence(Qt::Key_F9));
    item(run, MNConnect, "MNConnect", QStringLiteral("Connect"), QKeySequence(Qt::Key_F5));
    item(run, MNDebug, "MNDebug", QStringLiteral("Debug"), QKeySequence(Qt::CTRL | Qt::Key_D));

    QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
    options->setObjectName(QStringLiteral("Options1"));
    item(options, DisplayCompilerOutput1, "DisplayCompilerOutput1", QStringLiteral("Display Compiler Output"),
         QKeySequence());
    DisplayCompilerOutput1->setCheckable(true);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    item(help, About1, "About1", QStringLiteral("&About"), QKeySequence());

    connect(New1, &QAction::triggered, this, &TForm1::TBFileNewClick);
    connect(Open1, &QAction::triggered, this, &TForm1::TBFileOpenClick);
    connect(Save1, &QAction::triggered, this, &TForm1::TBFileSaveClick);
    connect(SaveAs_, &QAction::triggered, this, &TForm1::SaveAsClick);
    connect(Find1, &QAction::triggered, this, &TForm1::Find1Click);
    connect(SearchAgain1, &QAction::triggered, this, &TForm1::SearchAgain1Click);
    connect(MNCompile, &QAction::triggered, this, &TForm1::TBCompileClick);
    connect(MNConnect, &QAction::triggered, this, &TForm1::TBRunClick);
    connect(MNDebug, &QAction::triggered, this, &TForm1::MNDebugClick);
    connect(DisplayCompilerOutput1, &QAction::triggered, this, &TForm1::DisplayCompilerOutput1Click);
    connect(About1, &QAction::triggered, this, &TForm1::About1Click);
}

void TForm1::BuildToolBar() {
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setFixedHeight(29);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->layout()->setSpacing(0);
    addToolBar(Qt::TopToolBarArea, ToolBar1);

    auto button = [this](QToolButton*& field, const char* name, int picture, const QString& hint) {
        field = new QToolButton(ToolBar1);
        field->setObjectName(QLatin1String(name));
        field->setFixedSize(23, 22);  // 23 pixels apart
        field->setAutoRaise(true);
        field->setIcon(pictures_.value(picture));
        field->setProperty("imageIndex", picture);
        field->setToolTip(hint);
        ToolBar1->addWidget(field);
    };
    button(TBFileNew, "TBFileNew", kPicNew, QStringLiteral("New"));
    button(TBFileOpen, "TBFileOpen", kPicOpen, QStringLiteral("Open"));
    button(TBFileSave, "TBFileSave", kPicSave, QStringLiteral("Save"));
    button(TBCompile, "TBCompile", kPicNotCompiled, QStringLiteral("Compile"));
    button(TBRun, "TBRun", kPicConnect, QStringLiteral("Connect"));

    connect(TBFileNew, &QToolButton::clicked, this, &TForm1::TBFileNewClick);
    connect(TBFileOpen, &QToolButton::clicked, this, &TForm1::TBFileOpenClick);
    connect(TBFileSave, &QToolButton::clicked, this, &TForm1::TBFileSaveClick);
    connect(TBCompile, &QToolButton::clicked, this, &TForm1::TBCompileClick);
    connect(TBRun, &QToolButton::clicked, this, &TForm1::TBRunClick);
}

QPlainTextEdit* TForm1::AddMemoPage(const char* pageName, const char* memoName, const QString& caption) {
    auto* page = new QWidget(PageControl1);
    page->setObjectName(QLatin1String(pageName));
    auto* memo = new QPlainTextEdit(page);
    memo->setObjectName(QLatin1String(memoName));
    // A plain memo: editable, word-wrapped, no scroll bars.
    memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(memo);
    PageControl1->addTab(page, caption);
    return memo;
}

void TForm1::BuildPages() {
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    setCentralWidget(PageControl1);

    TSSource = new QWidget(PageControl1);
    TSSource->setObjectName(QStringLiteral("TSSource"));
    JVHLEditor1 = new SourceEditor(TSSource);
    JVHLEditor1->setObjectName(QStringLiteral("JVHLEditor1"));
    highlighter_ = new SourceHighlighter(JVHLEditor1->document());
    Panel2 = new QFrame(TSSource);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedHeight(25);
    Panel2->setFrameShape(QFrame::Panel);
    Panel2->setFrameShadow(QFrame::Raised);
    L_Editor_Pos = new QLabel(Panel2);
    L_Editor_Pos->setObjectName(QStringLiteral("L_Editor_Pos"));
    L_Editor_Pos->move(56, 8);
    L_Editor_Pos->setMinimumWidth(200);
    auto* layout = new QVBoxLayout(TSSource);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(JVHLEditor1);
    layout->addWidget(Panel2);
    PageControl1->addTab(TSSource, QStringLiteral("Source"));

    MMExpanded = AddMemoPage("TSExpanded", "MMExpanded", QStringLiteral("Expanded"));
    MMCompilerDebug = AddMemoPage("TSCompiler", "MMCompilerDebug", QStringLiteral("Compiler"));
    MMInterpretDebug = AddMemoPage("TSInterpret", "MMInterpretDebug", QStringLiteral("Interpreter"));
    MMOutput = AddMemoPage("TSProgram", "MMOutput", QStringLiteral("Program Output"));

    connect(JVHLEditor1->document(), &QTextDocument::contentsChange, this, &TForm1::JVHLEditor1Change);
    connect(JVHLEditor1, &SourceEditor::KeyPressing, this, &TForm1::JVHLEditor1KeyDown);
    connect(JVHLEditor1, &SourceEditor::MousePressed, this, &TForm1::JVHLEditor1MouseDown);
}

void TForm1::FormCreate() {
    fileName_.clear();
    modified_ = false;
    programTitle_ = windowTitle();

    const QColor background = WindowBackground();
    QPalette pal = palette();
    pal.setColor(QPalette::Window, background);
    setPalette(pal);
    setAutoFillBackground(true);
    for (QPlainTextEdit* memo : {MMExpanded, MMCompilerDebug, MMInterpretDebug, MMOutput}) {
        QPalette memoPalette = memo->palette();
        memoPalette.setColor(QPalette::Base, background);
        memo->setPalette(memoPalette);
    }

    ResetComponents();

    SetCompilePicture(kPictureNotCompiled);
    controller_ = std::make_unique<WorkbenchController>(*this, link_, machine_, DebugMode);
    controller_->StartUp();
}

void TForm1::ResetComponents() {
    static const QRegularExpression numberedLabel(QStringLiteral("^Label[0-9]*$"));
    // The window's own components only, not the insides of its dialogs.
    for (QWidget* w : findChildren<QWidget*>()) {
        if (w->window() != this) continue;
        if (auto* label = qobject_cast<QLabel*>(w)) {
            if (!numberedLabel.match(label->objectName()).hasMatch()) label->setText(QStringLiteral("***"));
        } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            edit->clear();
        } else if (auto* memo = qobject_cast<QPlainTextEdit*>(w)) {
            if (memo != JVHLEditor1) memo->clear();
        } else if (auto* list = qobject_cast<QListWidget*>(w)) {
            list->clear();
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            combo->clear();
            combo->setCurrentIndex(0);
        }
    }
}

// --- Controller commands -------------------------------------------------

void TForm1::TBCompileClick() { controller_->Compile(); }
void TForm1::TBRunClick() { controller_->ToggleConnection(); }
void TForm1::Timer1Timer() { controller_->TimerTick(); }
void TForm1::MNDebugClick() { controller_->ToggleDebug(); }
void TForm1::DisplayCompilerOutput1Click() { controller_->ToggleCompilerOutput(); }

// --- The view ------------------------------------------------------------

void TForm1::SetExpandedText(const std::string& text) { MMExpanded->setPlainText(MemoText(text)); }

void TForm1::SetCompilerText(const std::string& text) { MMCompilerDebug->setPlainText(MemoText(text)); }

void TForm1::AppendOutputLine(const std::string& line) { MMOutput->appendPlainText(FromLocal(line)); }

void TForm1::AppendInterpreterLine(const std::string& line) { MMInterpretDebug->appendPlainText(FromLocal(line)); }

void TForm1::ClearOutput() { MMOutput->clear(); }

void TForm1::SelectPage(int index) {
    if (index >= 0 && index < PageControl1->count()) PageControl1->setCurrentIndex(index);
}

void TForm1::SetPageVisible(int index, bool visible) {
    if (index >= 0 && index < PageControl1->count()) PageControl1->setTabVisible(index, visible);
}

void TForm1::SetCompilePicture(int index) {
    compilePicture_ = index;
    TBCompile->setIcon(pictures_.value(index));
    TBCompile->setProperty("imageIndex", index);
}

void TForm1::SetConnectCaption(const std::string& caption) { MNConnect->setText(FromLocal(caption)); }

void TForm1::SetRunHint(const std::string& hint) { TBRun->setToolTip(FromLocal(hint)); }

void TForm1::SetRunPicture(int index) {
    TBRun->setIcon(pictures_.value(index));
    TBRun->setProperty("imageIndex", index);
}

void TForm1::SetDebugCaption(const std::string& caption) { MNDebug->setText(FromLocal(caption)); }

void TForm1::SetCompilerOutputChecked(bool checked) { DisplayCompilerOutput1->setChecked(checked); }

std::vector<std::string> TForm1::EditorLines() const {
    std::vector<std::string> lines;
    for (const QString& line : JVHLEditor1->Lines()) {
        const QByteArray bytes = line.toLocal8Bit();
        lines.emplace_back(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
    return lines;
}

void TForm1::EnableTimer() {
    if (!Timer1->isActive()) Timer1->start();
}

void TForm1::ShowError(const std::string& message) { ShowErrorText(FromLocal(message)); }

void TForm1::ShowErrorText(const QString& message) {
    QMessageBox box(QMessageBox::Critical, programTitle_, message, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("ErrorBox"));
    box.exec();
}

}  // namespace vorn
