#include "framework/widgets/SaveDialog.h"

#include "framework/widgets/Component.h"
#include "framework/widgets/FileDialogs.h"
#include "framework/widgets/Form.h"

namespace widgets {

SaveDialog::SaveDialog(QObject* owner, const QString& name) : QObject(owner) {
    adopt(this, name, owner);
}

bool SaveDialog::execute() {
    const QString chosen = FileDialogs::current().saveFileName(
        formOf(this), {m_title, m_filter, m_initialDir, m_fileName});
    if (chosen.isEmpty())
        return false;
    m_fileName = chosen;
    return true;
}

} // namespace widgets
