#pragma once

#include <QStyledItemDelegate>

namespace widgets {

// Draws the items of a list or grid as usual, and a frame around the item
// the keyboard is on while the view has the focus. Some styles draw that
// frame only after a Tab, and never over a selected row, so a keyboard
// user could not tell where the next key would act.
class FocusFrameDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit FocusFrameDelegate(QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // The frame alone, for delegates that paint their items themselves.
    static void paintFrame(QPainter* painter, const QStyleOptionViewItem& option);
};

} // namespace widgets
