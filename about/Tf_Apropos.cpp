#include "about/Tf_Apropos.h"

#include "about/ProgramIcon.h"

#include "framework/widgets/Bevel.h"
#include "framework/widgets/BitBtn.h"
#include "framework/widgets/Image.h"
#include "framework/widgets/Label.h"
#include "framework/widgets/Label3D.h"
#include "framework/widgets/Look.h"
#include "framework/widgets/Panel.h"
#include "framework/widgets/Shape.h"
#include "lang/Vocabulary.h"

Tf_Apropos* f_Apropos = nullptr;

using widgets::Bevel;

namespace {

constexpr int kClientWidth = 285;
constexpr int kClientHeight = 218;
const QColor kNavy(0, 0, 128);
const QColor kLime(0, 255, 0);
const char* const kCreditLine = "Copyright \u00a9 2026 Korvanta";

Bevel* rule(QWidget* parent, const char* name, Bevel::Shape shape, const QRect& place) {
    auto* bevel = new Bevel(parent, QLatin1String(name), shape);
    bevel->setGeometry(place);
    return bevel;
}

widgets::Label* fixedLabel(QWidget* parent, const char* name, const QString& caption,
                           const QRect& place) {
    auto* label = new widgets::Label(parent, QLatin1String(name), caption);
    label->setAutoSize(false);
    label->setGeometry(place);
    label->setAttribute(Qt::WA_TranslucentBackground);
    return label;
}

} // namespace

Tf_Apropos::Tf_Apropos(QWidget* parent) : widgets::Form(parent, QStringLiteral("f_Apropos")) {
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    widgets::setPixelFont(this, QStringLiteral("MS Sans Serif"), 11);

    Panel2 = new widgets::Panel(this, QStringLiteral("Panel2"));
    Panel2->setBevels(widgets::Panel::bvNone, widgets::Panel::bvRaised, 2);
    Panel2->setGeometry(0, 0, kClientWidth, kClientHeight);
    Bevel3 = rule(Panel2, "Bevel3", Bevel::bsFrame, QRect(3, 3, 278, 212));
    createRules();
    createTitle();
    createTexts();

    ML = lang::Vocabulary::createWordTable(this, QStringLiteral("Tf_Apropos"));
    setClientSize(kClientWidth, kClientHeight);
    setFixedSize(size());
    finishLoading();
}

Tf_Apropos::~Tf_Apropos() {
    if (f_Apropos == this)
        f_Apropos = nullptr;
}

// The green bar is made first so that the product's name is drawn over it.
void Tf_Apropos::createRules() {
    Shape1 = new widgets::Shape(Panel2, QStringLiteral("Shape1"));
    Shape1->setColors(kLime, kLime);
    Shape1->setGeometry(17, 31, 254, 3);
    Bevel2 = rule(Panel2, "Bevel2", Bevel::bsBottomLine, QRect(14, 20, 261, 20));
    Bevel4 = rule(Panel2, "Bevel4", Bevel::bsBottomLine, QRect(17, 23, 253, 20));
    Bevel9 = rule(Panel2, "Bevel9", Bevel::bsBottomLine, QRect(20, 26, 246, 20));
    Bevel1 = rule(Panel2, "Bevel1", Bevel::bsLeftLine, QRect(12, 39, 50, 151));
    Bevel5 = rule(Panel2, "Bevel5", Bevel::bsLeftLine, QRect(15, 43, 16, 154));
    Bevel7 = rule(Panel2, "Bevel7", Bevel::bsLeftLine, QRect(18, 46, 50, 156));
}

void Tf_Apropos::createTitle() {
    Label3D1 =
        new widgets::Label3D(Panel2, QStringLiteral("Label3D1"), QStringLiteral("Korvanta "));
    Label3D1->setAutoSize(false);
    Label3D1->setGeometry(12, 8, 121, 32);
    Label3D1->setAttribute(Qt::WA_TranslucentBackground);
    widgets::setPixelFont(Label3D1, QStringLiteral("Arial"), 27, true, true);
    widgets::setTextColor(Label3D1, Qt::red);

    etVersion = fixedLabel(Panel2, "etVersion", QStringLiteral("1.0"), QRect(131, 16, 22, 18));
    widgets::setPixelFont(etVersion, QStringLiteral("Arial"), 16, true, true);
    widgets::setTextColor(etVersion, kNavy);

    Image1 = new widgets::Image(Panel2, QStringLiteral("Image1"));
    Image1->setGeometry(240, 10, 36, 26);
    Image1->setPicture(ProgramIcon::sixteenColours());
}

void Tf_Apropos::createTexts() {
    // The word table gives the description its text as the box is loaded.
    etProduit =
        fixedLabel(Panel2, "etProduit", QStringLiteral("etProduit"), QRect(27, 52, 242, 60));
    etProduit->setWordWrap(true);
    etProduit->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    widgets::setPixelFont(etProduit, QStringLiteral("Arial"), 12);
    widgets::setTextColor(etProduit, Qt::blue);

    BitBtn1 = new widgets::BitBtn(Panel2, QStringLiteral("BitBtn1"), QStringLiteral("OK"));
    BitBtn1->setKind(widgets::BitBtn::bkOK);
    BitBtn1->setGeometry(105, 145, 74, 26);

    Label1 = fixedLabel(Panel2, "Label1", QString::fromUtf8(kCreditLine), QRect(87, 197, 187, 14));
    widgets::setPixelFont(Label1, QStringLiteral("Arial"), 11, false, true);
    widgets::setTextColor(Label1, Qt::black);
}

void Tf_Apropos::onShow() {
    centreOnScreen();
    BitBtn1->setFocus();
}
