#pragma once
// The documentation's screenshots, taken by the workbench itself: with a
// file loaded it saves the Source page, compiles and saves the Compiler page,
// connects (a simulator must be running), prints "connected" on stdout so
// that whoever drives the simulator can press a hot key, waits for the
// program's output and saves the Program Output page (printing its lines as
// "output: ..."), then the about box.
#include <QString>

class QWidget;

namespace vorn {

class TForm1;

class ScreenshotTour {
public:
    ScreenshotTour(TForm1& form, const QString& folder);
    // 0 when every picture was saved.
    int Run();

private:
    bool Save(const QString& name, QWidget* widget);
    TForm1& form_;
    QString folder_;
};

}  // namespace vorn
