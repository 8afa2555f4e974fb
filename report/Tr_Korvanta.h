#pragma once

#include "framework/reporting/PageModel.h"
#include "framework/widgets/Form.h"

#include <optional>

namespace dataset {
class DataSource;
class Table;
} // namespace dataset
namespace lang {
class TMultiLang;
}
namespace reporting {
class LayoutProgress;
class PageSink;
class Report;
class ReportBand;
class ReportDataText;
class ReportDetailLink;
class ReportLabel;
class ReportLine;
class ReportPreviewWindow;
class ReportSystemData;
} // namespace reporting

// The report form: the layout of the printed dictionary (a title on the
// first page, per table entry a heading with its line and one line per field
// entry, a footer with the page number), fed by two views of its own on the
// dictionary file it is given, tied on Table as the main window's. Created
// hidden at start-up, never shown as a window; its texts follow the active
// language.
class Tr_Korvanta : public widgets::Form {
    Q_OBJECT

public:
    explicit Tr_Korvanta(QWidget* parent = nullptr);
    ~Tr_Korvanta() override;

    // ---- Data components ----------------------------------------------------
    dataset::Table* taTables;
    dataset::DataSource* dsTables;
    dataset::Table* taChamps;
    dataset::DataSource* dsChamps;
    reporting::Report* repKorvanta;
    reporting::ReportDetailLink* QRDetailLink1;
    // ---- Title band -----------------------------------------------------------
    reporting::ReportBand* QRBand1;
    reporting::ReportLabel* etNomDico;
    reporting::ReportSystemData* QRSysData1;
    reporting::ReportLine* QRShape3;
    // ---- Detail band: one per table entry ---------------------------------------
    reporting::ReportBand* QRBand2;
    reporting::ReportDataText* QRDBText1;
    reporting::ReportLine* QRShape1;
    // ---- Sub-detail band: one per field entry -------------------------------------
    reporting::ReportBand* qrChamps;
    reporting::ReportDataText* QRDBText2;
    reporting::ReportDataText* QRDBText5;
    reporting::ReportDataText* QRDBText3;
    reporting::ReportDataText* etLongueur;
    reporting::ReportLine* QRShape2;
    // ---- Page footer band -------------------------------------------------------
    reporting::ReportBand* qbBasPage;
    reporting::ReportLabel* QRLabel2;
    reporting::ReportSystemData* QRSysData2;
    reporting::ReportLine* QRShape4;
    lang::TMultiLang* ML;

    // ---- Handlers -----------------------------------------------------------------
    void qrChampsBeforePrint();

    // What the print command sets before the report runs, in this order: the
    // heading and the title from the dictionary's name as the user knows it,
    // then the two views closed and reopened on the dictionary's file, given
    // by its full path, ordered by Table.
    void setUpForPrinting(const QString& nomDico, const QString& dictionaryFile);
    // Prepares the pages under the progress window and previews them in a
    // window that `owner` takes with it; nullptr when the user stopped the
    // preparation. The two views are closed again when the preview goes, or
    // at once when there is none, so that nothing holds the dictionary after
    // printing.
    reporting::ReportPreviewWindow* previewReport(QWidget* owner = nullptr);
    void closeViews();
    // Lays the pages out from the views' first rows; nothing when stopped.
    std::optional<reporting::PreparedReport>
    preparePages(reporting::LayoutProgress* progress = nullptr) const;
    // The same pages handed to `sink` one by one as they are made, never all
    // held; false when stopped or when the sink refused a page.
    bool preparePages(reporting::PageSink& sink,
                      reporting::LayoutProgress* progress = nullptr) const;

private:
    void createViews();
    void createReport();
    void createTitleBand();
    void createDetailBand();
    void createFieldsBand();
    void createFooterBand();
};

// The report form, for the whole run.
extern Tr_Korvanta* r_Korvanta;
