#pragma once
// FindDialog1: the modeless find dialog. It only collects the search text and
// the options; the window runs the search when Find() is emitted.
#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace vorn {

class FindDialog : public QDialog {
    Q_OBJECT
public:
    explicit FindDialog(QWidget* parent = nullptr);

    QString FindText() const;
    void SetFindText(const QString& text);
    bool MatchCase() const;
    void SetMatchCase(bool on);

    // The window disables the options its search does not honour.
    void SetDirectionEnabled(bool on);
    void SetWholeWordEnabled(bool on);

signals:
    // The user asked for the next match.
    void Find();

private:
    QLineEdit* findWhat_;
    QCheckBox* matchCase_;
    QCheckBox* wholeWord_;
    QGroupBox* direction_;
    QPushButton* findNext_;
};

}  // namespace vorn
