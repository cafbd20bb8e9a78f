#pragma once
// The toolbar's pictures (ImageList1), described once as shapes on a
// 16 x 16 grid; each window renders them with its own painter (QPainter,
// GDI), so no image files have to be found at run time.
#include <vector>

namespace vorn {

// The pictures by role; the index is the image-list index the buttons use.
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
    kPicDisconnect = 9,    // TBRun while connected: stop
    kPicConnect = 10,      // TBRun while disconnected: go
    kPicNotCompiled = 11,  // TBCompile: text not compiled
    kPicCompiled = 12,     // TBCompile: compiled
    kPicReload = 13,       // TBReload: swap the edited program in
    kPicContinue = 14,     // the debugger's run controls
    kPicPause = 15,
    kPicStepOver = 16,
    kPicStepInto = 17,
    kPicStepOut = 18,
    kPicBreakpoint = 19,   // Toggle Breakpoint: the gutter's red dot
    kToolbarPictureCount = 20,
};

enum class ShapeKind {
    kRect,       // points[0] = top left, points[1] = width, height
    kRoundRect,  // as kRect; `radius` rounds the corners
    kEllipse,    // points[0] = centre, points[1] = radii
    kLine,       // points[0] to points[1]
    kPolyline,   // open path through the points
    kPolygon,    // closed, filled path through the points
};

struct PicturePoint {
    float x = 0;
    float y = 0;
};

inline constexpr int kNoColour = -1;

struct PictureShape {
    ShapeKind kind = ShapeKind::kRect;
    int pen = kNoColour;   // outline colour 0xRRGGBB, or kNoColour
    float penWidth = 1;
    int fill = kNoColour;  // 0xRRGGBB, or kNoColour
    bool roundCap = false; // round line ends and joins
    float radius = 0;      // kRoundRect only
    std::vector<PicturePoint> points;
};

// The shapes of one picture, painted in order; empty for an index out of range.
const std::vector<PictureShape>& PictureShapes(int picture);

}  // namespace vorn
