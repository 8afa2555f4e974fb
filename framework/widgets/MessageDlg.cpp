#include "framework/widgets/MessageDlg.h"

#include "framework/widgets/MessageSeam.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace widgets {

QString messageTitle(MsgDlgType type) {
    switch (type) {
    case mtWarning:
        return QStringLiteral("Avertissement");
    case mtError:
        return QStringLiteral("Erreur");
    case mtInformation:
        return QStringLiteral("Information");
    case mtConfirmation:
        return QStringLiteral("Confirmation");
    case mtCustom:
        break;
    }
    return QApplication::applicationDisplayName();
}

QString buttonText(MsgDlgBtn button) {
    switch (button) {
    case mbYes:
        return QStringLiteral("&Oui");
    case mbNo:
        return QStringLiteral("&Non");
    case mbOK:
        return QStringLiteral("OK");
    case mbCancel:
        return QStringLiteral("Annuler");
    }
    return {};
}

int resultOf(MsgDlgBtn button) {
    switch (button) {
    case mbYes:
        return mrYes;
    case mbNo:
        return mrNo;
    case mbOK:
        return mrOk;
    case mbCancel:
        return mrCancel;
    }
    return mrNone;
}

QString displayText(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

namespace {

QMessageBox::Icon iconOf(MsgDlgType type) {
    switch (type) {
    case mtWarning:
        return QMessageBox::Warning;
    case mtError:
        return QMessageBox::Critical;
    case mtInformation:
        return QMessageBox::Information;
    case mtConfirmation:
        return QMessageBox::Question;
    case mtCustom:
        break;
    }
    return QMessageBox::NoIcon;
}

int showRealBox(const QString& text, MsgDlgType type, MsgDlgButtons buttons) {
    QMessageBox box(iconOf(type), messageTitle(type), displayText(text), QMessageBox::NoButton,
                    QApplication::activeWindow());
    QAbstractButton* escape = nullptr;
    QList<QPair<QAbstractButton*, int>> results;
    for (MsgDlgBtn b : {mbYes, mbNo, mbOK, mbCancel}) {
        if (!(buttons & b))
            continue;
        QPushButton* pb = box.addButton(buttonText(b), QMessageBox::ActionRole);
        results.append({pb, resultOf(b)});
        if (results.size() == 1)
            box.setDefaultButton(pb);
        // Escape answers Cancel when offered, else No, else the only button.
        if (b == mbCancel || b == mbNo || !escape)
            escape = pb;
    }
    box.setEscapeButton(escape);
    box.exec();
    for (const auto& [button, result] : results) {
        if (box.clickedButton() == button)
            return result;
    }
    return mrCancel;
}

} // namespace

int MessageDlg(const QString& text, MsgDlgType type, MsgDlgButtons buttons, int helpContext) {
    (void)helpContext;
    if (buttons == 0)
        buttons = mbOK;
    MessageSeam::Shown box{text, type, messageTitle(type), buttons, mrNone};
    int result = mrNone;
    if (MessageSeam::answer(box, result))
        return result;
    result = showRealBox(text, type, buttons);
    box.answer = result;
    MessageSeam::record(box);
    return result;
}

} // namespace widgets
