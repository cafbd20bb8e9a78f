#pragma once
// The toolbar's image list (ImageList1): pictures painted by the program at
// start-up, so no image files have to be found at run time.
#include <QIcon>
#include <QList>

namespace vorn {

// Roles of the pictures the window uses; the others are spare.
enum ToolbarPicture : int {
    kPicNew = 0,
    kPicOpen = 1,
    kPicSave = 2,
    kPicFind = 3,
    kPicCut = 4,
    kPicCopy = 5,
    kPicPaste = 6,
    kPicDebug = 7,
    kPicHelp = 8,
    kPicDisconnect = 9,   // TBRun while connected: stop
    kPicConnect = 10,     // TBRun while disconnected: go
    kPicNotCompiled = 11, // TBCompile: text not compiled
    kPicCompiled = 12,    // TBCompile: compiled
    kToolbarPictureCount = 13,
};

// All pictures, index = role; each at 16 and 32 pixels.
QList<QIcon> ToolbarPictures();

}  // namespace vorn
