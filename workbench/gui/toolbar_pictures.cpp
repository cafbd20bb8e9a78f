#include "workbench/gui/toolbar_pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

namespace vorn {
namespace {

// Every picture is drawn on a 16 x 16 grid; the painter is scaled for larger sizes.
using Painter = void (*)(QPainter&);

void Page(QPainter& p, const QColor& fill) {
    QPolygonF sheet;
    sheet << QPointF(3, 1) << QPointF(10, 1) << QPointF(13, 4) << QPointF(13, 15) << QPointF(3, 15);
    p.setPen(QPen(Qt::black, 0.8));
    p.setBrush(fill);
    p.drawPolygon(sheet);
    p.drawPolyline(QPolygonF() << QPointF(10, 1) << QPointF(10, 4) << QPointF(13, 4));
}

void DrawNew(QPainter& p) { Page(p, Qt::white); }

void DrawOpen(QPainter& p) {
    p.setPen(QPen(QColor(120, 90, 0), 0.8));
    p.setBrush(QColor(240, 200, 80));
    p.drawRect(QRectF(1, 4, 12, 10));
    p.drawRect(QRectF(1, 3, 5, 2));
    p.setBrush(QColor(255, 225, 120));
    p.drawPolygon(QPolygonF() << QPointF(3, 7) << QPointF(15, 7) << QPointF(13, 14) << QPointF(1, 14));
}

void DrawSave(QPainter& p) {
    p.setPen(QPen(Qt::black, 0.8));
    p.setBrush(QColor(40, 60, 140));
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4, 1.5, 8, 5));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(QRectF(4, 9, 8, 5.5));
}

void DrawFind(QPainter& p) {
    p.setPen(QPen(Qt::black, 1.6));
    p.setBrush(QColor(200, 230, 255));
    p.drawEllipse(QPointF(6.5, 6.5), 4.5, 4.5);
    p.setPen(QPen(Qt::black, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10, 10), QPointF(14.5, 14.5));
}

void DrawCut(QPainter& p) {
    p.setPen(QPen(Qt::black, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(4, 12), 2.3, 2.3);
    p.drawEllipse(QPointF(12, 12), 2.3, 2.3);
    p.drawLine(QPointF(5.5, 10), QPointF(11, 1.5));
    p.drawLine(QPointF(10.5, 10), QPointF(5, 1.5));
}

void DrawCopy(QPainter& p) {
    p.setPen(QPen(Qt::black, 0.8));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1.5, 1.5, 8, 10));
    p.drawRect(QRectF(6.5, 4.5, 8, 10));
}

void DrawPaste(QPainter& p) {
    p.setPen(QPen(Qt::black, 0.8));
    p.setBrush(QColor(190, 140, 60));
    p.drawRect(QRectF(1.5, 2.5, 10, 12));
    p.setBrush(QColor(160, 160, 160));
    p.drawRect(QRectF(4, 1, 5, 3));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7.5, 6.5, 7, 8));
}

void DrawDebug(QPainter& p) {
    p.setPen(QPen(Qt::black, 1));
    for (int y : {6, 9, 12}) {
        p.drawLine(QPointF(2, y), QPointF(14, y));
    }
    p.setBrush(QColor(170, 40, 40));
    p.drawEllipse(QPointF(8, 9), 4, 5.5);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(8, 3), 2.2, 2.2);
}

void DrawHelp(QPainter& p) {
    p.setPen(QPen(QColor(0, 0, 128), 0.8));
    p.setBrush(QColor(60, 110, 220));
    p.drawEllipse(QPointF(8, 8), 7, 7);
    QFont f;
    f.setPixelSize(12);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("?"));
}

void DrawDisconnect(QPainter& p) {
    // A red stop sign: the program is running, this button stops it.
    p.setPen(QPen(QColor(110, 0, 0), 0.8));
    p.setBrush(QColor(215, 30, 30));
    p.drawRoundedRect(QRectF(2, 2, 12, 12), 2, 2);
    p.setBrush(Qt::white);
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(5, 5, 6, 6));
}

void DrawConnect(QPainter& p) {
    // A green "go" triangle: connect and run.
    p.setPen(QPen(QColor(0, 90, 0), 0.8));
    p.setBrush(QColor(30, 170, 40));
    p.drawPolygon(QPolygonF() << QPointF(3, 1.5) << QPointF(14.5, 8) << QPointF(3, 14.5));
}

void DrawNotCompiled(QPainter& p) {
    Page(p, QColor(235, 235, 235));
    // A red cross over the page: nothing compiled for this text.
    p.setPen(QPen(QColor(210, 0, 0), 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(6.5, 7.5), QPointF(13.5, 14.5));
    p.drawLine(QPointF(13.5, 7.5), QPointF(6.5, 14.5));
}

void DrawCompiled(QPainter& p) {
    Page(p, Qt::white);
    // A green tick: the text compiled.
    p.setPen(QPen(QColor(0, 160, 0), 2.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF() << QPointF(5, 10) << QPointF(8, 13.5) << QPointF(14.5, 5));
}

constexpr Painter kPainters[kToolbarPictureCount] = {
    DrawNew,  DrawOpen,  DrawSave, DrawFind,       DrawCut,     DrawCopy,        DrawPaste,
    DrawDebug, DrawHelp, DrawDisconnect, DrawConnect, DrawNotCompiled, DrawCompiled,
};

QPixmap Render(Painter draw, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    draw(p);
    return pixmap;
}

}  // namespace

QList<QIcon> ToolbarPictures() {
    QList<QIcon> icons;
    for (Painter draw : kPainters) {
        QIcon icon;
        icon.addPixmap(Render(draw, 16));
        icon.addPixmap(Render(draw, 32));
        icons.append(icon);
    }
    return icons;
}

}  // namespace vorn
