#pragma once

#include "framework/widgets/Form.h"

namespace widgets {
class Bevel;
class BitBtn;
class Edit;
class Label;
} // namespace widgets
namespace lang {
class TMultiLang;
}

// The dictionary-name dialog: asks for the name of a new dictionary and only
// returns the text typed; OK is enabled exactly while the text is not empty.
// The New command creates it and discards it after use.
class Tf_ajmsdico : public widgets::Form {
    Q_OBJECT

public:
    explicit Tf_ajmsdico(QWidget* parent = nullptr);
    ~Tf_ajmsdico() override;

    widgets::Bevel* Bevel1;
    widgets::Label* etNomDico;
    widgets::Edit* chNomDico;
    widgets::BitBtn* biOK;
    widgets::BitBtn* biAnnuler;
    lang::TMultiLang* ML;

    void FormShow();
    void FormActivate();
    void chNomDicoChange();
    void biOKClick();

protected:
    void onShow() override { FormShow(); }
    void onActivate() override { FormActivate(); }
};

// The dialog while the New command runs, else nullptr.
extern Tf_ajmsdico* f_ajmsdico;
