#include "framework/widgets/TreeView.h"

#include "framework/widgets/Component.h"

namespace widgets {

TreeView::TreeView(QWidget* parent, const QString& name) : QTreeWidget(parent) {
    adopt(this, name, parent);
    setHeaderHidden(true);
}

} // namespace widgets
