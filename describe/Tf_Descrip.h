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

// The description dialog: one edit box for the description of a table or a
// field. Typing stops at 16 characters, although a longer description put
// in by a command shows whole; OK is enabled exactly while the box holds
// text. Created hidden at start-up and reused by every describing command,
// which fills the box before each showing and reads it afterwards.
class Tf_Descrip : public widgets::Form {
    Q_OBJECT

public:
    static constexpr int TypedLength = 16;

    explicit Tf_Descrip(QWidget* parent = nullptr);
    ~Tf_Descrip() override;

    widgets::Bevel* Bevel1;
    widgets::Label* etDescr;
    widgets::Edit* chDescription;
    widgets::BitBtn* biOK;
    widgets::BitBtn* biAnnuler;
    lang::TMultiLang* ML;

    void FormShow();
    void chDescriptionChange();

protected:
    void onShow() override { FormShow(); }
};

// The description dialog, for the whole run.
extern Tf_Descrip* f_Descrip;
