#pragma once

namespace widgets {

// Result with which a modal window or a message box closes. The values are the
// ones the system's windows compare against; mrNone means "still open".
enum ModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
};

} // namespace widgets
