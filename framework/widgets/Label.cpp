#include "framework/widgets/Label.h"

#include "framework/widgets/Component.h"

namespace widgets {

Label::Label(QWidget* parent, const QString& name, const QString& caption) : QLabel(parent) {
    adopt(this, name, parent);
    setTextFormat(Qt::PlainText);
    setCaption(caption);
}

void Label::setCaption(const QString& caption) {
    setText(caption);
    if (m_autoSize)
        adjustSize();
}

void Label::setAutoSize(bool autoSize) {
    m_autoSize = autoSize;
    if (m_autoSize)
        adjustSize();
}

} // namespace widgets
