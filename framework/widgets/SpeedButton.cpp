#include "framework/widgets/SpeedButton.h"

#include "framework/widgets/Component.h"

namespace widgets {

SpeedButton::SpeedButton(QWidget* parent, const QString& name) : QToolButton(parent) {
    adopt(this, name, parent);
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
    updateStyle();
}

void SpeedButton::setCaption(const QString& caption) {
    setText(caption);
    updateStyle();
}

void SpeedButton::setGlyph(const QIcon& glyph) {
    setIcon(glyph);
    updateStyle();
}

void SpeedButton::updateStyle() {
    if (text().isEmpty())
        setToolButtonStyle(Qt::ToolButtonIconOnly);
    else if (icon().isNull())
        setToolButtonStyle(Qt::ToolButtonTextOnly);
    else
        setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
}

void SpeedButton::setGroupIndex(int index) {
    m_groupIndex = index;
    setCheckable(index > 0);
}

void SpeedButton::setDown(bool down) {
    if (m_groupIndex == 0)
        return;
    setChecked(down);
    if (down)
        releaseGroup();
}

void SpeedButton::nextCheckState() {
    if (m_groupIndex == 0)
        return;
    if (!isChecked()) {
        setChecked(true);
        releaseGroup();
    } else if (m_allowAllUp) {
        setChecked(false);
    }
}

void SpeedButton::releaseGroup() {
    if (!parent())
        return;
    for (SpeedButton* other :
         parent()->findChildren<SpeedButton*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (other != this && other->m_groupIndex == m_groupIndex)
            other->setChecked(false);
    }
}

} // namespace widgets
