#pragma once
// TForm1: the workbench's main window. It hosts the workbench controller
// (compile, connect, tick, debug) and implements the view the controller
// talks to; the editor-side commands (files, find, caret line, about box)
// live here.
#include <QList>
#include <QIcon>
#include <QMainWindow>
#include <memory>

#include "workbench/gui/source_file_text.h"
#include "workbench/view.h"

class QAction;
class QFileDialog;
class QFrame;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QTabWidget;
class QTimer;
class QToolBar;
class QToolButton;

namespace vorn {

class FindDialog;
class IpcLink;
class Machine;
class SourceEditor;
class SourceHighlighter;
class WorkbenchController;

class TForm1 : public QMainWindow, public WorkbenchView {
    Q_OBJECT
public:
    // The link and the machine must outlive the window.
    TForm1(IpcLink& link, Machine& machine, QWidget* parent = nullptr);
    ~TForm1() override;

    QString FileName() const { return fileName_; }
    bool Modified() const { return modified_; }
    QString ProgramTitle() const { return programTitle_; }
    WorkbenchController& Controller() { return *controller_; }

    // Loads a file into the editor as Open does after its dialog. A file that
    // cannot be read shows the error box and changes nothing; false then.
    bool OpenFile(const QString& path);

    // Event handlers.
    void TBFileNewClick();
    void TBFileOpenClick();
    void TBFileSaveClick();
    void SaveAsClick();
    void Find1Click();
    void SearchAgain1Click();
    void About1Click();
    void TBCompileClick();
    void TBRunClick();
    void Timer1Timer();
    void MNDebugClick();
    void DisplayCompilerOutput1Click();

    // WorkbenchView.
    void SetExpandedText(const std::string& text) override;
    void SetCompilerText(const std::string& text) override;
    void AppendOutputLine(const std::string& line) override;
    void AppendInterpreterLine(const std::string& line) override;
    void ClearOutput() override;
    void SelectPage(int index) override;
    void SetPageVisible(int index, bool visible) override;
    void SetCompilePicture(int index) override;
    int CompilePicture() const override { return compilePicture_; }
    void SetConnectCaption(const std::string& caption) override;
    void SetRunHint(const std::string& hint) override;
    void SetRunPicture(int index) override;
    void SetDebugCaption(const std::string& caption) override;
    void SetCompilerOutputChecked(bool checked) override;
    std::vector<std::string> EditorLines() const override;
    void SetModified(bool modified) override { modified_ = modified; }
    void EnableTimer() override;
    void ShowError(const std::string& message) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    enum class SaveOutcome { Saved, Cancelled, Failed };

    void BuildMenus();
    void BuildToolBar();
    void BuildPages();
    QPlainTextEdit* AddMemoPage(const char* pageName, const char* memoName, const QString& caption);
    void FormCreate();
    void ResetComponents();

    // True when the command may go on.
    bool SavePrompt();
    SaveOutcome Save();
    SaveOutcome SaveAs();
    bool WriteEditorTo(const QString& path);
    void SetFileCaption();
    void ShowErrorText(const QString& message);

    void JVHLEditor1Change(int position, int removed, int added);
    void JVHLEditor1KeyDown();
    void JVHLEditor1MouseDown();
    void ShowCaretPosition();
    void RunSearch(int columnOffset);

    IpcLink& link_;
    Machine& machine_;
    std::unique_ptr<WorkbenchController> controller_;

    QString fileName_;
    bool modified_ = false;
    QString programTitle_;
    TextEncoding fileEncoding_ = TextEncoding::System;
    bool loading_ = false;  // a file is being put into the editor
    int compilePicture_ = 11;
    QList<QIcon> pictures_;

    QToolBar* ToolBar1 = nullptr;
    QToolButton* TBFileNew = nullptr;
    QToolButton* TBFileOpen = nullptr;
    QToolButton* TBFileSave = nullptr;
    QToolButton* TBCompile = nullptr;
    QToolButton* TBRun = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* TSSource = nullptr;
    SourceEditor* JVHLEditor1 = nullptr;
    SourceHighlighter* highlighter_ = nullptr;
    QFrame* Panel2 = nullptr;
    QLabel* L_Editor_Pos = nullptr;
    QPlainTextEdit* MMExpanded = nullptr;
    QPlainTextEdit* MMCompilerDebug = nullptr;
    QPlainTextEdit* MMInterpretDebug = nullptr;
    QPlainTextEdit* MMOutput = nullptr;

    QAction* New1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* Save1 = nullptr;
    QAction* SaveAs_ = nullptr;  // the menu item SaveAs
    QAction* Exit1 = nullptr;
    QMenu* MnEdit1 = nullptr;
    QAction* Find1 = nullptr;
    QAction* SearchAgain1 = nullptr;
    QAction* MNCompile = nullptr;
    QAction* MNConnect = nullptr;
    QAction* MNDebug = nullptr;
    QAction* DisplayCompilerOutput1 = nullptr;
    QAction* About1 = nullptr;

    QFileDialog* OpenDialog1 = nullptr;
    QFileDialog* SaveDialog1 = nullptr;
    FindDialog* FindDialog1 = nullptr;
    QTimer* Timer1 = nullptr;
};

}  // namespace vorn
