#pragma once
// vorn.exe --screenshots DIR FILE: the documentation's pictures, taken by
// the window itself. It opens FILE, photographs "Source", compiles with the
// listing on and photographs "Compiler", connects (printing "connected" so
// a script can press hot keys in the simulator), waits for the output to
// settle and photographs "Program Output" and "Watch", then the about box. The pictures
// are 24-bit BMP files (the script turns them into PNG).
#include <string>

namespace vorn::win32 {

class TForm1;

// 0 when every picture was written.
int RunScreenshotTour(TForm1& form, const std::string& folder, const std::string& file);

}  // namespace vorn::win32
