#pragma once

#include <QTreeWidget>

namespace widgets {

// A tree of text nodes. Word tables set none of its texts: which entries
// would name which node is not settled, so its entries are passed over.
class TreeView : public QTreeWidget {
    Q_OBJECT
    Q_PROPERTY(QString Hint READ hint WRITE setHint)

public:
    TreeView(QWidget* parent, const QString& name);

    QString hint() const { return toolTip(); }
    void setHint(const QString& hint) { setToolTip(hint); }
};

} // namespace widgets
