#pragma once
// Help > FSUIPC Offsets...: the catalogue in a table with a filter box; a
// double-clicked row hands its declaration to the window, which puts it at
// the editor's caret. Modeless, so that several can be taken in turn.
#include <QDialog>

#include "workbench/offsets_browser.h"

class QLineEdit;
class QTableWidget;

namespace vorn {

class OffsetsDialog : public QDialog {
    Q_OBJECT
public:
    explicit OffsetsDialog(QWidget* parent = nullptr);

signals:
    void DeclarationChosen(const QString& declaration);

private:
    void Fill();

    OffsetsBrowser browser_;
    QLineEdit* filter_ = nullptr;
    QTableWidget* table_ = nullptr;
};

}  // namespace vorn
