#include "capture/window/Tf_SelFichiers.h"

#include "capture/StructureCapture.h"
#include "framework/widgets/Align.h"
#include "framework/widgets/BitBtn.h"
#include "framework/widgets/CheckBox.h"
#include "framework/widgets/DirectoryListBox.h"
#include "framework/widgets/DriveComboBox.h"
#include "framework/widgets/ErrorGuard.h"
#include "framework/widgets/FileListBox.h"
#include "framework/widgets/Look.h"
#include "framework/widgets/MessageDlg.h"
#include "framework/widgets/Panel.h"
#include "framework/widgets/Screen.h"
#include "framework/widgets/StatusBar.h"
#include "framework/widgets/WindowFrame.h"
#include "lang/FixedTexts.h"
#include "lang/Messages.h"
#include "lang/TMultiLang.h"
#include "lang/Vocabulary.h"
#include "store/DictionaryStore.h"

#include <QPainter>
#include <QPixmap>

Tf_SelFichiers* f_SelFichiers = nullptr;

using widgets::Align;

namespace {

constexpr int kDesignWidth = 446;
constexpr int kDesignHeight = 159;
constexpr int kStripHeight = 26;
constexpr int kDriveBoxWidth = 192;
constexpr int kFilePanelWidth = 164;
constexpr int kFileListWidth = 160;
constexpr int kStatusBarHeight = 18;
// Room kept free below the window placed under the main window.
constexpr int kScreenBottomMargin = 30;
constexpr int kListFontPixels = 12;

// The add button's picture: a small table with a green plus.
QIcon addGlyph() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(40, 40, 48), 1));
    p.setBrush(QColor(255, 255, 250));
    p.drawRect(QRectF(0.5, 1.5, 11, 10));
    p.drawLine(QPointF(0.5, 4.5), QPointF(11.5, 4.5));
    p.drawLine(QPointF(5.5, 1.5), QPointF(5.5, 11.5));
    p.setPen(QPen(QColor(30, 150, 50), 2.5));
    p.drawLine(QPointF(12, 8), QPointF(12, 15));
    p.drawLine(QPointF(8.5, 11.5), QPointF(15.5, 11.5));
    return QIcon(pixmap);
}

widgets::Panel* dockedPanel(QWidget* parent, const char* name, Align align, int size) {
    auto* panel = new widgets::Panel(parent, QLatin1String(name));
    panel->resize(size, size);
    widgets::setAlign(panel, align);
    return panel;
}

} // namespace

Tf_SelFichiers::Tf_SelFichiers(store::DictionaryStore& store, QWidget* parent)
    : widgets::Form(parent, QStringLiteral("f_SelFichiers")), m_store(store) {
    resize(kDesignWidth, kDesignHeight);
    // The window manager stops a drag at the size the window keeps anyway.
    setMinimumSize(kDesignWidth, kDesignHeight);

    stBar = new widgets::StatusBar(this, QStringLiteral("stBar"));
    stBar->resize(kDesignWidth, kStatusBarHeight);
    createFilePanel();
    createBrowsingPanel();
    m_capture = new capture::StructureCapture(this, store);
    taCheck = &m_capture->taCheck();

    ML = lang::Vocabulary::createWordTable(this, QStringLiteral("Tf_SelFichiers"));
    connect(biAjouter, &QPushButton::clicked, this,
            widgets::guarded(this, &Tf_SelFichiers::biAjouterClick));
    finishLoading();
}

Tf_SelFichiers::~Tf_SelFichiers() = default;

void Tf_SelFichiers::createFilePanel() {
    paDroite = dockedPanel(this, "paDroite", Align::Right, kFilePanelWidth);
    Panel1 = dockedPanel(paDroite, "Panel1", Align::Top, kStripHeight);

    biAjouter = new widgets::BitBtn(Panel1, QStringLiteral("biAjouter"), QStringLiteral("Ajouter"));
    biAjouter->setGlyph(addGlyph());
    biAjouter->setGeometry(2, 1, 159, 24);
    biAjouter->setVisible(false);
    // Nothing reads it; it stays hidden.
    chkTous = new widgets::CheckBox(Panel1, QStringLiteral("chkTous"), QStringLiteral("Tous"));
    chkTous->setVisible(false);

    syFichiers = new widgets::FileListBox(paDroite, QStringLiteral("syFichiers"));
    syFichiers->resize(kFileListWidth, kDesignHeight);
    widgets::setAlign(syFichiers, Align::Client);
    syFichiers->setMask(QStringLiteral("*.db"));
    widgets::setPixelFont(syFichiers, QStringLiteral("Arial"), kListFontPixels);
}

