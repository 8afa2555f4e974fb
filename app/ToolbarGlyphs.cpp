#include "app/ToolbarGlyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

#include <functional>

namespace {

using Painter = std::function<void(QPainter&)>;

const QColor kOutline(40, 40, 48);
const QColor kPaper(255, 255, 250);
const QColor kAdd(30, 150, 50);
const QColor kRemove(200, 40, 40);
const QColor kShow(40, 90, 190);
const QColor kFolder(235, 190, 70);

QPixmap paint(const Painter& draw) {
    QPixmap pixmap(ToolbarGlyphs::Size, ToolbarGlyphs::Size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);
    draw(p);
    return pixmap;
}

// The drawn second state: the picture's outline and dark strokes in grey
// over a white relief, its light fills left out, the way a disabled toolbar
// button shows its glyph.
QPixmap disabledState(const QPixmap& normal) {
    const QImage source = normal.toImage().convertToFormat(QImage::Format_ARGB32);
    QImage grey(source.size(), QImage::Format_ARGB32);
    grey.fill(Qt::transparent);
    QImage relief = grey;
    for (int y = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x) {
            const QRgb pixel = source.pixel(x, y);
            if (qAlpha(pixel) < 64 || qGray(pixel) > 170)
                continue;
            grey.setPixel(x, y, qRgba(128, 128, 128, 255));
            if (x + 1 < source.width() && y + 1 < source.height())
                relief.setPixel(x + 1, y + 1, qRgba(255, 255, 255, 255));
        }
    }
    QPixmap result(normal.size());
    result.fill(Qt::transparent);
    QPainter p(&result);
    p.drawImage(0, 0, relief);
    p.drawImage(0, 0, grey);
    return result;
}

QIcon oneState(const Painter& draw) {
    return QIcon(paint(draw));
}

QIcon twoStates(const Painter& draw) {
    const QPixmap normal = paint(draw);
    QIcon icon(normal);
    icon.addPixmap(disabledState(normal), QIcon::Disabled);
    return icon;
}

void page(QPainter& p, const QRectF& r) {
    const qreal fold = 5;
    p.setPen(QPen(kOutline, 1));
    p.setBrush(kPaper);
    p.drawPolygon(QPolygonF({r.topLeft(), QPointF(r.right() - fold, r.top()),
                             QPointF(r.right(), r.top() + fold), r.bottomRight(), r.bottomLeft()}));
    p.setBrush(QColor(220, 220, 210));
    p.drawPolygon(
        QPolygonF({QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold),
                   QPointF(r.right(), r.top() + fold)}));
}

void grid(QPainter& p, const QRectF& r) {
    p.setPen(QPen(kOutline, 1));
    p.setBrush(kPaper);
    p.drawRect(r);
    p.fillRect(QRectF(r.left() + 0.5, r.top() + 0.5, r.width() - 1, 3.5), kShow.lighter(150));
    p.setPen(QPen(QColor(120, 120, 130), 1));
    for (qreal y = r.top() + 4; y < r.bottom() - 1; y += 3.5)
        p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
    p.drawLine(QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.bottom()));
}

// A round badge with a plus or a minus, bottom right.
void badge(QPainter& p, const QColor& colour, bool plus) {
    const QRectF disc(11, 11, 8.5, 8.5);
    p.setPen(QPen(colour.darker(140), 1));
    p.setBrush(colour);
    p.drawEllipse(disc);
    p.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::FlatCap));
    const QPointF c = disc.center();
    p.drawLine(QPointF(c.x() - 2.6, c.y()), QPointF(c.x() + 2.6, c.y()));
    if (plus)
        p.drawLine(QPointF(c.x(), c.y() - 2.6), QPointF(c.x(), c.y() + 2.6));
}

} // namespace

QIcon ToolbarGlyphs::newDictionary() {
    return twoStates([](QPainter& p) {
        page(p, QRectF(3.5, 1.5, 12, 16));
        p.setPen(QPen(QColor(230, 170, 0), 1.6));
        const QPointF c(15, 15);
        p.drawLine(c - QPointF(3.5, 0), c + QPointF(3.5, 0));
        p.drawLine(c - QPointF(0, 3.5), c + QPointF(0, 3.5));
        p.drawLine(c - QPointF(2.3, 2.3), c + QPointF(2.3, 2.3));
        p.drawLine(c - QPointF(2.3, -2.3), c + QPointF(2.3, -2.3));
    });
}

