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
        formOf(this), {title_, filter_, initialDir_, fileName_});
    if (chosen.isEmpty())
        return false;
    fileName_ = chosen;
    return true;
}

} // namespace widgets
