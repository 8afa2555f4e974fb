#include "framework/widgets/DataGridDelegate.h"

#include "framework/widgets/DataGrid.h"
#include "framework/widgets/FocusFrameDelegate.h"

#include "framework/dataset/Field.h"

#include <QLineEdit>
#include <QMetaProperty>
#include <QPainter>

namespace widgets {

DataGridDelegate::DataGridDelegate(DataGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

void DataGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    FocusFrameDelegate::paintFrame(painter, option);
    painter->save();
    painter->setPen(m_grid->palette().color(QPalette::Mid));
    painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
    painter->restore();
    m_grid->cellPainted(index);
}

QWidget* DataGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    auto* line = qobject_cast<QLineEdit*>(editor);
    const dataset::Field* field = m_grid->fieldAt(index.column());
    if (line && field)
        line->setMaxLength(DataGrid::editLimit(*field));
    return editor;
}

void DataGridDelegate::setModelData(QWidget* editor, QAbstractItemModel*,
                                    const QModelIndex& index) const {
    const QByteArray property = editor->metaObject()->userProperty().name();
    m_grid->writeCell(index, editor->property(property.constData()));
}

} // namespace widgets