QIcon ToolbarGlyphs::openDictionary() {
    return oneState([](QPainter& p) {
        p.setPen(QPen(kOutline, 1));
        p.setBrush(kFolder.darker(115));
        p.drawPolygon(
            QPolygonF({{1.5, 4.5}, {7, 4.5}, {8.5, 6.5}, {16.5, 6.5}, {16.5, 16.5}, {1.5, 16.5}}));
        p.setBrush(kFolder);
        p.drawPolygon(QPolygonF({{4.5, 9.5}, {19, 9.5}, {16.5, 16.5}, {1.5, 16.5}}));
    });
}

QIcon ToolbarGlyphs::deleteDictionary() {
    return oneState([](QPainter& p) {
        page(p, QRectF(3.5, 1.5, 12, 16));
        p.setPen(QPen(kRemove, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10, 10), QPointF(17.5, 17.5));
        p.drawLine(QPointF(17.5, 10), QPointF(10, 17.5));
    });
}

QIcon ToolbarGlyphs::print() {
    return oneState([](QPainter& p) {
        p.setPen(QPen(kOutline, 1));
        p.setBrush(kPaper);
        p.drawRect(QRectF(5.5, 1.5, 9, 6));
        p.setBrush(QColor(170, 170, 180));
        p.drawRoundedRect(QRectF(1.5, 7.5, 17, 7), 1.5, 1.5);
        p.setBrush(kPaper);
        p.drawRect(QRectF(5.5, 12.5, 9, 6));
        p.setPen(QPen(QColor(120, 120, 130), 1));
        p.drawLine(QPointF(7, 15), QPointF(13, 15));
        p.drawLine(QPointF(7, 17), QPointF(12, 17));
        p.setPen(Qt::NoPen);
        p.setBrush(kAdd);
        p.drawEllipse(QRectF(15, 9, 2, 2));
    });
}

QIcon ToolbarGlyphs::addTable() {
    return oneState([](QPainter& p) {
        grid(p, QRectF(1.5, 2.5, 14, 12));
        badge(p, kAdd, true);
    });
}

QIcon ToolbarGlyphs::deleteTable() {
    return oneState([](QPainter& p) {
        grid(p, QRectF(1.5, 2.5, 14, 12));
        badge(p, kRemove, false);
    });
}

QIcon ToolbarGlyphs::viewCode() {
    return oneState([](QPainter& p) {
        page(p, QRectF(2.5, 1.5, 14, 17));
        // Two braces, drawn rather than typed so that no font is needed.
        p.setPen(QPen(kShow, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        for (const qreal side : {-1.0, 1.0}) {
            const qreal x = 9.5 + side * 3.5;
            QPainterPath brace;
            brace.moveTo(x - side * 1.5, 5);
            brace.cubicTo(x + side * 0.5, 5, x - side * 0.5, 10, x + side * 1.5, 10);
            brace.cubicTo(x - side * 0.5, 10, x + side * 0.5, 15, x - side * 1.5, 15);
            p.drawPath(brace);
        }
    });
}

QIcon ToolbarGlyphs::deleteField() {
    return oneState([](QPainter& p) {
        p.setPen(QPen(kOutline, 1));
        p.setBrush(kPaper);
        p.drawRect(QRectF(4.5, 2.5, 7, 13));
        p.fillRect(QRectF(5, 3, 6, 3), kShow.lighter(150));
        badge(p, kRemove, false);
    });
}

QIcon ToolbarGlyphs::quit() {
    return twoStates([](QPainter& p) {
        p.setPen(QPen(kOutline, 1));
        p.setBrush(QColor(150, 100, 60));
        p.drawRect(QRectF(2.5, 1.5, 9, 17));
        p.setBrush(QColor(190, 135, 80));
        p.drawPolygon(QPolygonF({{2.5, 1.5}, {8.5, 3.5}, {8.5, 18.5}, {2.5, 18.5}}));
        p.setPen(QPen(kRemove, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(11, 10), QPointF(18, 10));
        p.drawLine(QPointF(15, 7), QPointF(18, 10));
        p.drawLine(QPointF(15, 13), QPointF(18, 10));
    });
}
