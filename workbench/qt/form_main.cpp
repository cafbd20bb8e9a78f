#include "workbench/qt/form_main.h"

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QMouseEvent>
#include <QGuiApplication>
#include <QInputDialog>
#include <QScreen>
#include <QStatusBar>
#include <QScrollBar>
#include <QCoreApplication>
#include <QStatusBar>
#include <QTextBlock>
#include <QSaveFile>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "machine/debug_mode.h"
#include "workbench/controller.h"
#include "workbench/line_buffer.h"
#include "workbench/qt/about_box.h"
#include "workbench/qt/find_dialog.h"
#include "workbench/qt/link_dialog.h"
#include "workbench/qt/offsets_dialog.h"
#include "workbench/qt/picture_painter.h"
#include "workbench/qt/source_editor.h"
#include "workbench/qt/source_highlighter.h"
#include "workbench/qt/window_style.h"
#include "workbench/source_text.h"

namespace vorn {
namespace {

QString FromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

std::string ToUtf8(const QString& text) { return text.toStdString(); }

// The buffers hold CR LF lines; the memos want plain line feeds.
QString MemoText(const std::string& text) {
    QString result = FromUtf8(text);
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return result;
}

int Key(Command command) { return static_cast<int>(command); }

}  // namespace

// --- Files -----------------------------------------------------------------

FileAccess::ReadResult QtFileAccess::Read(const std::string& path, std::size_t limit) {
    ReadResult result;
    QFile file(FromUtf8(path));
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = ToUtf8(file.errorString());
        return result;
    }
    // Devices report no size, so the core checks what was read as well.
    if (file.size() > static_cast<qint64>(limit)) {
        result.ok = true;
        result.tooLarge = true;
        return result;
    }
    const QByteArray bytes = file.read(static_cast<qint64>(limit) + 1);
    if (file.error() != QFileDevice::NoError) {
        result.error = ToUtf8(file.errorString());
        return result;
    }
    result.ok = true;
    result.bytes.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return result;
}

bool QtFileAccess::WriteAtomically(const std::string& path, const std::string& bytes, std::string& error) {
    QSaveFile file(FromUtf8(path));
    const auto size = static_cast<qint64>(bytes.size());
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), size) != size || !file.commit()) {
        error = ToUtf8(file.errorString());
        file.cancelWriting();
        return false;
    }
    return true;
}

std::string QtFileAccess::AbsolutePath(const std::string& path) {
    return ToUtf8(QFileInfo(FromUtf8(path)).absoluteFilePath());
}

std::string QtFileAccess::NativePath(const std::string& path) { return ToUtf8(QDir::toNativeSeparators(FromUtf8(path))); }

void QtFileAccess::EnterFolderOf(const std::string& path) {
    QDir::setCurrent(QFileInfo(FromUtf8(path)).absolutePath());
}

// --- The window ------------------------------------------------------------

TForm1::TForm1(IpcLink& link, Machine& machine, QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Vorn"));
    setFont(WindowFont());
    move(184, 192);
    resize(756, 577);

    pictures_ = ToolbarPictures();
    BuildMenusAndToolBar();
    BuildPages();
    LinkStatus = new QLabel(this);
    LinkStatus->setObjectName(QStringLiteral("LinkStatus"));
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->addWidget(LinkStatus, 1);

    OpenDialog1 = new QFileDialog(this);
    OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
    OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    OpenDialog1->setFileMode(QFileDialog::ExistingFile);
    SaveDialog1 = new QFileDialog(this);
    SaveDialog1->setObjectName(QStringLiteral("SaveDialog1"));
    SaveDialog1->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog1->setFileMode(QFileDialog::AnyFile);
    FindDialog1 = new FindDialog(this);
    connect(FindDialog1, &FindDialog::Find, this, [this] { core_->FindNext(); });

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kTickMilliseconds);
    connect(Timer1, &QTimer::timeout, this, [this] { core_->Tick(); });

    // FormCreate: colours, components reset, then the core's share.
    const QColor background = WindowBackground();
    QPalette pal = palette();
    pal.setColor(QPalette::Window, background);
    setPalette(pal);
    setAutoFillBackground(true);
    for (QPlainTextEdit* memo : memos_) {
        QPalette memoPalette = memo->palette();
        memoPalette.setColor(QPalette::Base, background);
        memo->setPalette(memoPalette);
    }
    core_ = std::make_unique<WindowCore>(*this, files_, link, machine, DebugMode);
    core_->Start(ToUtf8(windowTitle()));
    PlaceFromSettings();
    Timer1->start();  // runs from start to end; ticks do nothing while disconnected
}

