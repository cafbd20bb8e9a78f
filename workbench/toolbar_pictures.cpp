#include "workbench/toolbar_pictures.h"

namespace vorn {
namespace {

constexpr int kBlack = 0x000000;
constexpr int kWhite = 0xFFFFFF;

PictureShape Rect(float x, float y, float w, float h, int pen, float width, int fill) {
    return {ShapeKind::kRect, pen, width, fill, false, 0, {{x, y}, {w, h}}};
}
PictureShape Ellipse(float cx, float cy, float rx, float ry, int pen, float width, int fill) {
    return {ShapeKind::kEllipse, pen, width, fill, false, 0, {{cx, cy}, {rx, ry}}};
}
PictureShape Line(float x1, float y1, float x2, float y2, int pen, float width, bool round = false) {
    return {ShapeKind::kLine, pen, width, kNoColour, round, 0, {{x1, y1}, {x2, y2}}};
}

// A sheet of paper with a folded corner.
void Page(std::vector<PictureShape>& s, int fill) {
    s.push_back({ShapeKind::kPolygon, kBlack, 0.8f, fill, false, 0, {{3, 1}, {10, 1}, {13, 4}, {13, 15}, {3, 15}}});
    s.push_back({ShapeKind::kPolyline, kBlack, 0.8f, kNoColour, false, 0, {{10, 1}, {10, 4}, {13, 4}}});
}

std::vector<std::vector<PictureShape>> BuildPictures() {
    std::vector<std::vector<PictureShape>> p(kToolbarPictureCount);

    Page(p[kPicNew], kWhite);

    p[kPicOpen] = {
        Rect(1, 4, 12, 10, 0x785A00, 0.8f, 0xF0C850),
        Rect(1, 3, 5, 2, 0x785A00, 0.8f, 0xF0C850),
        {ShapeKind::kPolygon, 0x785A00, 0.8f, 0xFFE178, false, 0, {{3, 7}, {15, 7}, {13, 14}, {1, 14}}},
    };

    p[kPicSave] = {
        Rect(1.5f, 1.5f, 13, 13, kBlack, 0.8f, 0x283C8C),
        Rect(4, 1.5f, 8, 5, kBlack, 0.8f, kWhite),
        Rect(4, 9, 8, 5.5f, kBlack, 0.8f, 0xC8C8C8),
    };

    p[kPicFind] = {
        Ellipse(6.5f, 6.5f, 4.5f, 4.5f, kBlack, 1.6f, 0xC8E6FF),
        Line(10, 10, 14.5f, 14.5f, kBlack, 2.5f, true),
    };

    p[kPicCut] = {
        Ellipse(4, 12, 2.3f, 2.3f, kBlack, 1.2f, kNoColour),
        Ellipse(12, 12, 2.3f, 2.3f, kBlack, 1.2f, kNoColour),
        Line(5.5f, 10, 11, 1.5f, kBlack, 1.2f),
        Line(10.5f, 10, 5, 1.5f, kBlack, 1.2f),
    };

    p[kPicCopy] = {
        Rect(1.5f, 1.5f, 8, 10, kBlack, 0.8f, kWhite),
        Rect(6.5f, 4.5f, 8, 10, kBlack, 0.8f, kWhite),
    };

    p[kPicPaste] = {
        Rect(1.5f, 2.5f, 10, 12, kBlack, 0.8f, 0xBE8C3C),
        Rect(4, 1, 5, 3, kBlack, 0.8f, 0xA0A0A0),
        Rect(7.5f, 6.5f, 7, 8, kBlack, 0.8f, kWhite),
    };

    // A bug: legs across a red body.
    for (float y : {6.0f, 9.0f, 12.0f}) p[kPicDebug].push_back(Line(2, y, 14, y, kBlack, 1));
    p[kPicDebug].push_back(Ellipse(8, 9, 4, 5.5f, kBlack, 1, 0xAA2828));
    p[kPicDebug].push_back(Ellipse(8, 3, 2.2f, 2.2f, kBlack, 1, kBlack));

    // A white question mark on a blue disc.
    p[kPicHelp] = {
        Ellipse(8, 8, 7, 7, 0x000080, 0.8f, 0x3C6EDC),
        {ShapeKind::kPolyline, kWhite, 1.8f, kNoColour, true, 0,
         {{5.5f, 6}, {6, 4.3f}, {8, 3.5f}, {10, 4.3f}, {10.5f, 6}, {8, 8}, {8, 9.5f}}},
        Ellipse(8, 12, 1, 1, kNoColour, 0, kWhite),
    };

    // A red stop sign: the program is running, this button stops it.
    p[kPicDisconnect] = {
        {ShapeKind::kRoundRect, 0x6E0000, 0.8f, 0xD71E1E, false, 2, {{2, 2}, {12, 12}}},
        Rect(5, 5, 6, 6, kNoColour, 0, kWhite),
    };

    // A green "go" triangle: connect and run.
    p[kPicConnect] = {
        {ShapeKind::kPolygon, 0x005A00, 0.8f, 0x1EAA28, false, 0, {{3, 1.5f}, {14.5f, 8}, {3, 14.5f}}},
    };

    // A red cross over the page: nothing compiled for this text.
    Page(p[kPicNotCompiled], 0xEBEBEB);
    p[kPicNotCompiled].push_back(Line(6.5f, 7.5f, 13.5f, 14.5f, 0xD20000, 2.6f, true));
    p[kPicNotCompiled].push_back(Line(13.5f, 7.5f, 6.5f, 14.5f, 0xD20000, 2.6f, true));

    // A green tick: the text compiled.
    Page(p[kPicCompiled], kWhite);
    p[kPicCompiled].push_back(
        {ShapeKind::kPolyline, 0x00A000, 2.8f, kNoColour, true, 0, {{5, 10}, {8, 13.5f}, {14.5f, 5}}});

    // A green arrow turning back on itself: the program swapped while it runs.
    p[kPicReload] = {
        {ShapeKind::kPolyline, 0x008C14, 2.2f, kNoColour, true, 0,
         {{12.5f, 10}, {11.2f, 12.3f}, {8.5f, 13.5f}, {5.6f, 12.8f}, {3.6f, 10.6f}, {3, 8}, {3.8f, 5.2f},
          {6, 3.3f}, {8.8f, 2.7f}, {11.4f, 3.6f}}},
        {ShapeKind::kPolygon, 0x005A00, 0.6f, 0x1EAA28, false, 0, {{14.5f, 1.5f}, {14.5f, 7.5f}, {8.5f, 5.5f}}},
    };

    // The run controls: green "go" with a bar, two bars, and arrows over a line of text.
    p[kPicContinue] = {
        Rect(2, 2, 2.5f, 12, kNoColour, 0, 0x1E5AAA),
        {ShapeKind::kPolygon, 0x005A00, 0.8f, 0x1EAA28, false, 0, {{6, 2}, {14.5f, 8}, {6, 14}}},
    };
    p[kPicPause] = {
        Rect(3.5f, 2, 3.5f, 12, 0x14325A, 0.8f, 0x1E5AAA),
        Rect(9, 2, 3.5f, 12, 0x14325A, 0.8f, 0x1E5AAA),
    };
    const auto textLine = [](std::vector<PictureShape>& s) { s.push_back(Rect(2, 12.5f, 12, 2, kNoColour, 0, 0x505050)); };
    p[kPicStepOver] = {
        {ShapeKind::kPolyline, 0x1E5AAA, 1.8f, kNoColour, true, 0, {{2.5f, 9}, {4, 4.5f}, {8, 2.5f}, {12, 4.5f}, {13, 8}}},
        {ShapeKind::kPolygon, 0x14325A, 0.6f, 0x1E5AAA, false, 0, {{10.5f, 7.5f}, {15, 7}, {13, 11}}},
    };
    textLine(p[kPicStepOver]);
    p[kPicStepInto] = {
        Line(8, 1.5f, 8, 7.5f, 0x1E5AAA, 1.8f, true),
        {ShapeKind::kPolygon, 0x14325A, 0.6f, 0x1E5AAA, false, 0, {{4.5f, 6.5f}, {11.5f, 6.5f}, {8, 10.5f}}},
    };
    textLine(p[kPicStepInto]);
    p[kPicStepOut] = {
        Line(8, 10.5f, 8, 4.5f, 0x1E5AAA, 1.8f, true),
        {ShapeKind::kPolygon, 0x14325A, 0.6f, 0x1E5AAA, false, 0, {{4.5f, 5.5f}, {11.5f, 5.5f}, {8, 1.5f}}},
    };
    textLine(p[kPicStepOut]);
    p[kPicBreakpoint] = {Ellipse(8, 8, 5.5f, 5.5f, 0x960000, 1, 0xDC1414)};
    return p;
}

}  // namespace

const std::vector<PictureShape>& PictureShapes(int picture) {
    static const std::vector<std::vector<PictureShape>> pictures = BuildPictures();
    static const std::vector<PictureShape> none;
    if (picture < 0 || picture >= kToolbarPictureCount) return none;
    return pictures[static_cast<std::size_t>(picture)];
}

}  // namespace vorn
