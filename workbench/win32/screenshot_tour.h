#pragma once
// vorn.exe --screenshots DIR FILE: opens FILE and takes the tour of
// workbench/screenshot_tour.h with GDI's camera. The pictures are 24-bit BMP
// files named workbench-win32-NAME.bmp (the script turns them into PNG).
#include <string>

namespace vorn::win32 {

class TForm1;

// 0 when every picture was written.
int RunScreenshotTour(TForm1& form, const std::string& folder, const std::string& file);

}  // namespace vorn::win32
