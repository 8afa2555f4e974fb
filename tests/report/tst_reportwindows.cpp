// The windows around the report: the progress window and its cancel, the
// preview with its tool bar, printing through the print dialog's seam, and
// the prepared-report file saved, loaded and refused when damaged, and both
// files written so that a failing disk leaves the old one whole.

#include "DictionaryFile.h"

#include "framework/dataset/Database.h"
#include "framework/reporting/PreparedReportFile.h"
#include "framework/reporting/PreviewDialogs.h"
#include "framework/reporting/ReportOutput.h"
#include "framework/reporting/ReportPreviewWindow.h"
#include "framework/reporting/ReportProgressWindow.h"
#include "lang/TMultiLang.h"
#include "report/Tr_Korvanta.h"
#include "tests/support/FaultFileSystem.h"
#include "tests/support/ScopedFileSystem.h"

#include "framework/reporting/PageView.h"
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

using reporting::ReportPreviewWindow;
using reporting::ReportProgressWindow;

namespace {

// Answers the preview's dialogs: a printer that writes a PDF file, and fixed
// file names.
class FakeDialogs : public reporting::PreviewDialogs {
public:
    bool choosePrinter(QPrinter& printer, QWidget*) override {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printFile);
        printedJob = printer.docName();
        return !printFile.isEmpty();
    }
    QString saveFileName(QWidget*) override { return saveFile; }
    QString openFileName(QWidget*) override { return openFile; }

    QString printFile, saveFile, openFile, printedJob;
};

template <class T> T* topLevel(const QString& name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible())
            if (auto* typed = qobject_cast<T*>(w))
                return typed;
    return nullptr;
}

QAction* command(ReportPreviewWindow& preview, const char* name) {
    return preview.findChild<QAction*>(QLatin1String(name));
}

} // namespace

class TestReportWindows : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cancelShowsNoPreview();
    void previewPagesAndZooms();
    void printNamesTheJobAndSavedReportLoadsBack();
    void damagedReportFileIsRefused_data();
    void damagedReportFileIsRefused();
    void failedWriteKeepsTheOldFile_data();
    void failedWriteKeepsTheOldFile();

private:
    ReportPreviewWindow* preview();

    QTemporaryDir m_dir;
    std::unique_ptr<dataset::Database> m_dbDico;
    std::unique_ptr<DictionaryFile> m_dico;
    std::unique_ptr<Tr_Korvanta> m_form;
    FakeDialogs m_dialogs;
};

void TestReportWindows::initTestCase() {
    m_dbDico = std::make_unique<dataset::Database>(nullptr, QStringLiteral("dbDico"));
    m_dbDico->setPath(m_dir.path());
    m_dico = std::make_unique<DictionaryFile>(m_dir.filePath("WIN.DB"));
    for (int t = 0; t < 3; ++t) {
        QList<FieldEntry> fields;
        for (int i = 0; i < 50; ++i)
            fields << FieldEntry{QStringLiteral("F%1").arg(i), {}, "ftString", 10};
        m_dico->addTable(QStringLiteral("T%1.DB").arg(t), fields);
    }
    reporting::PreviewDialogs::install(&m_dialogs);
}

void TestReportWindows::init() {
    lang::TMultiLang::SetGlobalLanguage(1);
    m_form = std::make_unique<Tr_Korvanta>();
    m_form->setUpForPrinting(m_dico->path(), m_dico->path());
}

void TestReportWindows::cleanup() {
    // Names first, deletes after: deleting a window takes the windows it owns with it,
    // which the list of top-level widgets still names.
    QList<QPointer<QWidget>> previews;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("ReportPreview"))
            previews << w;
    for (const QPointer<QWidget>& w : previews)
        delete w.data();
    m_form.reset();
}

ReportPreviewWindow* TestReportWindows::preview() {
    return m_form->previewReport();
}

