#include "store/StoreHost.h"

#include "framework/widgets/MessageDlg.h"

namespace store {

void StoreHost::showWarning(const QString& text) {
    widgets::MessageDlg(text, widgets::mtWarning, widgets::mbOK);
}

} // namespace store