TForm1::~TForm1() {
    // Tearing the widgets down may still signal (a tab leaving, text going);
    // nothing may reach the core once it is gone.
    PageControl1->disconnect(this);
    JVHLEditor1->document()->disconnect(this);
    for (QPlainTextEdit* memo : memos_) memo->viewport()->removeEventFilter(this);
    core_.reset();
}

void TForm1::BuildMenusAndToolBar() {
    auto* toolBar = new QToolBar(this);
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    toolBar->setMovable(false);
    toolBar->setFloatable(false);
    toolBar->setFixedHeight(29);
    toolBar->setIconSize(QSize(16, 16));
    toolBar->layout()->setSpacing(0);
    addToolBar(Qt::TopToolBarArea, toolBar);

    QHash<QString, QMenu*> menus;
    for (const Component& c : Components()) {
        const QString name = QLatin1String(c.name);
        const QString caption = QLatin1String(c.caption);
        const Command command = c.command;
        if (c.kind == ComponentKind::kMenu) {
            QMenu* menu = menuBar()->addMenu(caption);
            menu->setObjectName(name);
            menus.insert(name, menu);
        } else if (c.kind == ComponentKind::kMenuItem) {
            QAction* action = menus.value(QLatin1String(c.owner))->addAction(caption);
            action->setObjectName(name);
            action->setShortcut(QKeySequence::fromString(QLatin1String(c.shortcut), QKeySequence::PortableText));
            // The shortcuts work wherever the focus is in the window.
            action->setShortcutContext(Qt::WindowShortcut);
            action->setCheckable(c.checkable);
            action->setVisible(c.visible);
            if (command != Command::kNone) {
                connect(action, &QAction::triggered, this, [this, command] { core_->Run(command); });
                if (!actions_.contains(Key(command))) actions_.insert(Key(command), action);
            }
        } else if (c.kind == ComponentKind::kToolButton) {
            auto* button = new QToolButton(toolBar);
            button->setObjectName(name);
            button->setFixedSize(23, 22);  // 23 pixels apart
            button->setAutoRaise(true);
            button->setIcon(pictures_.value(c.picture));
            button->setProperty("imageIndex", c.picture);
            button->setToolTip(caption);
            toolBar->addWidget(button);
            connect(button, &QToolButton::clicked, this, [this, command] { core_->Run(command); });
            buttons_.insert(Key(command), button);
        }
    }
}

void TForm1::BuildPages() {
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    setCentralWidget(PageControl1);

    for (const Component& c : Components()) {
        if (c.kind != ComponentKind::kPage) continue;
        auto* page = new QWidget(PageControl1);
        page->setObjectName(QLatin1String(c.name));
        auto* layout = new QVBoxLayout(page);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        if (JVHLEditor1 == nullptr) {
            // The first page holds the editor and the caret label below it.
            JVHLEditor1 = new SourceEditor(page);
            JVHLEditor1->setObjectName(QLatin1String(c.owner));
            highlighter_ = new SourceHighlighter(JVHLEditor1->document());
            auto* panel = new QFrame(page);
            panel->setObjectName(QStringLiteral("Panel2"));
            panel->setFixedHeight(25);
            panel->setFrameShape(QFrame::Panel);
            panel->setFrameShadow(QFrame::Raised);
            L_Editor_Pos = new QLabel(panel);
            L_Editor_Pos->setObjectName(QStringLiteral("L_Editor_Pos"));
            L_Editor_Pos->move(56, 8);
            L_Editor_Pos->setMinimumWidth(200);
            layout->addWidget(JVHLEditor1);
            layout->addWidget(panel);
        } else {
            auto* memo = new QPlainTextEdit(page);
            memo->setObjectName(QLatin1String(c.owner));
            const PageRules rules = PageRulesOf(c.page);
            memo->setReadOnly(rules.readOnly);
            memo->setUndoRedoEnabled(rules.undo);
            if (rules.fixedPitch) memo->setFont(EditorFont());
            if (rules.wrap) {
                // Word-wrapped, with a vertical scroll bar as on Windows, so every kept line can be reached.
                memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
                memo->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
                memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            } else {
                memo->setLineWrapMode(QPlainTextEdit::NoWrap);
            }
            // The kept lines and the note above them.
            if (rules.lineLimit > 0) memo->setMaximumBlockCount(static_cast<int>(rules.lineLimit) + 1);
            memo->viewport()->installEventFilter(this);
            layout->addWidget(memo);
            memos_.append(memo);
        }
        const int index = PageControl1->addTab(page, QLatin1String(c.caption));
        PageControl1->setTabVisible(index, c.visible);
    }

    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
        if (core_) core_->PageSelected(index);
    });
    connect(JVHLEditor1->document(), &QTextDocument::contentsChange, this, &TForm1::JVHLEditor1Change);
    connect(JVHLEditor1, &SourceEditor::KeyPressing, this, [this] { core_->CaretMoved(); });
    connect(JVHLEditor1, &SourceEditor::MousePressed, this, [this] { core_->CaretMoved(); });
    connect(JVHLEditor1, &SourceEditor::GutterClicked, this, [this](int line) { core_->GutterClicked(line); });
}

