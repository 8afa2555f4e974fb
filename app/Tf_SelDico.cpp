#include "app/Tf_SelDico.h"

#include "framework/widgets/BitBtn.h"
#include "framework/widgets/ErrorGuard.h"
#include "framework/widgets/FileListBox.h"
#include "framework/widgets/Look.h"
#include "lang/TMultiLang.h"
#include "lang/Vocabulary.h"

Tf_SelDico* f_SelDico = nullptr;

Tf_SelDico::Tf_SelDico(QWidget* parent) : widgets::Form(parent, QStringLiteral("f_SelDico")) {
    // Fixed border, no buttons in the title bar: the dialog closes by its own.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint);
    widgets::setPixelFont(this, QStringLiteral("MS Sans Serif"), 11);

    fiDico = new widgets::FileListBox(this, QStringLiteral("fiDico"));
    fiDico->setGeometry(5, 5, 145, 156);
    fiDico->setStyleSheet(QStringLiteral("QListView::item { height: 13px; }"));
    fiDico->setMask(QStringLiteral("*.db"));

    biOK = new widgets::BitBtn(this, QStringLiteral("biOK"), QStringLiteral("OK"));
    biOK->setKind(widgets::BitBtn::bkOK);
    biOK->setGeometry(155, 5, 75, 25);

    biAnnuler = new widgets::BitBtn(this, QStringLiteral("biAnnuler"), QStringLiteral("Annuler"));
    biAnnuler->setKind(widgets::BitBtn::bkCancel);
    biAnnuler->setGeometry(155, 35, 75, 25);

    ML = new lang::TMultiLang(this);
    lang::Vocabulary::applyDesign(*ML, QStringLiteral("Tf_SelDico"));

    setClientSize(235, 167);
    setFixedSize(size());

    connect(fiDico, &QListWidget::itemDoubleClicked, this,
            widgets::guarded(this, &Tf_SelDico::fiDicoDblClick));
    // A list taking the focus makes its first file current, drawn as chosen,
    // without selecting it; OK would then open nothing. The current file is
    // kept selected, so that OK acts on the file the list shows as chosen.
    connect(fiDico, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            fiDico->selectionModel()->select(fiDico->model()->index(row, 0),
                                             QItemSelectionModel::ClearAndSelect);
    });
    finishLoading();
}

Tf_SelDico::~Tf_SelDico() {
    if (f_SelDico == this)
        f_SelDico = nullptr;
}

void Tf_SelDico::fiDicoDblClick() {
    biOK->click();
}
