// TForm1's file commands: New, Open, Save, Save As, closing, with the save prompt.
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSaveFile>
#include <QTimer>

#include "workbench/controller.h"
#include "workbench/gui/find_dialog.h"
#include "workbench/gui/form_main.h"
#include "workbench/gui/source_editor.h"

namespace vorn {
namespace {

// Source files are small; anything bigger is not one, and would only choke the editor.
constexpr qint64 kMaxSourceFileBytes = 32 * 1024 * 1024;

// Open and Save As move to the file's folder, so that #include "x.vrn" finds
// files beside the one being edited.
void EnterFolderOf(const QString& path) { QDir::setCurrent(QFileInfo(path).absolutePath()); }

}  // namespace

void TForm1::SetFileCaption() { setWindowTitle(programTitle_ + QStringLiteral(" - ") + fileName_); }

bool TForm1::SavePrompt() {
    if (!modified_) return true;
    QMessageBox box(QMessageBox::Warning, programTitle_, QStringLiteral("Save File ") + fileName_,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
    box.setObjectName(QStringLiteral("SavePrompt"));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
        case QMessageBox::Yes:
            // A cancelled file dialog lets the command go on; a failed write
            // ends it, so the text is still there to be saved elsewhere.
            return Save() != SaveOutcome::Failed;
        case QMessageBox::No:
            return true;
        default:
            return false;
    }
}

void TForm1::TBFileNewClick() {
    if (!SavePrompt()) return;
    // The text stays; it is only detached from its file.
    fileName_.clear();
    SetFileCaption();
}

void TForm1::TBFileOpenClick() {
    if (!SavePrompt()) return;
    OpenDialog1->setDirectory(QDir::current());
    if (OpenDialog1->exec() != QDialog::Accepted) return;
    const QStringList chosen = OpenDialog1->selectedFiles();
    if (chosen.isEmpty()) return;
    OpenFile(chosen.first());
}

bool TForm1::OpenFile(const QString& path) {
    // Read first: a file that cannot be read must leave the name, the caption
    // and the compile picture alone, or the next Save would write this text
    // over the file that failed to open.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ShowErrorText(QStringLiteral("Cannot open file \"%1\". %2").arg(QDir::toNativeSeparators(path), file.errorString()));
        return false;
    }
    // Devices report no size, so the limit is checked on what was read too.
    const QByteArray bytes = file.size() > kMaxSourceFileBytes ? QByteArray() : file.read(kMaxSourceFileBytes + 1);
    if (file.size() > kMaxSourceFileBytes || bytes.size() > kMaxSourceFileBytes) {
        ShowErrorText(QStringLiteral("Cannot open file \"%1\". The file is larger than %2 MB.")
                          .arg(QDir::toNativeSeparators(path))
                          .arg(kMaxSourceFileBytes / (1024 * 1024)));
        return false;
    }
    if (file.error() != QFileDevice::NoError) {
        ShowErrorText(QStringLiteral("Cannot open file \"%1\". %2").arg(QDir::toNativeSeparators(path), file.errorString()));
        return false;
    }
    const SourceText text = DecodeSourceText(bytes);

    fileName_ = QFileInfo(path).absoluteFilePath();
    SetCompilePicture(kPictureNotCompiled);
    SetFileCaption();
    EnterFolderOf(fileName_);
    fileEncoding_ = text.encoding;
    loading_ = true;
    JVHLEditor1->SetLines(text.lines);
    loading_ = false;
    return true;
}

TForm1::SaveOutcome TForm1::Save() {
    if (fileName_.isEmpty()) return SaveAs();
    if (!WriteEditorTo(fileName_)) return SaveOutcome::Failed;
    modified_ = false;
    return SaveOutcome::Saved;
}

TForm1::SaveOutcome TForm1::SaveAs() {
    SaveDialog1->setDirectory(QDir::current());
    if (!fileName_.isEmpty()) SaveDialog1->selectFile(QFileInfo(fileName_).fileName());
    if (SaveDialog1->exec() != QDialog::Accepted) return SaveOutcome::Cancelled;
    const QStringList chosen = SaveDialog1->selectedFiles();
    if (chosen.isEmpty()) return SaveOutcome::Cancelled;
    fileName_ = QFileInfo(chosen.first()).absoluteFilePath();
    SetFileCaption();
    EnterFolderOf(fileName_);
    if (!WriteEditorTo(fileName_)) return SaveOutcome::Failed;
    modified_ = false;
    return SaveOutcome::Saved;
}

void TForm1::TBFileSaveClick() { Save(); }

void TForm1::SaveAsClick() { SaveAs(); }

bool TForm1::WriteEditorTo(const QString& path) {
    // Written beside the file and renamed over it only when complete: a full
    // disk or a missing permission leaves the old file as it was.
    QSaveFile file(path);
    const QByteArray bytes = EncodeSourceText(JVHLEditor1->Lines(), fileEncoding_);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        ShowErrorText(QStringLiteral("Cannot create file \"%1\". %2").arg(QDir::toNativeSeparators(path), reason));
        return false;
    }
    return true;
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!SavePrompt()) {
        event->ignore();
        return;
    }
    // Withdraw the program's hot keys and close the link: left registered,
    // they would stay in the simulator after Vorn has gone.
    controller_->SetConnected(false);
    Timer1->stop();
    FindDialog1->close();
    event->accept();
}

}  // namespace vorn
