#include "framework/widgets/BitBtn.h"

#include <QApplication>
#include <QStyle>

namespace widgets {

BitBtn::BitBtn(QWidget* parent, const QString& name, const QString& caption)
    : Button(parent, name, caption) {}

void BitBtn::setKind(Kind kind) {
    m_kind = kind;
    switch (kind) {
    case bkOK:
        setModalResult(mrOk);
        setDefault(true);
        setIcon(QApplication::style()->standardIcon(QStyle::SP_DialogOkButton));
        break;
    case bkCancel:
        setModalResult(mrCancel);
        setCancel(true);
        setIcon(QApplication::style()->standardIcon(QStyle::SP_DialogCancelButton));
        break;
    case bkCustom:
        break;
    }
}

} // namespace widgets
