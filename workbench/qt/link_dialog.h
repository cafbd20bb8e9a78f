#pragma once
// "Simulator Link": the link's settings in a small modal dialog; the window
// core fills it and takes the values back (window_core.h, LinkDialogValues).
#include <QDialog>

#include <vector>

#include "workbench/window_core.h"

class QCheckBox;
class QLineEdit;
class QSpinBox;

namespace vorn {

class LinkDialog : public QDialog {
    Q_OBJECT
public:
    LinkDialog(const LinkDialogValues& values, const LinkDialogValues& defaults, QWidget* parent = nullptr);
    LinkDialogValues Values() const;

private:
    void Show(const LinkDialogValues& values);

    QLineEdit* name_ = nullptr;
    QSpinBox* timeout_ = nullptr;
    QSpinBox* attempts_ = nullptr;
    std::vector<QCheckBox*> switches_;  // one for each of kLinkDialogSwitches
};

}  // namespace vorn
