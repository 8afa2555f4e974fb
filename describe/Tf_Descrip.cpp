#include "describe/Tf_Descrip.h"

#include "framework/widgets/Bevel.h"
#include "framework/widgets/BitBtn.h"
#include "framework/widgets/Edit.h"
#include "framework/widgets/ErrorGuard.h"
#include "framework/widgets/Label.h"
#include "framework/widgets/Look.h"
#include "lang/Vocabulary.h"

Tf_Descrip* f_Descrip = nullptr;

namespace {

constexpr int kClientWidth = 294;
constexpr int kClientHeight = 75;
const QColor kNavy(0, 0, 128);

widgets::BitBtn* dialogButton(QWidget* parent, const char* name, const char* caption,
                              widgets::BitBtn::Kind kind, int top) {
    auto* button = new widgets::BitBtn(parent, QLatin1String(name), QLatin1String(caption));
    button->setKind(kind);
    button->setGeometry(210, top, 75, 25);
    widgets::setPixelFont(button, QStringLiteral("Arial"), 12);
    widgets::setTextColor(button, Qt::black);
    return button;
}

} // namespace

Tf_Descrip::Tf_Descrip(QWidget* parent) : widgets::Form(parent, QStringLiteral("f_Descrip")) {
    // A dialog frame with its title and no buttons in it: Cancel or Escape
    // is the way out.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint);
    setCaption(QStringLiteral("Description"));
    widgets::setPixelFont(this, QStringLiteral("MS Sans Serif"), 11);

    Bevel1 = new widgets::Bevel(this, QStringLiteral("Bevel1"), widgets::Bevel::bsFrame);
    Bevel1->setGeometry(5, 10, 196, 56);

    etDescr = new widgets::Label(this, QStringLiteral("etDescr"), QStringLiteral("Description :"));
    etDescr->setAutoSize(false);
    etDescr->setGeometry(23, 31, 69, 15);
    widgets::setPixelFont(etDescr, QStringLiteral("Arial"), 12);
    widgets::setTextColor(etDescr, kNavy);

    chDescription = new widgets::Edit(this, QStringLiteral("chDescription"));
    chDescription->setGeometry(95, 28, 91, 21);
    chDescription->setMaxLength(TypedLength);

    biOK = dialogButton(this, "biOK", "OK", widgets::BitBtn::bkOK, 10);
    biAnnuler = dialogButton(this, "biAnnuler", "Annuler", widgets::BitBtn::bkCancel, 40);

    setTabOrder(chDescription, biOK);
    setTabOrder(biOK, biAnnuler);

    ML = lang::Vocabulary::createWordTable(this, QStringLiteral("Tf_Descrip"));
    setClientSize(kClientWidth, kClientHeight);
    setFixedSize(size());

    connect(chDescription, &QLineEdit::textChanged, this,
            widgets::guarded(this, &Tf_Descrip::chDescriptionChange));
    finishLoading();
    chDescriptionChange();
}

Tf_Descrip::~Tf_Descrip() {
    if (f_Descrip == this)
        f_Descrip = nullptr;
}

void Tf_Descrip::FormShow() {
    centreOnScreen();
    chDescription->setFocus();
    chDescriptionChange();
}

void Tf_Descrip::chDescriptionChange() {
    biOK->setEnabled(!chDescription->text().isEmpty());
}
