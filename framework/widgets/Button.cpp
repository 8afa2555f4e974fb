#include "framework/widgets/Button.h"

#include "framework/widgets/Component.h"
#include "framework/widgets/Form.h"

namespace widgets {

Button::Button(QWidget* parent, const QString& name, const QString& caption)
    : QPushButton(caption, parent) {
    adopt(this, name, parent);
    setAutoDefault(false);
    // Connected first, so the window's result is set before the click handlers
    // run; a handler may still take it back before the window checks it.
    connect(this, &QPushButton::clicked, this, [this] {
        if (m_modalResult != mrNone) {
            if (Form* form = formOf(this))
                form->setModalResult(m_modalResult);
        }
    });
}

void Button::setDefault(bool isDefault) {
    m_default = isDefault;
    QPushButton::setDefault(isDefault);
}

} // namespace widgets