QString TForm1::FileName() const { return FromUtf8(core_->FileName()); }

QString TForm1::ProgramTitle() const { return FromUtf8(core_->ProgramTitle()); }

bool TForm1::OpenFile(const QString& path) { return core_->OpenFile(ToUtf8(path)); }

void TForm1::JVHLEditor1Change(int position, int removed, int added) {
    // Format-only changes (the highlighter's) carry no characters.
    if (removed == 0 && added == 0) return;
    // Which whole lines the change replaced, for what follows its lines (breakpoints).
    const QTextDocument* text = JVHLEditor1->document();
    const QTextBlock start = text->findBlock(position);
    const int first = start.blockNumber();
    const int addedEnds = text->findBlock(position + added).blockNumber() - first;
    const int removedEnds = addedEnds - (text->blockCount() - editorLines_);
    editorLines_ = text->blockCount();
    const bool lineStart = position == start.position();
    if (core_ && lineStart && removed == 0 && text->findBlock(position + added).position() == position + added) {
        core_->EditorLinesReplaced(first, 0, addedEnds);  // whole lines put in before this one
    } else if (core_ && lineStart && added == 0 && removedEnds > 0) {
        core_->EditorLinesReplaced(first, removedEnds, 0);  // whole lines taken out
    } else if (core_) {
        core_->EditorLinesReplaced(first, removedEnds + 1, addedEnds + 1);
    }
    if (core_) core_->EditorChanged();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        // Every page's double-clicks go to the core, which knows which lines lead anywhere.
        for (int page = kPageSource + 1; page < kPageCount; ++page) {
            QPlainTextEdit* memo = Memo(page);
            if (memo == nullptr || watched != memo->viewport()) continue;
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const QString line = memo->cursorForPosition(mouse->position().toPoint()).block().text();
            core_->PageLineDoubleClicked(page, ToUtf8(line));
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!core_->MayClose()) {
        event->ignore();
        return;
    }
    core_->RememberGeometry(x(), y(), width(), height());
    core_->Closing();
    Timer1->stop();
    FindDialog1->close();
    event->accept();
}

// --- The view ------------------------------------------------------------

QPlainTextEdit* TForm1::Memo(int page) const { return memos_.value(page - 1); }

void TForm1::SetPageText(PageIndex page, const std::string& text) {
    QPlainTextEdit* memo = Memo(page);
    if (memo == nullptr) return;
    QScrollBar* vertical = memo->verticalScrollBar();
    QScrollBar* horizontal = memo->horizontalScrollBar();
    const int top = vertical->value(), left = horizontal->value();
    memo->setPlainText(MemoText(text));
    if (!PageRulesOf(page).keepScroll) return;
    vertical->setValue(top);
    horizontal->setValue(left);
}

void TForm1::ShowPage(PageIndex page) { PageControl1->setCurrentIndex(page); }

void TForm1::ShowPageTab(PageIndex page, bool shown) { PageControl1->setTabVisible(page, shown); }

void TForm1::SetButtonPicture(Command command, int picture) {
    if (QToolButton* button = buttons_.value(Key(command))) {
        button->setIcon(pictures_.value(picture));
        button->setProperty("imageIndex", picture);
    }
}

void TForm1::SetItemCaption(Command command, const std::string& caption) {
    if (QAction* action = actions_.value(Key(command))) action->setText(FromUtf8(caption));
}

void TForm1::SetButtonHint(Command command, const std::string& hint) {
    if (QToolButton* button = buttons_.value(Key(command))) button->setToolTip(FromUtf8(hint));
}

