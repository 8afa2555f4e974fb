#pragma once

#include "framework/widgets/ModalResult.h"

#include <QPushButton>

namespace widgets {

// A push button. Clicking it gives its window the button's modal result
// (which closes a modal window); the default button answers Enter and the
// cancel button Escape anywhere in the window.
class Button : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(QString Hint READ hint WRITE setHint)

public:
    Button(QWidget* parent, const QString& name, const QString& caption = {});

    QString caption() const { return text(); }
    void setCaption(const QString& caption) { setText(caption); }
    QString hint() const { return toolTip(); }
    void setHint(const QString& hint) { setToolTip(hint); }

    int modalResult() const { return m_modalResult; }
    void setModalResult(int result) { m_modalResult = result; }
    bool isDefault() const { return m_default; }
    void setDefault(bool isDefault);
    bool isCancel() const { return m_cancel; }
    void setCancel(bool isCancel) { m_cancel = isCancel; }

private:
    int m_modalResult = mrNone;
    bool m_default = false;
    bool m_cancel = false;
};

} // namespace widgets
