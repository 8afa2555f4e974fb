#include "codewin/Tf_CodeG.h"

#include "codewin/CodeFile.h"
#include "codewin/CodeWindowGlyphs.h"
#include "framework/widgets/Align.h"
#include "framework/widgets/CheckBox.h"
#include "framework/widgets/ErrorGuard.h"
#include "framework/widgets/Look.h"
#include "framework/widgets/Memo.h"
#include "framework/widgets/Panel.h"
#include "framework/widgets/SaveDialog.h"
#include "framework/widgets/Screen.h"
#include "framework/widgets/SpeedButton.h"
#include "framework/widgets/StatusBar.h"
#include "framework/widgets/WindowFrame.h"
#include "lang/Vocabulary.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QTextBlock>

Tf_CodeG* f_CodeG = nullptr;

using widgets::Align;

namespace {

constexpr int kDesignWidth = 248;
constexpr int kDesignHeight = 255;
constexpr int kMinWidth = 150;
constexpr int kMinHeight = 160;
constexpr int kBarHeight = 30;
constexpr int kButtonSize = 25;
constexpr int kCheckBoxWidth = 121;
constexpr int kStatusBarHeight = 17;
constexpr int kMemoFontPixels = 12;
// Gap between the window's right edge and the screen's.
constexpr int kScreenRightMargin = 2;

// A text taken from the memo with its line breaks as the user sees them:
// paragraph ends and the breaks Shift+Enter puts inside a paragraph.
QString withNewlines(QString text) {
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

widgets::SpeedButton* barButton(QWidget* bar, const char* name, int left, const QIcon& glyph) {
    auto* button = new widgets::SpeedButton(bar, QLatin1String(name));
    button->setGeometry(left, 2, kButtonSize, kButtonSize);
    button->setGlyph(glyph);
    return button;
}

} // namespace

Tf_CodeG::Tf_CodeG(QWidget* parent) : widgets::Form(parent, QStringLiteral("f_CodeG")) {
    // A close box and a maximise box, no minimise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    resize(kDesignWidth, kDesignHeight);
    // The window manager stops a drag at the size the window keeps anyway.
    setMinimumSize(kMinWidth, kMinHeight);

    createButtonBar();
    StatusBar1 = new widgets::StatusBar(this, QStringLiteral("StatusBar1"));
    StatusBar1->resize(kDesignWidth, kStatusBarHeight);
    createMemo();
    // Asks before a file that exists is replaced.
    SaveDlg = new widgets::SaveDialog(this, QStringLiteral("SaveDlg"));

    ML = lang::Vocabulary::createWordTable(this, QStringLiteral("Tf_CodeG"));
    connect(spEnreg, &QToolButton::clicked, this, widgets::guarded(this, &Tf_CodeG::spEnregClick));
    connect(spCopier, &QToolButton::clicked, this,
            widgets::guarded(this, &Tf_CodeG::spCopierClick));
    connect(meCodeCreat, &QPlainTextEdit::textChanged, this,
            widgets::guarded(this, &Tf_CodeG::meCodeCreatChange));
    createKeyboardCommands();
    finishLoading();
    meCodeCreatChange();
}

Tf_CodeG::~Tf_CodeG() {
    if (f_CodeG == this)
        f_CodeG = nullptr;
}

void Tf_CodeG::createButtonBar() {
    paHaut = new widgets::Panel(this, QStringLiteral("paHaut"));
    paHaut->resize(kDesignWidth, kBarHeight);
    widgets::setAlign(paHaut, Align::Top);
    spEnreg = barButton(paHaut, "spEnreg", 2, CodeWindowGlyphs::save());
    spCopier = barButton(paHaut, "spCopier", 2 + kButtonSize, CodeWindowGlyphs::copy());
    chkSelectAll = new widgets::CheckBox(paHaut, QStringLiteral("chkSelectAll"),
                                         QStringLiteral("Tout sélectionner"));
    chkSelectAll->setGeometry(2 * kButtonSize + 10, 6, kCheckBoxWidth, 18);
    widgets::setTextColor(chkSelectAll, Qt::darkBlue);
}

// Save and copy from the keyboard: the buttons take the focus with Tab (Space
// presses them), and two keys work from anywhere in the window.
void Tf_CodeG::createKeyboardCommands() {
    for (widgets::SpeedButton* button : {spEnreg, spCopier})
        button->setFocusPolicy(Qt::TabFocus);
    setTabOrder(spEnreg, spCopier);
    setTabOrder(spCopier, chkSelectAll);
    setTabOrder(chkSelectAll, meCodeCreat);
    const auto command = [this](QKeySequence keys, auto handler) {
        auto* action = new QAction(this);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
        connect(action, &QAction::triggered, this, widgets::guarded(this, handler));
    };
    command(QKeySequence(Qt::CTRL | Qt::Key_S), &Tf_CodeG::spEnregClick);
    command(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), &Tf_CodeG::copyAll);
}