std::vector<std::string> TForm1::EditorLines() const {
    // Block by block: toPlainText() would turn no-break spaces into spaces.
    std::vector<std::string> lines;
    for (QTextBlock b = JVHLEditor1->document()->begin(); b.isValid(); b = b.next()) lines.push_back(ToUtf8(b.text()));
    // A line break at the very end starts no further line.
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}

void TForm1::StartTimer() {
    if (!Timer1->isActive()) Timer1->start();
}

void TForm1::ShowError(const std::string& title, const std::string& text) {
    QMessageBox box(QMessageBox::Critical, FromUtf8(title), FromUtf8(text), QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("ErrorBox"));
    box.exec();
}

// --- The host --------------------------------------------------------------

bool TForm1::ChooseOpenPath(std::string& path) {
    OpenDialog1->setDirectory(QDir::current());
    if (OpenDialog1->exec() != QDialog::Accepted) return false;
    const QStringList chosen = OpenDialog1->selectedFiles();
    if (chosen.isEmpty()) return false;
    path = ToUtf8(chosen.first());
    return true;
}

bool TForm1::ChooseSavePath(const std::string& currentName, std::string& path) {
    SaveDialog1->setDirectory(QDir::current());
    if (!currentName.empty()) SaveDialog1->selectFile(QFileInfo(FromUtf8(currentName)).fileName());
    if (SaveDialog1->exec() != QDialog::Accepted) return false;
    const QStringList chosen = SaveDialog1->selectedFiles();
    if (chosen.isEmpty()) return false;
    path = ToUtf8(chosen.first());
    return true;
}

SaveAnswer TForm1::AskSave(const std::string& title, const std::string& text) {
    QMessageBox box(QMessageBox::Warning, FromUtf8(title), FromUtf8(text),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
    box.setObjectName(QStringLiteral("SavePrompt"));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return SaveAnswer::kYes;
        case QMessageBox::No:
            return SaveAnswer::kNo;
        default:
            return SaveAnswer::kCancel;
    }
}

void TForm1::ShowMessage(const std::string& title, const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, FromUtf8(title), FromUtf8(text), QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("Message"));
    box.exec();
}

void TForm1::SetCaption(const std::string& caption) { setWindowTitle(FromUtf8(caption)); }

void TForm1::ShowFindDialog() {
    // The search only goes forward and matches substrings.
    FindDialog1->SetDirectionEnabled(false);
    FindDialog1->SetWholeWordEnabled(false);
    if (!FindDialog1->isVisible()) {
        FindDialog1->adjustSize();
        const QRect window = frameGeometry();
        const ScreenRect place = FindDialogPlace({window.x(), window.y(), window.width(), window.height()},
                                                 FindDialog1->width(), FindDialog1->height());
        FindDialog1->move(place.left, place.top);
    }
    FindDialog1->show();
    FindDialog1->raise();
    FindDialog1->activateWindow();
}

std::string TForm1::FindText() const { return ToUtf8(FindDialog1->FindText()); }

bool TForm1::FindMatchCase() const { return FindDialog1->MatchCase(); }

void TForm1::ShowAbout() { TAbout about(this); }

