#include "workbench/qt/find_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vorn {

FindDialog::FindDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FindDialog1"));
    setWindowTitle(QStringLiteral("Find"));
    setModal(false);

    auto* label = new QLabel(QStringLiteral("Fi&nd what:"), this);
    findWhat_ = new QLineEdit(this);
    findWhat_->setObjectName(QStringLiteral("FindWhat"));
    label->setBuddy(findWhat_);

    wholeWord_ = new QCheckBox(QStringLiteral("Match &whole word only"), this);
    wholeWord_->setObjectName(QStringLiteral("WholeWord"));
    matchCase_ = new QCheckBox(QStringLiteral("Match &case"), this);
    matchCase_->setObjectName(QStringLiteral("MatchCase"));

    direction_ = new QGroupBox(QStringLiteral("Direction"), this);
    direction_->setObjectName(QStringLiteral("Direction"));
    auto* up = new QRadioButton(QStringLiteral("&Up"), direction_);
    up->setObjectName(QStringLiteral("Up"));
    auto* down = new QRadioButton(QStringLiteral("&Down"), direction_);
    down->setObjectName(QStringLiteral("Down"));
    down->setChecked(true);
    auto* dirLayout = new QHBoxLayout(direction_);
    dirLayout->addWidget(up);
    dirLayout->addWidget(down);

    findNext_ = new QPushButton(QStringLiteral("&Find Next"), this);
    findNext_->setObjectName(QStringLiteral("FindNext"));
    findNext_->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Cancel"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(findWhat_, 0, 1, 1, 2);
    grid->addWidget(findNext_, 0, 3);
    grid->addWidget(wholeWord_, 1, 0, 1, 2);
    grid->addWidget(direction_, 1, 2, 2, 1);
    grid->addWidget(cancel, 1, 3);
    grid->addWidget(matchCase_, 2, 0, 1, 2);

    connect(findNext_, &QPushButton::clicked, this, &FindDialog::Find);
    connect(cancel, &QPushButton::clicked, this, &QDialog::close);
}

QString FindDialog::FindText() const { return findWhat_->text(); }
void FindDialog::SetFindText(const QString& text) { findWhat_->setText(text); }
bool FindDialog::MatchCase() const { return matchCase_->isChecked(); }
void FindDialog::SetMatchCase(bool on) { matchCase_->setChecked(on); }
void FindDialog::SetDirectionEnabled(bool on) { direction_->setEnabled(on); }
void FindDialog::SetWholeWordEnabled(bool on) { wholeWord_->setEnabled(on); }

}  // namespace vorn