void TestReportWindows::cancelShowsNoPreview() {
    QString line;
    QSize size;
    bool clicked = false;
    // The first step of the preparation processes events: the timer then
    // finds the progress window up and presses its button. The timer belongs
    // to a local object, so that it can never fire after this function ends
    // (its lambda refers to the locals above).
    QObject scope;
    QTimer::singleShot(0, &scope, [&] {
        auto* progress = topLevel<ReportProgressWindow>(QStringLiteral("ReportProgress"));
        if (!progress)
            return;
        line = progress->findChild<QLabel*>(QStringLiteral("line"))->text();
        size = progress->size();
        QCOMPARE(progress->windowTitle(), QStringLiteral("Préparation de l'état en cours"));
        QVERIFY(progress->cancelButton()->isDefault());
        QCOMPARE(progress->cancelButton()->text(), QStringLiteral("Annuler"));
        progress->cancelButton()->click();
        clicked = true;
    });
    QCOMPARE(preview(), nullptr);
    QVERIFY(clicked);
    QCOMPARE(line, "Préparation état Dictionary: " + m_dico->path());
    QCOMPARE(size, QSize(400, 140));
    QCOMPARE(topLevel<ReportPreviewWindow>(QStringLiteral("ReportPreview")), nullptr);
    QVERIFY(!topLevel<ReportProgressWindow>(QStringLiteral("ReportProgress")));
    // Stopped: the form's views let the dictionary go at once.
    QVERIFY(!m_form->taTables->Active() && !m_form->taChamps->Active());
}

void TestReportWindows::previewPagesAndZooms() {
    ReportPreviewWindow* window = preview();
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QStringLiteral("Impression"));
    QVERIFY(window->windowState() & Qt::WindowMaximized);
    QCOMPARE(window->findChild<QToolBar*>()->height(), 32);
    QVERIFY(command(*window, "wholePage")->isChecked());
    QCOMPARE(window->pageView()->zoom(), reporting::PageView::Zoom::WholePage);
    const double wholePage = window->pageView()->scale();
    const int pages = int(window->report().pages.size());
    QVERIFY(pages >= 3);
    QCOMPARE(window->pageView()->pageCount(), pages);

    auto* pageBox = window->findChild<QSpinBox*>(QStringLiteral("currentPage"));
    QCOMPARE(pageBox->value(), 1);
    command(*window, "nextPage")->trigger();
    QCOMPARE(window->currentPage(), 2);
    QCOMPARE(pageBox->value(), 2);
    command(*window, "lastPage")->trigger();
    QCOMPARE(window->currentPage(), pages);
    command(*window, "nextPage")->trigger(); // stays on the last page
    QCOMPARE(pageBox->value(), pages);
    pageBox->setValue(2);
    QCOMPARE(window->currentPage(), 2);
    command(*window, "firstPage")->trigger();
    QCOMPARE(window->currentPage(), 1);

    command(*window, "actualSize")->trigger();
    QCOMPARE(window->pageView()->scale(), window->logicalDpiX() / 96.0);
    QCOMPARE(window->currentPage(), 1); // a zoom keeps the page in sight
    command(*window, "pageWidth")->trigger();
    QCOMPARE(window->pageView()->zoom(), reporting::PageView::Zoom::PageWidth);
    // A page as wide as the view is larger than a whole page in a wide window.
    QVERIFY(window->pageView()->scale() > wholePage);
    QVERIFY(!command(*window, "wholePage")->isChecked());

    QPointer<ReportPreviewWindow> guard(window);
    window->findChild<QToolButton*>(QStringLiteral("quit"))->click();
    QTRY_VERIFY(guard.isNull());
}

void TestReportWindows::printNamesTheJobAndSavedReportLoadsBack() {
    ReportPreviewWindow* window = preview();
    QVERIFY(window);
    m_dialogs.printFile = m_dir.filePath("printed.pdf");
    command(*window, "print")->trigger();
    QCOMPARE(m_dialogs.printedJob, "Dictionary: " + m_dico->path());
    QFile printed(m_dialogs.printFile);
    QVERIFY(printed.open(QIODevice::ReadOnly));
    QVERIFY(printed.readAll().startsWith("%PDF"));

    const reporting::PreparedReport before = window->report();
    m_dialogs.saveFile = m_dir.filePath("saved.kvr");
    command(*window, "save")->trigger();
    QString error;
    const auto loaded = reporting::PreparedReportFile::load(m_dialogs.saveFile, error);
    QVERIFY2(loaded, qPrintable(error));
    QVERIFY(*loaded == before);
    // A name given without an extension gets the one Load lists.
    m_dialogs.saveFile = m_dir.filePath("no-extension");
    command(*window, "save")->trigger();
    QVERIFY(!QFile::exists(m_dialogs.saveFile));
    QVERIFY(reporting::PreparedReportFile::load(m_dialogs.saveFile + ".kvr", error));

    // Another report loaded into the window replaces its pages.
    reporting::PreparedReport small = before;
    small.pages.resize(1);
    small.title = "one page";
    m_dialogs.openFile = m_dir.filePath("small.kvr");
    QVERIFY(reporting::PreparedReportFile::save(small, m_dialogs.openFile, error));
    command(*window, "load")->trigger();
    QVERIFY(window->report() == small);
    QCOMPARE(window->pageView()->pageCount(), 1);
}

