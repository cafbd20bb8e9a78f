#include "workbench/qt/picture_painter.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygonF>

#include "workbench/toolbar_pictures.h"

namespace vorn {
namespace {

QColor Colour(int rgb) { return QColor::fromRgb(static_cast<QRgb>(rgb)); }

void Paint(QPainter& p, const PictureShape& shape) {
    if (shape.pen == kNoColour || shape.penWidth <= 0) {
        p.setPen(Qt::NoPen);
    } else {
        const Qt::PenCapStyle cap = shape.roundCap ? Qt::RoundCap : Qt::SquareCap;
        const Qt::PenJoinStyle join = shape.roundCap ? Qt::RoundJoin : Qt::MiterJoin;
        p.setPen(QPen(Colour(shape.pen), shape.penWidth, Qt::SolidLine, cap, join));
    }
    p.setBrush(shape.fill == kNoColour ? QBrush(Qt::NoBrush) : QBrush(Colour(shape.fill)));
    QPolygonF points;
    for (const PicturePoint& pt : shape.points) points << QPointF(pt.x, pt.y);
    if (points.size() < 2) return;
    const QRectF box(points[0], QSizeF(points[1].x(), points[1].y()));
    switch (shape.kind) {
        case ShapeKind::kRect:
            p.drawRect(box);
            break;
        case ShapeKind::kRoundRect:
            p.drawRoundedRect(box, shape.radius, shape.radius);
            break;
        case ShapeKind::kEllipse:
            p.drawEllipse(points[0], points[1].x(), points[1].y());
            break;
        case ShapeKind::kLine:
            p.drawLine(points[0], points[1]);
            break;
        case ShapeKind::kPolyline:
            p.drawPolyline(points);
            break;
        case ShapeKind::kPolygon:
            p.drawPolygon(points);
            break;
    }
}

QPixmap Render(int picture, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);  // the shapes are drawn on a 16 x 16 grid
    for (const PictureShape& shape : PictureShapes(picture)) Paint(p, shape);
    return pixmap;
}

}  // namespace

QList<QIcon> ToolbarPictures() {
    QList<QIcon> icons;
    for (int picture = 0; picture < kToolbarPictureCount; ++picture) {
        QIcon icon;
        icon.addPixmap(Render(picture, 16));
        icon.addPixmap(Render(picture, 32));
        icons.append(icon);
    }
    return icons;
}

}  // namespace vorn
