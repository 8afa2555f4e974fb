#include "framework/widgets/FocusFrameDelegate.h"

#include <QPainter>

namespace widgets {

FocusFrameDelegate::FocusFrameDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

void FocusFrameDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    paintFrame(painter, option);
}

void FocusFrameDelegate::paintFrame(QPainter* painter, const QStyleOptionViewItem& option) {
    if (!(option.state & QStyle::State_HasFocus))
        return;
    // In the colour of the item's text, so that it shows on a selected row too.
    const bool selected = option.state & QStyle::State_Selected;
    const QColor ink = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    painter->save();
    painter->setPen(QPen(ink, 1, Qt::DotLine));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(option.rect.adjusted(1, 1, -2, -2));
    painter->restore();
}

} // namespace widgets
