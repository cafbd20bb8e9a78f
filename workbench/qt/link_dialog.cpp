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
    reconnect_ = new QCheckBox(QStringLiteral("&Reconnect automatically"), this);
    reconnect_->setObjectName(QStringLiteral("Reconnect"));
    connectAtStart_ = new QCheckBox(QStringLiteral("&Connect when Vorn starts"), this);
    connectAtStart_->setObjectName(QStringLiteral("ConnectAtStart"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* reset = buttons->addButton(QStringLiteral("&Defaults"), QDialogButtonBox::ResetRole);
    reset->setObjectName(QStringLiteral("Defaults"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(reset, &QPushButton::clicked, this, [this, defaults] { Show(defaults); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(reconnect_);
    layout->addWidget(connectAtStart_);
    layout->addWidget(buttons);
    Show(values);
}

void LinkDialog::Show(const LinkDialogValues& values) {
    name_->setText(QString::fromStdString(values.name));
    timeout_->setValue(values.timeoutMs);
    attempts_->setValue(values.attempts);
    reconnect_->setChecked(values.reconnect);
    connectAtStart_->setChecked(values.connectAtStart);
}

LinkDialogValues LinkDialog::Values() const {
    LinkDialogValues values;
    values.name = name_->text().toStdString();
    values.timeoutMs = timeout_->value();
    values.attempts = attempts_->value();
    values.reconnect = reconnect_->isChecked();
    values.connectAtStart = connectAtStart_->isChecked();
    return values;
}

}  // namespace vorn
