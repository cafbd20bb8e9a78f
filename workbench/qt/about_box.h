#pragma once
// TAbout: building one shows the about window modally and discards it when
// it closes. The window is centred on the screen and shows the version values.
class QDialog;
class QWidget;

namespace vorn {

class TAbout {
public:
    explicit TAbout(QWidget* parent = nullptr);
    ~TAbout();
    TAbout(const TAbout&) = delete;
    TAbout& operator=(const TAbout&) = delete;

private:
    QDialog* window_ = nullptr;
};

}  // namespace vorn
