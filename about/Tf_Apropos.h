#pragma once

#include "framework/widgets/Form.h"

namespace widgets {
class Bevel;
class BitBtn;
class Image;
class Label;
class Label3D;
class Panel;
class Shape;
} // namespace widgets
namespace lang {
class TMultiLang;
}

// The about box: the product's name in raised red letters over a green bar,
// its version, what it is for, the program's icon and a credit line, in a
// box without a title bar. Created hidden at start-up and shown modally by
// the main window as often as asked; OK (or Enter) closes it, and nothing
// else does: it has no cancel button, so Escape leaves it open.
class Tf_Apropos : public widgets::Form {
    Q_OBJECT

public:
    explicit Tf_Apropos(QWidget* parent = nullptr);
    ~Tf_Apropos() override;

    widgets::Panel* Panel2;
    widgets::Bevel* Bevel3;
    widgets::Shape* Shape1;
    widgets::Bevel* Bevel2;
    widgets::Bevel* Bevel4;
    widgets::Bevel* Bevel9;
    widgets::Bevel* Bevel1;
    widgets::Bevel* Bevel5;
    widgets::Bevel* Bevel7;
    widgets::Label3D* Label3D1;
    widgets::Label* etVersion;
    widgets::Image* Image1;
    widgets::Label* etProduit;
    widgets::BitBtn* BitBtn1;
    widgets::Label* Label1;
    lang::TMultiLang* ML;

protected:
    void onShow() override;

private:
    void createRules();
    void createTitle();
    void createTexts();
};

// The about box, for the whole run.
extern Tf_Apropos* f_Apropos;
