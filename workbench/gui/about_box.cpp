#include "workbench/gui/about_box.h"

#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "workbench/gui/version_reader.h"
#include "workbench/gui/window_style.h"

namespace vorn {

TAbout::TAbout(QWidget* parent) {
    // 1. The display's size in pixels.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize size = screen->size() * screen->devicePixelRatio();
        screenWidth_ = size.width();
        screenHeight_ = size.height();
    }

    // 2. The window, centred (integer division truncates toward zero).
    window_ = new QDialog(parent);
    window_->setObjectName(QStringLiteral("About"));
    window_->setWindowTitle(QStringLiteral("About ...."));
    window_->setFont(WindowFont());
    window_->setFixedSize(kWidth, kHeight);
    window_->move((screenWidth_ - kWidth) / 2, (screenHeight_ - kHeight) / 2);

    // 3. The OK button, centred above the bottom edge.
    BN_OK = new QPushButton(QStringLiteral("OK"), window_);
    BN_OK->setObjectName(QStringLiteral("BN_OK"));
    BN_OK->setGeometry((kWidth - kButtonWidth) / 2, kHeight - kButtonHeight - 50, kButtonWidth, kButtonHeight);
    BN_OK->setDefault(true);
    QObject::connect(BN_OK, &QPushButton::clicked, window_, &QDialog::accept);

    // 4. The two labels.
    LAbout = new QLabel(window_);
    LAbout->setObjectName(QStringLiteral("LAbout"));
    LAbout->move(30, 20);
    LDescription = new QLabel(window_);
    LDescription->setObjectName(QStringLiteral("LDescription"));
    LDescription->move(30, 40);

    // 5. The version values.
    const VersionInfo info = ReadVersionInfo();
    if (info.available) {
        major_ = info.major;
        minor_ = info.minor;
        release_ = info.release;
        build_ = info.build;
        fileDescription_ = info.fileDescription;
        productName_ = info.productName;
        LAbout->setText(QStringLiteral("Version %1.%2.%3.%4").arg(major_).arg(minor_).arg(release_).arg(build_));
        LDescription->setText(fileDescription_);
    } else {
        LAbout->setText(QStringLiteral("No version information available"));
    }
    LAbout->adjustSize();
    LDescription->adjustSize();

    // 6. The caption.
    window_->setWindowTitle(QStringLiteral("About ") + productName_);

    // 7. Modal; discarded with this object.
    window_->exec();
}

TAbout::~TAbout() { delete window_; }

}  // namespace vorn
