#pragma once
// TAbout: building one shows the about window modally and discards it when
// it closes. The window is centred on the screen and shows the version values.
#include <QString>

class QDialog;
class QLabel;
class QPushButton;
class QWidget;

namespace vorn {

class TAbout {
public:
    // The about window's own size; the button's as well.
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 240;
    static constexpr int kButtonWidth = 75;
    static constexpr int kButtonHeight = 25;

    explicit TAbout(QWidget* parent = nullptr);
    ~TAbout();
    TAbout(const TAbout&) = delete;
    TAbout& operator=(const TAbout&) = delete;

private:
    QDialog* window_ = nullptr;
    QPushButton* BN_OK = nullptr;
    QLabel* LAbout = nullptr;
    QLabel* LDescription = nullptr;
    int major_ = 0;
    int minor_ = 0;
    int release_ = 0;
    int build_ = 0;
    QString fileDescription_;
    QString productName_;
    int screenWidth_ = 0;
    int screenHeight_ = 0;
};

}  // namespace vorn