void Tf_SelFichiers::createBrowsingPanel() {
    paGauche = dockedPanel(this, "paGauche", Align::Client, kDesignWidth - kFilePanelWidth);
    paGauche->setVisible(false);
    paLecteur = dockedPanel(paGauche, "paLecteur", Align::Top, kStripHeight);

    syLecteur = new widgets::DriveComboBox(paLecteur, QStringLiteral("syLecteur"));
    syLecteur->setGeometry(2, 2, kDriveBoxWidth, kStripHeight - 4);
    widgets::setPixelFont(syLecteur, QStringLiteral("Arial"), kListFontPixels);

    syRepertoire = new widgets::DirectoryListBox(paGauche, QStringLiteral("syRepertoire"));
    widgets::setAlign(syRepertoire, Align::Client);
    widgets::setPixelFont(syRepertoire, QStringLiteral("Arial"), kListFontPixels);
    syRepertoire->setFileList(syFichiers);
    syLecteur->setDirList(syRepertoire);
}

// ---- Switching on -------------------------------------------------------------------

// From the main window's frame as the window manager placed it, and never
// beyond the part of the screen the desktop leaves to windows.
void Tf_SelFichiers::placeFor(const QWidget& mainWindow) {
    const widgets::Screen& screenSeam = widgets::Screen::current();
    const QSize screen = screenSeam.size();
    const QRect main = widgets::outerRect(&mainWindow);
    const int roomBelow = screen.height() - main.height() - kScreenBottomMargin;
    QRect outer;
    if (roomBelow > kDesignHeight) {
        // Edge to edge with the main window, down to the margin.
        outer = QRect(main.left(), main.top() + main.height() + 1, main.width(), roomBelow);
    } else {
        resize(kDesignWidth, height());
        outer = widgets::outerRect(this, &mainWindow);
        outer.moveTopLeft(
            {(screen.width() - outer.width()) / 2, (screen.height() - outer.height()) / 2});
    }
    widgets::setOuterRect(this, widgets::keptWithin(outer, screenSeam.availableGeometry()),
                          &mainWindow);
}

void Tf_SelFichiers::prepare(const QString& directory) {
    paGauche->setVisible(true);
    syRepertoire->setDirectory(directory);
    syFichiers->setMultiSelect(true);
    biAjouter->setVisible(true);
    // A double-click anywhere on the list, or Enter on it, is the add command.
    connect(syFichiers, &widgets::FileListBox::commandGiven, this,
            widgets::guarded(this, &Tf_SelFichiers::biAjouterClick));
}

void Tf_SelFichiers::setCodeGeneration(bool on) {
    m_generation = on ? capture::CodeGeneration::On : capture::CodeGeneration::Off;
}

// ---- Window events ----------------------------------------------------------------

void Tf_SelFichiers::FormResize() {
    if (width() < kDesignWidth)
        resize(kDesignWidth, height());
    if (height() < kDesignHeight)
        resize(width(), kDesignHeight);
}

void Tf_SelFichiers::FormCloseQuery(bool& CanClose) {
    CanClose = true;
    emit closeBoxUsed();
}

// ---- The add command --------------------------------------------------------------

void Tf_SelFichiers::biAjouterClick() {
    // Said in the user's words, before any component of ours could name
    // itself in an engine message.
    if (!m_store.TablesViewOpen()) {
        widgets::MessageDlg(lang::Messages::text(lang::Msg::NoDictionaryOpen, ML->ActiveLanguage()),
                            widgets::mtWarning, widgets::mbOK);
        return;
    }
    if (syFichiers->selCount() == 0) {
        widgets::MessageDlg(lang::fixed::emptySelection(), widgets::mtWarning, widgets::mbOK);
        return;
    }
    // Only the focused file, and only when it is selected (an empty path
    // otherwise, which the engine refuses with its own message).
    const capture::CaptureOutcome outcome =
        m_capture->CaptureTable(syFichiers->fileName(), m_generation);
    if (!outcome.captured())
        widgets::MessageDlg(outcome.refusal, widgets::mtWarning, widgets::mbOK);
    emit tableCaptured(outcome);
}
