#pragma once
// TForm1: the workbench's main window in Qt. It builds its menus, toolbar and
// pages from the component table, routes every command to the window core
// and implements what only a window can do: the view the controller talks
// to, its dialogs and message boxes, and the editor.
#include <QHash>
#include <QIcon>
#include <QList>
#include <QMainWindow>
#include <memory>

#include "workbench/component_table.h"
#include "workbench/toolbar_pictures.h"
#include "workbench/window_core.h"

class QAction;
class QFileDialog;
class QLabel;
class QPlainTextEdit;
class QTabWidget;
class QTimer;
class QToolButton;

namespace vorn {

class FindDialog;
class OffsetsDialog;
class IpcLink;
class Machine;
class SourceEditor;
class SourceHighlighter;
class WorkbenchController;

// Files through Qt: QSaveFile for the atomic write.
class QtFileAccess : public FileAccess {
public:
    ReadResult Read(const std::string& path, std::size_t limit) override;
    bool WriteAtomically(const std::string& path, const std::string& bytes, std::string& error) override;
    std::string AbsolutePath(const std::string& path) override;
    std::string NativePath(const std::string& path) override;
    void EnterFolderOf(const std::string& path) override;
};

class TForm1 : public QMainWindow, public WindowHost {
    Q_OBJECT
public:
    // The link and the machine must outlive the window.
    TForm1(IpcLink& link, Machine& machine, QWidget* parent = nullptr);
    ~TForm1() override;

    QString FileName() const;
    bool Modified() const { return core_->Modified(); }
    void SetModified(bool modified) { core_->SetModified(modified); }
    QString ProgramTitle() const;
    WorkbenchController& Controller() { return core_->Controller(); }
    WindowCore& Core() { return *core_; }
    // Brings a page to the top as its tab does.
    void SelectPage(int page) { core_->SelectPage(page); }

    // Carries out a command as its menu item or button does.
    void Run(Command command) { core_->Run(command); }
    // Loads a file into the editor as Open does after its dialog; false when it cannot be read.
    bool OpenFile(const QString& path);

    // WindowHost.
    bool ChooseOpenPath(std::string& path) override;
    bool ChooseSavePath(const std::string& currentName, std::string& path) override;
    SaveAnswer AskSave(const std::string& title, const std::string& text) override;
    void ShowMessage(const std::string& title, const std::string& text) override;
    void ShowError(const std::string& title, const std::string& text) override;
    void SetCaption(const std::string& caption) override;
    void ShowFindDialog() override;
    std::string FindText() const override;
    bool FindMatchCase() const override;
    void ShowAbout() override;
    bool OpenDocument(const std::string& path) override;
    void ShowOffsets() override;
    bool EditLinkSettings(LinkDialogValues& values, const LinkDialogValues& defaults) override;
    void SetChecked(Command command, bool checked) override;
    void SetEnabled(Command command, bool enabled) override;
    void SetItemCaption(Command command, const std::string& caption) override;
    void SetButtonHint(Command command, const std::string& hint) override;
    void SetButtonPicture(Command command, int picture) override;
    void SetRecentFiles(const std::vector<std::string>& captions) override;
    void SetPageText(PageIndex page, const std::string& text) override;
    void AppendPageLine(PageIndex page, const std::string& line) override;
    void DropOldestPageLine(PageIndex page, const std::string& note, bool noteIsNew) override;
    void ClearPage(PageIndex page) override;
    void SetPageLineLimit(PageIndex page, std::size_t limit) override;
    void ShowPageTab(PageIndex page, bool shown) override;
    void ShowPage(PageIndex page) override;
    std::vector<std::string> EditorLines() const override;
    void SetEditorLines(const std::vector<std::string>& lines) override;
    int CaretLine() const override;
    int CaretColumn() const override;
    void SelectText(int line, int column, int length) override;
    void SetCaretLabel(const std::string& text) override;
    void FocusEditor() override;
    void EditPage(PageIndex page, Command command) override;
    void SetSourceMarks(const std::vector<SourceMark>& marks, bool gutter) override;
    void RevealLine(int line) override;
    bool AskText(const std::string& title, const std::string& prompt, std::string& value) override;
    void SetLinkStatus(const std::string& text) override;
    void SetStatusText(const std::string& text) override;
    void StartTimer() override;
    void CloseWindow() override;
    void ProcessEvents() override;
    void RequestClose() override;
    // The command line's FILE and --connect (see WindowCore::StartWith).
    void StartWith(const QString& file, bool connect) { core_->StartWith(ToUtf8Path(file), connect); }

    // For tests: pages keep this many lines instead of the usual limit.
    void SetPageLineLimit(std::size_t limit) { core_->SetPageLineLimit(limit); }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenusAndToolBar();
    void BuildPages();
    void JVHLEditor1Change(int position, int removed, int added);
    QPlainTextEdit* Memo(int page) const;
    void PlaceFromSettings();
    static std::string ToUtf8Path(const QString& path) { return path.toStdString(); }

    QtFileAccess files_;
    std::unique_ptr<WindowCore> core_;

    QList<QIcon> pictures_;
    QHash<int, QAction*> actions_;  // the menu item of each command
    QHash<int, QToolButton*> buttons_;  // the toolbar button of each command

    QTabWidget* PageControl1 = nullptr;
    SourceEditor* JVHLEditor1 = nullptr;
    SourceHighlighter* highlighter_ = nullptr;
    QLabel* L_Editor_Pos = nullptr;
    QLabel* LinkStatus = nullptr;
    int editorLines_ = 1;  // the editor's line count before the last change
    QList<QPlainTextEdit*> memos_;  // the text of each page after "Source", in page order
    QHash<int, QString> pendingNotes_;  // by page: the note to show once the next line is in
    QFileDialog* OpenDialog1 = nullptr;
    QFileDialog* SaveDialog1 = nullptr;
    FindDialog* FindDialog1 = nullptr;
    OffsetsDialog* offsets_ = nullptr;  // made at its first showing
    QTimer* Timer1 = nullptr;
};

}  // namespace vorn
