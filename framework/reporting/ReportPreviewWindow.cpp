#include "framework/reporting/ReportPreviewWindow.h"

#include "framework/reporting/PageStore.h"
#include "framework/reporting/PageView.h"
#include "framework/reporting/PreparedReportFile.h"
#include "framework/reporting/PreviewDialogs.h"
#include "framework/reporting/Report.h"
#include "framework/reporting/ReportLayout.h"
#include "framework/reporting/ReportOutput.h"
#include "framework/reporting/ReportProgressWindow.h"
#include "framework/reporting/ReportWindowTexts.h"
#include "framework/widgets/MessageDlg.h"

#include <QAction>
#include <QActionGroup>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPrinter>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <limits>

namespace reporting {

namespace {

constexpr int kBarHeight = 32;

} // namespace

ReportPreviewWindow::ReportPreviewWindow(const PreparedReport& report, QWidget* parent)
    : ReportPreviewWindow(PageStore::fromReport(report), parent) {}

ReportPreviewWindow::ReportPreviewWindow(std::unique_ptr<PageStore> pages, QWidget* parent)
    : QWidget(parent, Qt::Window), m_pages(std::move(pages)) {
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowTitle(ReportWindowTexts::previewCaption);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(500, 400);
    m_view = new PageView(this);
    connect(m_view, &PageView::currentPageChanged, this, &ReportPreviewWindow::pageChanged);
    createToolBar();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_bar);
    layout->addWidget(m_view);
    m_view->setPages(m_pages.get());
    zoomWholePage();
}

ReportPreviewWindow::~ReportPreviewWindow() = default;

const PageStore& ReportPreviewWindow::pages() const {
    finishLayout();
    return *m_pages;
}

PreparedReport ReportPreviewWindow::report() const {
    return pages().wholeReport();
}

void ReportPreviewWindow::continueLayout(std::unique_ptr<ReportLayout> layout, Report* report) {
    m_layout = std::move(layout);
    m_layoutReport = report;
    QTimer::singleShot(0, this, &ReportPreviewWindow::layOutSlice);
}

// Slices short enough for the window to answer between them.
void ReportPreviewWindow::layOutSlice() {
    constexpr qint64 kSliceMs = 30;
    constexpr int kRowsPerLook = 8;
    if (!m_layout)
        return;
    if (!m_layoutReport)
        return endLayout(true);
    QElapsedTimer clock;
    clock.start();
    ReportLayout::Step step = ReportLayout::Step::More;
    while (step == ReportLayout::Step::More && clock.elapsed() < kSliceMs)
        step = m_layout->layRows(kRowsPerLook);
    if (step != ReportLayout::Step::More)
        return endLayout(step == ReportLayout::Step::Stopped);
    m_view->pagesAdded();
    updatePageBox();
    QTimer::singleShot(0, this, &ReportPreviewWindow::layOutSlice);
}

void ReportPreviewWindow::finishLayout() const {
    if (!m_layout)
        return;
    if (!m_layoutReport)
        return endLayout(true);
    ReportLayout::Step step = ReportLayout::Step::More;
    while (step == ReportLayout::Step::More)
        step = m_layout->layRows(std::numeric_limits<int>::max());
    endLayout(step == ReportLayout::Step::Stopped);
}

void ReportPreviewWindow::endLayout(bool stopped) const {
    m_layout.reset();
    m_view->pagesAdded();
    updatePageBox();
    if (stopped && !m_pages->error().isEmpty())
        widgets::MessageDlg(m_pages->error(), widgets::mtError, widgets::mbOK);
}

QAction* ReportPreviewWindow::addCommand(const QString& name, const QString& text, int icon) {
    QAction* action = m_bar->addAction(style()->standardIcon(QStyle::StandardPixmap(icon)), text);
    action->setObjectName(name);
    action->setToolTip(text);
    return action;
}

