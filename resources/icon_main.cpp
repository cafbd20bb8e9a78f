// Writes the application icon as SVG: the toolbar's "compiled" picture (a
// page with a green tick), drawn from the same shape description both
// windows paint, so the icon needs no drawing of its own.
//   vorn_icon OUT.svg
#include <cstdio>
#include <string>

#include "support/format.h"
#include "workbench/toolbar_pictures.h"

namespace {

std::string Colour(int rgb) { return rgb == vorn::kNoColour ? "none" : vorn::Format("#%06X", rgb); }

std::string Points(const vorn::PictureShape& s) {
    std::string out;
    for (const vorn::PicturePoint& p : s.points) vorn::AppendFormat(out, "%s%g,%g", out.empty() ? "" : " ", p.x, p.y);
    return out;
}

std::string Element(const vorn::PictureShape& s) {
    using vorn::ShapeKind;
    std::string paint = vorn::Format(" fill=\"%s\"", Colour(s.fill).c_str());
    if (s.pen != vorn::kNoColour) {
        vorn::AppendFormat(paint, " stroke=\"%s\" stroke-width=\"%g\"", Colour(s.pen).c_str(), s.penWidth);
        if (s.roundCap) paint += " stroke-linecap=\"round\" stroke-linejoin=\"round\"";
    }
    if (s.points.size() < 2) return "";
    const vorn::PicturePoint a = s.points[0], b = s.points[1];
    switch (s.kind) {
    case ShapeKind::kRect:
        return vorn::Format("<rect x=\"%g\" y=\"%g\" width=\"%g\" height=\"%g\"%s/>", a.x, a.y, b.x, b.y, paint.c_str());
    case ShapeKind::kRoundRect:
        return vorn::Format("<rect x=\"%g\" y=\"%g\" width=\"%g\" height=\"%g\" rx=\"%g\"%s/>", a.x, a.y, b.x, b.y,
                            s.radius, paint.c_str());
    case ShapeKind::kEllipse:
        return vorn::Format("<ellipse cx=\"%g\" cy=\"%g\" rx=\"%g\" ry=\"%g\"%s/>", a.x, a.y, b.x, b.y, paint.c_str());
    case ShapeKind::kLine:
        return vorn::Format("<line x1=\"%g\" y1=\"%g\" x2=\"%g\" y2=\"%g\"%s/>", a.x, a.y, b.x, b.y, paint.c_str());
    case ShapeKind::kPolyline:
        return vorn::Format("<polyline points=\"%s\"%s/>", Points(s).c_str(), paint.c_str());
    case ShapeKind::kPolygon:
        return vorn::Format("<polygon points=\"%s\"%s/>", Points(s).c_str(), paint.c_str());
    }
    return "";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vorn_icon OUT.svg\n");
        return 2;
    }
    std::string svg =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"64\" height=\"64\" viewBox=\"0 0 16 16\">\n";
    for (const vorn::PictureShape& shape : vorn::PictureShapes(vorn::kPicCompiled)) svg += "  " + Element(shape) + "\n";
    svg += "</svg>\n";
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    const bool ok = std::fwrite(svg.data(), 1, svg.size(), out) == svg.size();
    if (std::fclose(out) != 0 || !ok) {
        std::fprintf(stderr, "vorn_icon: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