void Tf_CodeG::copyAll() {
    meCodeCreat->selectAll();
    spCopierClick();
}

void Tf_CodeG::createMemo() {
    Panel1 = new widgets::Panel(this, QStringLiteral("Panel1"));
    Panel1->setBevels(widgets::Panel::bvLowered, widgets::Panel::bvRaised);
    widgets::setAlign(Panel1, Align::Client);
    meCodeCreat = new widgets::Memo(Panel1, QStringLiteral("meCodeCreat"));
    widgets::setAlign(meCodeCreat, Align::Client);
    widgets::setPixelFont(meCodeCreat, QStringLiteral("Arial"), kMemoFontPixels);
    widgets::setTextColor(meCodeCreat, Qt::black);
    meCodeCreat->setWordWrap(false);
    meCodeCreat->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    meCodeCreat->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

// ---- Placement ----------------------------------------------------------------------

// From the main window's frame as the window manager placed it, and never
// beyond the part of the screen the desktop leaves to windows.
void Tf_CodeG::placeBeside(const QWidget& mainWindow) {
    const widgets::Screen& screen = widgets::Screen::current();
    const int screenWidth = screen.size().width();
    const QRect main = widgets::outerRect(&mainWindow);
    int width = widgets::outerRect(this, &mainWindow).width();
    if (screenWidth - main.width() > width)
        width = screenWidth - main.width() - kScreenRightMargin;
    const QRect outer(screenWidth - width - kScreenRightMargin, 0, width, main.height());
    widgets::setOuterRect(this, widgets::keptWithin(outer, screen.availableGeometry()),
                          &mainWindow);
}

// ---- Window events ----------------------------------------------------------------

void Tf_CodeG::FormShow() {
    meCodeCreatChange();
}

void Tf_CodeG::FormResize() {
    if (!isVisible())
        return;
    if (height() < kMinHeight)
        resize(width(), kMinHeight);
    if (width() < kMinWidth)
        resize(kMinWidth, height());
}

void Tf_CodeG::FormCloseQuery(bool& CanClose) {
    CanClose = true;
    emit closeBoxUsed();
}

void Tf_CodeG::meCodeCreatChange() {
    const bool text = hasText();
    spEnreg->setEnabled(text);
    spCopier->setEnabled(text);
}

bool Tf_CodeG::hasText() const {
    return !meCodeCreat->document()->isEmpty();
}

// ---- Save and copy ----------------------------------------------------------------

void Tf_CodeG::spEnregClick() {
    if (!hasText())
        return;
    if (!SaveDlg->execute() || SaveDlg->fileName().isEmpty())
        return;
    CodeFile::write(SaveDlg->fileName(), codeLines());
}

void Tf_CodeG::spCopierClick() {
    if (chkSelectAll->isChecked())
        meCodeCreat->selectAll();
    const QString selection = meCodeCreat->textCursor().selectedText();
    // Nothing selected: the clipboard keeps what it held.
    if (selection.isEmpty())
        return;
    QGuiApplication::clipboard()->setText(withNewlines(selection));
}

// ---- The code text ----------------------------------------------------------------

void Tf_CodeG::appendLine(const QString& line) {
    meCodeCreat->addLine(line);
}

int Tf_CodeG::lineCount() const {
    return meCodeCreat->lineCount();
}

void Tf_CodeG::setTitle(const QString& title) {
    setCaption(title);
}

QStringList Tf_CodeG::codeLines() const {
    const QTextDocument* document = meCodeCreat->document();
    if (document->isEmpty())
        return meCodeCreat->lines();
    // Block by block, so that the characters are kept as typed (the plain
    // text of a document turns non-breaking spaces into spaces).
    QStringList lines;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        lines += withNewlines(block.text()).split(QLatin1Char('\n'));
    return lines;
}