void ReportPreviewWindow::createToolBar() {
    m_bar = new QToolBar(this);
    m_bar->setObjectName(QStringLiteral("toolBar"));
    m_bar->setFixedHeight(kBarHeight);
    auto* zoom = new QActionGroup(this);
    const auto zoomCommand = [&](const char* name, const QString& text, int icon, auto slot) {
        QAction* action = addCommand(QLatin1String(name), text, icon);
        action->setCheckable(true);
        zoom->addAction(action);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    zoomCommand("wholePage", QStringLiteral("Page entière"), QStyle::SP_TitleBarNormalButton,
                &ReportPreviewWindow::zoomWholePage)
        ->setChecked(true);
    zoomCommand("actualSize", QStringLiteral("100 %"), QStyle::SP_FileDialogContentsView,
                &ReportPreviewWindow::zoomActualSize);
    zoomCommand("pageWidth", QStringLiteral("Largeur de page"), QStyle::SP_FileDialogDetailedView,
                &ReportPreviewWindow::zoomPageWidth);
    m_bar->addSeparator();
    connect(addCommand("firstPage", QStringLiteral("Première page"), QStyle::SP_MediaSkipBackward),
            &QAction::triggered, this, [this] { goToPage(1); });
    connect(
        addCommand("previousPage", QStringLiteral("Page précédente"), QStyle::SP_MediaSeekBackward),
        &QAction::triggered, this, [this] { goToPage(currentPage() - 1); });
    m_pageBox = new QSpinBox(m_bar);
    m_pageBox->setObjectName(QStringLiteral("currentPage"));
    m_bar->addWidget(m_pageBox);
    connect(m_pageBox, &QSpinBox::valueChanged, this, [this](int page) {
        if (page != currentPage())
            goToPage(page);
    });
    connect(addCommand("nextPage", QStringLiteral("Page suivante"), QStyle::SP_MediaSeekForward),
            &QAction::triggered, this, [this] { goToPage(currentPage() + 1); });
    connect(addCommand("lastPage", QStringLiteral("Dernière page"), QStyle::SP_MediaSkipForward),
            &QAction::triggered, this, [this] { goToPage(pages().pageCount()); });
    m_bar->addSeparator();
    connect(addCommand("print", QStringLiteral("Imprimer"), QStyle::SP_DialogOkButton),
            &QAction::triggered, this, &ReportPreviewWindow::printReport);
    connect(addCommand("save", QStringLiteral("Enregistrer"), QStyle::SP_DialogSaveButton),
            &QAction::triggered, this, &ReportPreviewWindow::saveReport);
    connect(addCommand("load", QStringLiteral("Ouvrir"), QStyle::SP_DialogOpenButton),
            &QAction::triggered, this, &ReportPreviewWindow::loadReport);
    m_bar->addSeparator();
    auto* quit = new QToolButton(m_bar);
    quit->setObjectName(QStringLiteral("quit"));
    quit->setText(QStringLiteral("&Quitter"));
    quit->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_bar->addWidget(quit);
    connect(quit, &QToolButton::clicked, this, &QWidget::close);
    // Escape leaves the preview, as it leaves a dialog.
    auto* leave = new QAction(this);
    leave->setShortcut(QKeySequence(Qt::Key_Escape));
    leave->setShortcutContext(Qt::WindowShortcut);
    addAction(leave);
    connect(leave, &QAction::triggered, this, &QWidget::close);
}

int ReportPreviewWindow::currentPage() const {
    return m_view->currentPage();
}

void ReportPreviewWindow::zoomWholePage() {
    m_view->setZoom(PageView::Zoom::WholePage);
}

void ReportPreviewWindow::zoomActualSize() {
    m_view->setZoom(PageView::Zoom::ActualSize);
}

void ReportPreviewWindow::zoomPageWidth() {
    m_view->setZoom(PageView::Zoom::PageWidth);
}

void ReportPreviewWindow::goToPage(int page) {
    m_view->setCurrentPage(page);
    pageChanged();
}

void ReportPreviewWindow::pageChanged() {
    updatePageBox();
}

void ReportPreviewWindow::updatePageBox() const {
    const QSignalBlocker quiet(m_pageBox);
    m_pageBox->setRange(1, qMax(1, m_pages->pageCount()));
    m_pageBox->setValue(currentPage());
}

void ReportPreviewWindow::printReport() {
    finishLayout();
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(m_pages->title(), m_pages->pageSize(), printer);
    if (!PreviewDialogs::current().choosePrinter(printer, this))
        return;
    // The dialog may have changed the paper; the job keeps the report's name.
    printer.setDocName(m_pages->title());
    ReportProgressWindow progress(ReportWindowTexts::printingLine, m_pages->title(), this);
    progress.show();
    printPages(*m_pages, printer, &progress);
}

void ReportPreviewWindow::saveReport() {
    finishLayout();
    QString path = PreviewDialogs::current().saveFileName(this);
    // Load lists the prepared reports by their extension: a name given
    // without one gets it, so that the file can be found again.
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += QLatin1Char('.') + PreviewDialogs::kSuffix;
    QString error;
    if (!path.isEmpty() && !PreparedReportFile::saveStore(*m_pages, path, error))
        widgets::MessageDlg(error, widgets::mtError, widgets::mbOK);
}

void ReportPreviewWindow::loadReport() {
    const QString path = PreviewDialogs::current().openFileName(this);
    if (path.isEmpty())
        return;
    QString error;
    std::unique_ptr<PageStore> loaded = PreparedReportFile::loadStore(path, error);
    if (!loaded) {
        widgets::MessageDlg(error, widgets::mtError, widgets::mbOK);
        return;
    }
    m_layout.reset(); // the pages it was laying out are replaced
    m_pages = std::move(loaded);
    m_view->setPages(m_pages.get());
    pageChanged();
}

} // namespace reporting
