#include "codewin/CodeWindowGlyphs.h"

#include <QPainter>
#include <QPixmap>

#include <functional>

namespace {

constexpr int kSize = 16;
const QColor kOutline(40, 40, 48);
const QColor kPaper(255, 255, 250);
const QColor kDisk(40, 90, 190);

QIcon painted(const std::function<void(QPainter&)>& draw) {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(kOutline, 1));
    draw(p);
    return QIcon(pixmap);
}

void page(QPainter& p, const QRectF& r) {
    p.setBrush(kPaper);
    p.drawRect(r);
    for (qreal y = r.top() + 3; y < r.bottom() - 1; y += 2.5)
        p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

} // namespace

QIcon CodeWindowGlyphs::save() {
    return painted([](QPainter& p) {
        p.setBrush(kDisk);
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(kPaper);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(3.5, 9.5, 9, 5));
    });
}

QIcon CodeWindowGlyphs::copy() {
    return painted([](QPainter& p) {
        page(p, QRectF(1.5, 1.5, 8, 10));
        page(p, QRectF(6.5, 4.5, 8, 10));
    });
}
