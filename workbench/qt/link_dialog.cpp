#include "workbench/qt/link_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "workbench/settings.h"

namespace vorn {
namespace {

QSpinBox* SpinFor(SettingId id, const char* name, QWidget* parent) {
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(QLatin1String(name));
    spin->setRange(int(InfoOf(id).min), int(InfoOf(id).max));
    return spin;
}

}  // namespace

LinkDialog::LinkDialog(const LinkDialogValues& values, const LinkDialogValues& defaults, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("LinkDialog"));
    setWindowTitle(QStringLiteral("Simulator Link"));
    auto* form = new QFormLayout;
    name_ = new QLineEdit(this);
    name_->setObjectName(QStringLiteral("MessageName"));
    name_->setMaxLength(int(InfoOf(SettingId::kIpcName).max));
    timeout_ = SpinFor(SettingId::kIpcTimeoutMs, "TimeoutMs", this);
    attempts_ = SpinFor(SettingId::kIpcAttempts, "Attempts", this);
    form->addRow(QStringLiteral("&Message name:"), name_);
    form->addRow(QStringLiteral("Answer &time-out (ms):"), timeout_);
    form->addRow(QStringLiteral("&Attempts:"), attempts_);
    for (const LinkDialogSwitch& s : kLinkDialogSwitches) {
        auto* box = new QCheckBox(QString::fromUtf8(s.label), this);
        box->setObjectName(QLatin1String(s.objectName));
        switches_.push_back(box);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* reset = buttons->addButton(QStringLiteral("&Defaults"), QDialogButtonBox::ResetRole);
    reset->setObjectName(QStringLiteral("Defaults"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(reset, &QPushButton::clicked, this, [this, defaults] { Show(defaults); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    for (QCheckBox* box : switches_) layout->addWidget(box);
    layout->addWidget(buttons);
    Show(values);
}

void LinkDialog::Show(const LinkDialogValues& values) {
    name_->setText(QString::fromStdString(values.name));
    timeout_->setValue(values.timeoutMs);
    attempts_->setValue(values.attempts);
    for (std::size_t i = 0; i < switches_.size(); ++i) switches_[i]->setChecked(values.*kLinkDialogSwitches[i].value);
}

LinkDialogValues LinkDialog::Values() const {
    LinkDialogValues values;
    values.name = name_->text().toStdString();
    values.timeoutMs = timeout_->value();
    values.attempts = attempts_->value();
    for (std::size_t i = 0; i < switches_.size(); ++i) values.*kLinkDialogSwitches[i].value = switches_[i]->isChecked();
    return values;
}

}  // namespace vorn
