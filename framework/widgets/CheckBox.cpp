#include "framework/widgets/CheckBox.h"

#include "framework/widgets/Component.h"

namespace widgets {

CheckBox::CheckBox(QWidget* parent, const QString& name, const QString& caption)
    : QCheckBox(caption, parent) {
    adopt(this, name, parent);
}

} // namespace widgets
