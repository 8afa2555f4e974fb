#pragma once

#include "framework/widgets/Button.h"

#include <QIcon>

namespace widgets {

// A button with a picture. Its kind presets the usual roles: an OK button is
// the default button and closes its window with mrOk, a Cancel button answers
// Escape and closes with mrCancel.
class BitBtn : public Button {
    Q_OBJECT

public:
    enum Kind { bkCustom, bkOK, bkCancel };

    BitBtn(QWidget* parent, const QString& name, const QString& caption = {});

    Kind kind() const { return m_kind; }
    void setKind(Kind kind);
    void setGlyph(const QIcon& glyph) { setIcon(glyph); }

private:
    Kind m_kind = bkCustom;
};

} // namespace widgets
