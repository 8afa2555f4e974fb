#include "app/Tf_ajmsdico.h"

#include "framework/widgets/Bevel.h"
#include "framework/widgets/BitBtn.h"
#include "framework/widgets/Edit.h"
#include "framework/widgets/ErrorGuard.h"
#include "framework/widgets/Label.h"
#include "framework/widgets/Look.h"
#include "lang/TMultiLang.h"
#include "lang/Vocabulary.h"

Tf_ajmsdico* f_ajmsdico = nullptr;

Tf_ajmsdico::Tf_ajmsdico(QWidget* parent) : widgets::Form(parent, QStringLiteral("f_ajmsdico")) {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    Bevel1 = new widgets::Bevel(this, QStringLiteral("Bevel1"));
    Bevel1->setGeometry(5, 10, 236, 56);

    etNomDico =
        new widgets::Label(this, QStringLiteral("etNomDico"), QStringLiteral("Dictionnaire:"));
    widgets::setPixelFont(etNomDico, QStringLiteral("Arial"), 12);
    widgets::setTextColor(etNomDico, QColor(0, 0, 128));
    etNomDico->move(40, 30);

    chNomDico = new widgets::Edit(this, QStringLiteral("chNomDico"));
    chNomDico->setGeometry(117, 25, 89, 23);

    biOK = new widgets::BitBtn(this, QStringLiteral("biOK"), QStringLiteral("OK"));
    biOK->setKind(widgets::BitBtn::bkOK);
    biOK->setGeometry(250, 10, 77, 26);

    biAnnuler = new widgets::BitBtn(this, QStringLiteral("biAnnuler"), QStringLiteral("Annuler"));
    biAnnuler->setKind(widgets::BitBtn::bkCancel);
    biAnnuler->setGeometry(250, 40, 77, 26);

    setTabOrder(chNomDico, biOK);
    setTabOrder(biOK, biAnnuler);

    ML = new lang::TMultiLang(this);
    lang::Vocabulary::applyDesign(*ML, QStringLiteral("Tf_ajmsdico"));

    setClientSize(337, 79);
    setFixedSize(size());

    connect(chNomDico, &QLineEdit::textChanged, this,
            widgets::guarded(this, &Tf_ajmsdico::chNomDicoChange));
    connect(biOK, &QPushButton::clicked, this, widgets::guarded(this, &Tf_ajmsdico::biOKClick));
    finishLoading();
}

Tf_ajmsdico::~Tf_ajmsdico() {
    if (f_ajmsdico == this)
        f_ajmsdico = nullptr;
}

void Tf_ajmsdico::FormShow() {
    centreOnScreen();
    chNomDico->clear();
    chNomDico->setFocus();
    chNomDicoChange();
}

void Tf_ajmsdico::FormActivate() {
    chNomDicoChange();
}

void Tf_ajmsdico::chNomDicoChange() {
    biOK->setEnabled(!chNomDico->text().isEmpty());
}

void Tf_ajmsdico::biOKClick() {
    // Nothing beyond the button's own closing: the command reads the text.
}