void TestReportWindows::damagedReportFileIsRefused_data() {
    QTest::addColumn<int>("keep"); // bytes kept from the saved file
    QTest::addColumn<int>("flip"); // byte set to 0xFF, -1 for none
    QTest::newRow("empty") << 0 << -1;
    QTest::newRow("wrong magic") << 1000000 << 0;
    QTest::newRow("cut in the header") << 10 << -1;
    QTest::newRow("cut in the pages") << 400 << -1;
    QTest::newRow("huge page count") << 1000000 << -2;
}

void TestReportWindows::damagedReportFileIsRefused() {
    QFETCH(int, keep);
    QFETCH(int, flip);
    std::optional<reporting::PreparedReport> pages = m_form->preparePages();
    QVERIFY(pages);
    const QString path = m_dir.filePath("damaged.kvr");
    QString error;
    QVERIFY(reporting::PreparedReportFile::save(*pages, path, error));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll().left(keep);
    file.close();
    if (flip >= 0)
        bytes[flip] = char(0xFF);
    if (flip == -2) {
        // The page count follows the magic, the version, the title and the size.
        const int titleBytes = 4 + int(pages->title.size()) * 2;
        const int at = 4 + 2 + titleBytes + 16;
        bytes[at] = char(0x7F);
    }
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();
    error.clear();
    QVERIFY(!reporting::PreparedReportFile::load(path, error));
    QVERIFY(error.contains(path));
}

using WriteReport = std::function<bool(const reporting::PreparedReport&, const QString&, QString&)>;
Q_DECLARE_METATYPE(WriteReport)

void TestReportWindows::failedWriteKeepsTheOldFile_data() {
    QTest::addColumn<WriteReport>("write");
    QTest::newRow("PDF") << WriteReport(reporting::writePdf);
    QTest::newRow("prepared report") << WriteReport(reporting::PreparedReportFile::save);
}

// Each disk operation of the write fails in turn (the temporary file's
// creation, every write, the sync, the close, the rename, the folder's sync),
// with a full disk or an I/O error: the write says so and the old file stays
// as it was, with nothing left beside it. Past the last operation it succeeds.
void TestReportWindows::failedWriteKeepsTheOldFile() {
    QFETCH(WriteReport, write);
    std::optional<reporting::PreparedReport> pages = m_form->preparePages();
    QVERIFY(pages);
    reporting::PreparedReport old = *pages;
    old.pages.resize(1);
    QTemporaryDir dir;
    const QString target = dir.filePath("out");
    QString error;
    QVERIFY(write(old, target, error));
    const auto contents = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
    };
    const QByteArray oldBytes = contents(target);
    QVERIFY(write(*pages, dir.filePath("expected"), error));
    const qint64 newSize = QFileInfo(dir.filePath("expected")).size();
    QVERIFY(QFile::remove(dir.filePath("expected")));

    engine::PosixFileSystem posix;
    testsupport::FaultFileSystem faults(posix);
    testsupport::ScopedFileSystem installed(faults);
    uint64_t failAt = 1;
    for (bool written = false; !written; ++failAt) {
        for (const int err : {ENOSPC, EIO}) {
            faults.reset();
            faults.failAt(failAt, err, false);
            error.clear();
            written = write(*pages, target, error);
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"out"});
            if (written)
                break;
            QVERIFY2(error.contains(QString::fromLocal8Bit(strerror(err))), qPrintable(error));
            // Only the folder's sync comes after the rename: the new file is then whole.
            const bool last = failAt == faults.operations();
            QVERIFY2(contents(target) == oldBytes || (last && QFileInfo(target).size() == newSize),
                     qPrintable(QStringLiteral("operation %1: %2").arg(failAt).arg(error)));
        }
    }
    QCOMPARE(QFileInfo(target).size(), newSize);
    // Created, written in pieces, synced, closed, renamed, folder synced.
    QVERIFY2(failAt > 7, qPrintable(QString::number(failAt)));
}

QTEST_MAIN(TestReportWindows)
#include "tst_reportwindows.moc"
