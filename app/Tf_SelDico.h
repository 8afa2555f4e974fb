#pragma once

#include "framework/widgets/Form.h"

namespace widgets {
class BitBtn;
class FileListBox;
} // namespace widgets
namespace lang {
class TMultiLang;
}

// The select-dictionary dialog: the dictionaries of one directory (files
// matching "*.db" whatever the letter case), the selected one given as a full
// path. A double-click in the list acts as OK. The Open and Delete commands
// create it and discard it after use.
class Tf_SelDico : public widgets::Form {
    Q_OBJECT

public:
    explicit Tf_SelDico(QWidget* parent = nullptr);
    ~Tf_SelDico() override;

    widgets::FileListBox* fiDico;
    widgets::BitBtn* biOK;
    widgets::BitBtn* biAnnuler;
    lang::TMultiLang* ML;

    void fiDicoDblClick();

protected:
    void onShow() override { centreOnScreen(); }
};

// The dialog while the Open or Delete command runs, else nullptr.
extern Tf_SelDico* f_SelDico;
