#include "workbench/qt/about_box.h"

#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "workbench/qt/window_style.h"
#include "workbench/version_reader.h"

namespace vorn {

TAbout::TAbout(QWidget* parent) {
    const AboutTexts texts = AboutTextsOf(ReadVersionInfo());

    window_ = new QDialog(parent);
    window_->setObjectName(QStringLiteral("About"));
    window_->setWindowTitle(QString::fromStdString(texts.caption));
    window_->setFont(WindowFont());
    window_->setFixedSize(kAboutWidth, kAboutHeight);
    // Centred on the screen, in the logical pixels windows are placed in.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        const Origin origin = CentredOrigin(area.width(), area.height(), kAboutWidth, kAboutHeight);
        window_->move(area.x() + origin.x, area.y() + origin.y);
    }

    // The OK button, centred above the bottom edge.
    auto* ok = new QPushButton(QStringLiteral("OK"), window_);
    ok->setObjectName(QStringLiteral("BN_OK"));
    ok->setGeometry((kAboutWidth - kAboutButtonWidth) / 2, kAboutHeight - kAboutButtonHeight - 50, kAboutButtonWidth,
                    kAboutButtonHeight);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, window_, &QDialog::accept);

    auto* about = new QLabel(QString::fromStdString(texts.version), window_);
    about->setObjectName(QStringLiteral("LAbout"));
    about->move(30, 20);
    about->adjustSize();
    auto* description = new QLabel(QString::fromStdString(texts.description), window_);
    description->setObjectName(QStringLiteral("LDescription"));
    description->move(30, 40);
    description->adjustSize();

    // Modal; discarded with this object.
    window_->exec();
}

TAbout::~TAbout() { delete window_; }

}  // namespace vorn
