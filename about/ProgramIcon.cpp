#include "about/ProgramIcon.h"

#include <QImage>
#include <QPainter>

namespace {

// The classic sixteen-colour palette.
QList<QRgb> classicPalette() {
    return {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
            qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
            qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
            qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
}

// Drawn on a 32-unit square, scaled to the size asked for.
void drawBook(QPainter& p) {
    const QColor outline(0, 0, 0);
    // The pages, seen from the side.
    p.setPen(QPen(outline, 1));
    p.setBrush(QColor(255, 255, 255));
    p.drawRect(QRectF(7.5, 5.5, 21, 24));
    // The cover.
    p.setBrush(QColor(0, 0, 128));
    p.drawRect(QRectF(4.5, 3.5, 21, 24));
    // The spine.
    p.setBrush(QColor(128, 0, 0));
    p.drawRect(QRectF(4.5, 3.5, 4, 24));
    // A table's grid on the cover: a header row and three rows.
    p.setBrush(QColor(255, 255, 0));
    p.drawRect(QRectF(11.5, 8.5, 11, 3));
    p.setBrush(QColor(255, 255, 255));
    p.drawRect(QRectF(11.5, 11.5, 11, 9));
    p.setPen(QPen(QColor(128, 128, 128), 1));
    p.drawLine(QPointF(12, 14.5), QPointF(22, 14.5));
    p.drawLine(QPointF(12, 17.5), QPointF(22, 17.5));
    p.drawLine(QPointF(16.5, 12), QPointF(16.5, 20));
    // A green mark: the dictionary keeps the tables in order.
    p.setPen(QPen(QColor(0, 128, 0), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(12, 24), QPointF(14.5, 26), QPointF(20, 21.5)}));
}

} // namespace

QPixmap ProgramIcon::picture(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, size > BaseSize);
    p.scale(size / double(BaseSize), size / double(BaseSize));
    drawBook(p);
    return pixmap;
}

QPixmap ProgramIcon::sixteenColours() {
    const QImage full = picture(BaseSize).toImage().convertToFormat(QImage::Format_ARGB32);
    // The transparent background stays transparent: only drawn pixels take a
    // palette colour.
    const QImage indexed = full.convertToFormat(QImage::Format_Indexed8, classicPalette(),
                                                Qt::ThresholdDither | Qt::AvoidDither);
    QImage out = indexed.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        for (int x = 0; x < out.width(); ++x) {
            if (qAlpha(full.pixel(x, y)) < 128)
                out.setPixel(x, y, qRgba(0, 0, 0, 0));
        }
    }
    return QPixmap::fromImage(out);
}

QIcon ProgramIcon::icon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128})
        icon.addPixmap(size == BaseSize ? sixteenColours() : picture(size));
    return icon;
}
