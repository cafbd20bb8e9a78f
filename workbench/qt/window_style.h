#pragma once
// Colours and fonts of the workbench window.
#include <QColor>
#include <QFont>

namespace vorn {

// 0xBD816B with blue in the high byte: red 107, green 129, blue 189.
inline constexpr unsigned kWindowColourValue = 0xBD816B;
QColor WindowBackground();

// "MS Sans Serif" at 11 pixels, or the closest sans serif face there is.
QFont WindowFont();
// "Courier New" at 13 pixels, or the system's fixed-pitch face at that size.
QFont EditorFont();

}  // namespace vorn
