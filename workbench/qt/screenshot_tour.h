#pragma once
// vorn --screenshots DIR FILE: the tour of workbench/screenshot_tour.h with
// Qt's camera; the pictures are PNG files named workbench-NAME.png.
#include <QString>

class QWidget;

namespace vorn {

class TForm1;

// 0 when every step went through and every picture was saved.
int RunScreenshotTour(TForm1& form, const QString& folder);

}  // namespace vorn