bool TForm1::OpenDocument(const std::string& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

void TForm1::ShowOffsets() {
    if (offsets_ == nullptr) {
        offsets_ = new OffsetsDialog(this);
        connect(offsets_, &OffsetsDialog::DeclarationChosen, this, [this](const QString& declaration) {
            JVHLEditor1->insertPlainText(declaration);
            JVHLEditor1->setFocus();
        });
    }
    offsets_->show();
    offsets_->raise();
    offsets_->activateWindow();
}

void TForm1::SetEnabled(Command command, bool enabled) {
    if (QAction* action = actions_.value(Key(command))) action->setEnabled(enabled);
    if (QToolButton* button = buttons_.value(Key(command))) button->setEnabled(enabled);
}

void TForm1::SetChecked(Command command, bool checked) {
    if (QAction* action = actions_.value(Key(command))) action->setChecked(checked);
}

void TForm1::SetEditorLines(const std::vector<std::string>& lines) {
    JVHLEditor1->setPlainText(FromUtf8(EditorText(lines)));
}

int TForm1::CaretLine() const { return JVHLEditor1->CaretLine(); }

int TForm1::CaretColumn() const { return JVHLEditor1->CaretColumn(); }

void TForm1::SelectText(int line, int column, int length) {
    JVHLEditor1->SetCaret(line, column);
    JVHLEditor1->SelectFrom(line, column, length);
}

void TForm1::SetCaretLabel(const std::string& text) { L_Editor_Pos->setText(FromUtf8(text)); }

void TForm1::FocusEditor() { JVHLEditor1->setFocus(); }

void TForm1::SetSourceMarks(const std::vector<SourceMark>& marks, bool gutter) { JVHLEditor1->SetMarks(marks, gutter); }

void TForm1::RevealLine(int line) { JVHLEditor1->RevealLine(line); }

bool TForm1::AskText(const std::string& title, const std::string& prompt, std::string& value) {
    QInputDialog box(this);
    box.setObjectName(QStringLiteral("AskText"));
    box.setWindowTitle(FromUtf8(title));
    box.setLabelText(FromUtf8(prompt));
    box.setTextValue(FromUtf8(value));
    if (box.exec() != QDialog::Accepted) return false;
    value = ToUtf8(box.textValue());
    return true;
}

void TForm1::EditPage(PageIndex page, Command command) {
    QPlainTextEdit* text = page == kPageSource ? JVHLEditor1 : Memo(page);
    if (text == nullptr) return;
    switch (command) {
        case Command::kUndo: text->undo(); break;
        case Command::kRedo: text->redo(); break;
        case Command::kCut: text->cut(); break;
        case Command::kCopy: text->copy(); break;
        case Command::kPaste: text->paste(); break;
        case Command::kSelectAll: text->selectAll(); break;
        default: break;
    }
}

void TForm1::AppendPageLine(PageIndex page, const std::string& line) {
    QPlainTextEdit* memo = Memo(page);
    // As a terminal does: the newest line stays in view unless the reader has
    // scrolled up (Qt's own following works only while the page is on top).
    QScrollBar* bar = memo->verticalScrollBar();
    const bool follow = bar->value() >= bar->maximum();
    // At the limit the memo itself lets its first line go (maximumBlockCount,
    // the cheap way); the line that is then first becomes the note.
    memo->appendPlainText(FromUtf8(line));
    const auto note = pendingNotes_.find(page);
    if (note != pendingNotes_.end()) {
        QTextCursor cursor(memo->document());
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        cursor.insertText(*note);
        pendingNotes_.erase(note);
    }
    if (follow) bar->setValue(bar->maximum());
}

void TForm1::DropOldestPageLine(PageIndex page, const std::string& note, bool) {
    pendingNotes_.insert(page, FromUtf8(note));
}

void TForm1::SetPageLineLimit(PageIndex page, std::size_t limit) {
    Memo(page)->setMaximumBlockCount(static_cast<int>(limit) + 1);
}

void TForm1::ClearPage(PageIndex page) {
    pendingNotes_.remove(page);
    Memo(page)->clear();
}

void TForm1::SetStatusText(const std::string& text) { statusBar()->showMessage(FromUtf8(text)); }

void TForm1::ProcessEvents() { QCoreApplication::processEvents(); }

void TForm1::RequestClose() { QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection); }

void TForm1::PlaceFromSettings() {
    const Settings& s = core_->UserSettings();
    const QRect wanted(int(s.Number(SettingId::kWindowLeft)), int(s.Number(SettingId::kWindowTop)),
                       int(s.Number(SettingId::kWindowWidth)), int(s.Number(SettingId::kWindowHeight)));
    // A place on a screen that is no longer there falls back to the first start's.
    const QScreen* screen = QGuiApplication::screenAt(wanted.topLeft() + QPoint(40, 40));
    if (screen == nullptr) return;
    move(wanted.topLeft());
    resize(wanted.size());
}

bool TForm1::EditLinkSettings(LinkDialogValues& values, const LinkDialogValues& defaults) {
    LinkDialog dialog(values, defaults, this);
    if (dialog.exec() != QDialog::Accepted) return false;
    values = dialog.Values();
    return true;
}

void TForm1::CloseWindow() { close(); }

void TForm1::SetRecentFiles(const std::vector<std::string>& captions) {
    const Command items[] = {Command::kRecentFile1, Command::kRecentFile2, Command::kRecentFile3, Command::kRecentFile4};
    for (std::size_t i = 0; i < std::size(items); ++i) {
        QAction* action = actions_.value(Key(items[i]));
        if (action == nullptr) continue;
        const std::string caption = i < captions.size() ? captions[i] : std::string();
        const Component* row = FindCommand(items[i], ComponentKind::kMenuItem);
        action->setText(caption.empty() ? QLatin1String(row->caption) : FromUtf8(caption));
        action->setVisible(!caption.empty());
    }
}

void TForm1::SetLinkStatus(const std::string& text) { LinkStatus->setText(FromUtf8(text)); }

}  // namespace vorn
