#include "workbench/qt/window_style.h"

#include <QFontDatabase>
#include <QFontInfo>

namespace vorn {

QColor WindowBackground() {
    return QColor(kWindowColourValue & 0xFF, (kWindowColourValue >> 8) & 0xFF, (kWindowColourValue >> 16) & 0xFF);
}

QFont WindowFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"), font.family()});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

QFont EditorFont() {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPixelSize(13);
    // Where no Courier New (nor a metric twin) exists the substitute may be
    // proportional; the system's monospace face keeps columns aligned.
    if (!QFontInfo(font).fixedPitch()) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPixelSize(13);
    }
    return font;
}

}  // namespace vorn
