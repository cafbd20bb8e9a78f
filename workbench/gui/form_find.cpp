// TForm1's editor-side commands: Find, Search Again, the caret position line
// and the about box.
#include <QLabel>
#include <QMessageBox>

#include "workbench/controller.h"
#include "workbench/gui/about_box.h"
#include "workbench/gui/find_dialog.h"
#include "workbench/gui/form_main.h"
#include "workbench/gui/source_editor.h"
#include "workbench/gui/text_search.h"

namespace vorn {

void TForm1::Find1Click() {
    // The search only goes forward and matches substrings.
    FindDialog1->SetDirectionEnabled(false);
    FindDialog1->SetWholeWordEnabled(false);
    FindDialog1->show();
    FindDialog1->raise();
    FindDialog1->activateWindow();
}

void TForm1::SearchAgain1Click() { RunSearch(1); }

void TForm1::RunSearch(int columnOffset) {
    const int row = JVHLEditor1->CaretLine();
    const int col = JVHLEditor1->CaretColumn() + columnOffset;
    const SearchResult result =
        Search(JVHLEditor1->Lines(), FindDialog1->FindText(), col, FindDialog1->MatchCase(), row);
    if (!result.found) {
        QMessageBox box(QMessageBox::NoIcon, programTitle_, NotFoundMessage(result), QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("NotFound"));
        box.exec();
        return;
    }
    JVHLEditor1->SetCaret(result.line, result.column);
    JVHLEditor1->SelectFrom(result.line, result.column, static_cast<int>(result.searched.size()));
}

void TForm1::JVHLEditor1Change(int, int removed, int added) {
    // Format-only changes (the highlighter's) carry no characters.
    if (removed == 0 && added == 0) return;
    // Putting an opened file into the editor is not an edit.
    if (loading_ || !controller_) return;
    controller_->SourceChanged();
}

void TForm1::JVHLEditor1KeyDown() { ShowCaretPosition(); }

void TForm1::JVHLEditor1MouseDown() { ShowCaretPosition(); }

void TForm1::ShowCaretPosition() {
    L_Editor_Pos->setText(QStringLiteral("Line %1: Char %2")
                              .arg(JVHLEditor1->CaretLine() + 1)
                              .arg(JVHLEditor1->CaretColumn() + 1));
}

void TForm1::About1Click() { TAbout about(this); }

}  // namespace vorn
