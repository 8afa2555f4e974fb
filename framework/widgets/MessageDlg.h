#pragma once

#include "framework/widgets/ModalResult.h"

#include <QString>

namespace widgets {

// Kind of a standard message box; it chooses the icon and the title.
enum MsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// Buttons of a standard message box, combined with |.
enum MsgDlgBtn : unsigned { mbYes = 1u, mbNo = 2u, mbOK = 4u, mbCancel = 8u };
using MsgDlgButtons = unsigned;
inline constexpr MsgDlgButtons mbYesNo = mbYes | mbNo;
inline constexpr MsgDlgButtons mbOKCancel = mbOK | mbCancel;

// The framework's own texts. They are French whatever language the windows
// show: the titles follow the icon, the buttons read the same everywhere.
QString messageTitle(MsgDlgType type);
QString buttonText(MsgDlgBtn button);
int resultOf(MsgDlgBtn button);

// The text as the box shows it: a carriage return (alone or before a line
// feed) is a line break.
QString displayText(const QString& text);

// Shows the standard message box modally and returns the result of the button
// pressed (mrYes, mrNo, mrOk, mrCancel). The answer comes from the message
// seam when a test has queued one.
int MessageDlg(const QString& text, MsgDlgType type, MsgDlgButtons buttons, int helpContext = 0);

} // namespace widgets
