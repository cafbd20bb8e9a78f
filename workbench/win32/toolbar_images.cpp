#include "workbench/win32/toolbar_images.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "workbench/toolbar_pictures.h"

namespace vorn::win32 {
namespace {

// Drawn four times larger and averaged down: GDI has no antialiasing.
constexpr int kScale = 4;

COLORREF ColourOf(int rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

int At(float v, int size) { return static_cast<int>(std::lround(v * static_cast<float>(size) / 16.0f)); }

void DrawShapes(HDC dc, const std::vector<PictureShape>& shapes, int size) {
    for (const PictureShape& s : shapes) {
        HPEN pen = nullptr;
        if (s.pen != kNoColour) {
            LOGBRUSH lb{BS_SOLID, ColourOf(s.pen), 0};
            const DWORD caps = s.roundCap ? (PS_ENDCAP_ROUND | PS_JOIN_ROUND) : (PS_ENDCAP_FLAT | PS_JOIN_MITER);
            const DWORD width = static_cast<DWORD>(std::max(1L, std::lround(s.penWidth * size / 16.0f)));
            pen = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | caps, width, &lb, 0, nullptr);
        }
        HBRUSH brush = s.fill != kNoColour ? CreateSolidBrush(ColourOf(s.fill)) : nullptr;
        HGDIOBJ oldPen = SelectObject(dc, pen != nullptr ? static_cast<HGDIOBJ>(pen) : GetStockObject(NULL_PEN));
        HGDIOBJ oldBrush =
            SelectObject(dc, brush != nullptr ? static_cast<HGDIOBJ>(brush) : GetStockObject(NULL_BRUSH));

        std::vector<POINT> pts;
        for (const PicturePoint& p : s.points) pts.push_back({At(p.x, size), At(p.y, size)});
        const auto& q = s.points;
        switch (s.kind) {
            case ShapeKind::kRect:
            case ShapeKind::kRoundRect:
                if (q.size() >= 2) {
                    const int l = At(q[0].x, size), t = At(q[0].y, size);
                    const int r = At(q[0].x + q[1].x, size), b = At(q[0].y + q[1].y, size);
                    if (s.kind == ShapeKind::kRect) {
                        Rectangle(dc, l, t, r, b);
                    } else {
                        const int d = At(2 * s.radius, size);
                        RoundRect(dc, l, t, r, b, d, d);
                    }
                }
                break;
            case ShapeKind::kEllipse:
                if (q.size() >= 2)
                    Ellipse(dc, At(q[0].x - q[1].x, size), At(q[0].y - q[1].y, size), At(q[0].x + q[1].x, size),
                            At(q[0].y + q[1].y, size));
                break;
            case ShapeKind::kLine:
            case ShapeKind::kPolyline:
                if (pts.size() >= 2) Polyline(dc, pts.data(), static_cast<int>(pts.size()));
                break;
            case ShapeKind::kPolygon:
                if (pts.size() >= 3) Polygon(dc, pts.data(), static_cast<int>(pts.size()));
                break;
        }
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        if (pen != nullptr) DeleteObject(pen);
        if (brush != nullptr) DeleteObject(brush);
    }
}

// The picture drawn on a plain background, big, as 0xAARRGGBB-less pixels.
std::vector<std::uint32_t> DrawOn(const std::vector<PictureShape>& shapes, int size, COLORREF background) {
    const int big = size * kScale;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = big;
    bi.bmiHeader.biHeight = -big;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<std::uint32_t> pixels;
    if (bitmap == nullptr) {
        DeleteDC(dc);
        return pixels;
    }
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, big, big};
    HBRUSH fill = CreateSolidBrush(background);
    FillRect(dc, &all, fill);
    DeleteObject(fill);
    DrawShapes(dc, shapes, big);
    GdiFlush();
    const auto* p = static_cast<const std::uint32_t*>(bits);
    pixels.assign(p, p + static_cast<std::size_t>(big) * big);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
}

}  // namespace

HBITMAP RenderPicture(int picture, int size) {
    const std::vector<PictureShape>& shapes = PictureShapes(picture);
    // Drawn once on black and once on white: where they differ, the picture
    // lets the background through, which gives the alpha of each pixel.
    const std::vector<std::uint32_t> onBlack = DrawOn(shapes, size, RGB(0, 0, 0));
    const std::vector<std::uint32_t> onWhite = DrawOn(shapes, size, RGB(255, 255, 255));
    const int big = size * kScale;
    if (onBlack.size() != static_cast<std::size_t>(big) * big || onWhite.size() != onBlack.size()) return nullptr;

    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = size;
    bi.bmiHeader.biHeight = -size;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP result = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (result == nullptr) return nullptr;
    auto* out = static_cast<std::uint32_t*>(bits);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            // Premultiplied colour and alpha, averaged over the big pixels.
            unsigned sum[4] = {0, 0, 0, 0};
            for (int dy = 0; dy < kScale; ++dy) {
                for (int dx = 0; dx < kScale; ++dx) {
                    const std::size_t i = static_cast<std::size_t>(y * kScale + dy) * big + (x * kScale + dx);
                    const std::uint32_t b = onBlack[i], w = onWhite[i];
                    for (int c = 0; c < 3; ++c) {
                        const unsigned cb = (b >> (8 * c)) & 0xFF, cw = (w >> (8 * c)) & 0xFF;
                        sum[c] += cb;  // on black, the colour already carries its alpha
                        if (c == 1) sum[3] += 255 - std::min(255u, cw - std::min(cw, cb));
                    }
                }
            }
            const unsigned n = kScale * kScale;
            const unsigned a = sum[3] / n;
            const unsigned r = std::min(a, sum[2] / n), g = std::min(a, sum[1] / n), bl = std::min(a, sum[0] / n);
            out[static_cast<std::size_t>(y) * size + x] = (a << 24) | (r << 16) | (g << 8) | bl;
        }
    }
    return result;
}

HIMAGELIST ToolbarImageList(int size) {
    HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32, kToolbarPictureCount, 0);
    for (int i = 0; i < kToolbarPictureCount; ++i) {
        HBITMAP bitmap = RenderPicture(i, size);
        ImageList_Add(list, bitmap, nullptr);
        if (bitmap != nullptr) DeleteObject(bitmap);
    }
    return list;
}

}  // namespace vorn::win32
