#include "report/Tr_Korvanta.h"

#include "framework/dataset/DataSource.h"
#include "framework/dataset/Field.h"
#include "framework/dataset/Table.h"
#include "framework/reporting/Report.h"
#include "framework/reporting/ReportBand.h"
#include "framework/reporting/ReportDataText.h"
#include "framework/reporting/ReportDetailLink.h"
#include "framework/reporting/ReportLabel.h"
#include "framework/reporting/ReportLayout.h"
#include "framework/reporting/ReportLine.h"
#include "framework/reporting/ReportPreviewWindow.h"
#include "framework/reporting/ReportSystemData.h"
#include "framework/reporting/ReportWindowTexts.h"
#include "lang/FixedTexts.h"
#include "lang/Vocabulary.h"

Tr_Korvanta* r_Korvanta = nullptr;

using reporting::ReportBand;
using reporting::ReportFont;

namespace {

const QString kTableField = QStringLiteral("Table");

ReportFont arial(int size, bool bold = false, bool italic = false) {
    return ReportFont{QStringLiteral("Arial"), size, bold, italic};
}

template <class Item, class... Extra>
Item* place(ReportBand* band, const char* name, QRect box, Extra... extra) {
    auto* item = new Item(band, QLatin1String(name), extra...);
    item->setGeometry(box.left(), box.top(), box.width(), box.height());
    return item;
}

reporting::ReportDataText* dataText(ReportBand* band, const char* name, QRect box,
                                    dataset::DataSource* source, const char* field,
                                    const ReportFont& font) {
    auto* item = place<reporting::ReportDataText>(band, name, box);
    item->setDataSource(source);
    item->setDataField(QLatin1String(field));
    item->setFont(font);
    return item;
}

} // namespace

Tr_Korvanta::Tr_Korvanta(QWidget* parent) : widgets::Form(parent, QStringLiteral("r_Korvanta")) {
    setCaption(QStringLiteral("r_Korvanta"));
    // The form is made once, at start: the engine's window captions are
    // given here and stay whatever the language.
    reporting::ReportWindowTexts::progressCaption = lang::fixed::reportPreparing();
    reporting::ReportWindowTexts::previewCaption = lang::fixed::reportPrinting();
    createViews();
    createReport();
    addComponents(taTables);
    addComponents(dsTables);
    addComponents(taChamps);
    addComponents(dsChamps);
    addComponents(repKorvanta);
    ML = lang::Vocabulary::createWordTable(this, QStringLiteral("Tr_Korvanta"));
    finishLoading();
}

Tr_Korvanta::~Tr_Korvanta() = default;

void Tr_Korvanta::createViews() {
    // No alias: the views open the file they are given by its full path.
    taTables = new dataset::Table(this, QStringLiteral("taTables"));
    taTables->setFilter(QStringLiteral("CT=True"));
    taTables->setFiltered(true);
    taTables->setIndexFieldNames(QStringLiteral("NoEnreg"));
    dsTables = new dataset::DataSource(this, QStringLiteral("dsTables"));
    dsTables->setDataSet(taTables);

    taChamps = new dataset::Table(this, QStringLiteral("taChamps"));
    taChamps->setFilter(QStringLiteral("CC=True"));
    taChamps->setFiltered(true);
    taChamps->setIndexFieldNames(kTableField);
    taChamps->setMasterSource(dsTables);
    taChamps->setMasterFields(kTableField);
    dsChamps = new dataset::DataSource(this, QStringLiteral("dsChamps"));
    dsChamps->setDataSet(taChamps);
}

void Tr_Korvanta::createReport() {
    repKorvanta = new reporting::Report(this, QStringLiteral("repKorvanta"));
    repKorvanta->setDataSource(dsTables);
    repKorvanta->setLeftMargin(0);
    createTitleBand();
    createDetailBand();
    createFieldsBand();
    createFooterBand();
    QRDetailLink1 = new reporting::ReportDetailLink(repKorvanta, QStringLiteral("QRDetailLink1"));
    QRDetailLink1->setDataSource(dsChamps);
    QRDetailLink1->setDetailBand(qrChamps);
}

void Tr_Korvanta::createTitleBand() {
    QRBand1 = new ReportBand(repKorvanta, QStringLiteral("QRBand1"), ReportBand::Kind::Title, 41);
    etNomDico = place<reporting::ReportLabel>(QRBand1, "etNomDico", QRect(40, 10, 596, 19));
    etNomDico->setCaption(QStringLiteral("Dictionnaire"));
    etNomDico->setFont(arial(16, true));
    QRSysData1 = place<reporting::ReportSystemData>(QRBand1, "QRSysData1", QRect(675, 10, 65, 17),
                                                    reporting::ReportSystemData::Data::Date);
    QRSysData1->setFont(arial(13, false, true));
    QRSysData1->setAlignment(Qt::AlignHCenter);
    QRShape3 = place<reporting::ReportLine>(QRBand1, "QRShape3", QRect(40, 30, 696, 4));
}

void Tr_Korvanta::createDetailBand() {
    QRBand2 = new ReportBand(repKorvanta, QStringLiteral("QRBand2"), ReportBand::Kind::Detail, 30);
    QRDBText1 =
        dataText(QRBand2, "QRDBText1", QRect(45, 10, 446, 17), dsTables, "Table", arial(13, true));
    QRShape1 = place<reporting::ReportLine>(QRBand2, "QRShape1", QRect(45, 25, 691, 4));
}

void Tr_Korvanta::createFieldsBand() {
    qrChamps =
        new ReportBand(repKorvanta, QStringLiteral("qrChamps"), ReportBand::Kind::SubDetail, 15);
    QRDBText2 =
        dataText(qrChamps, "QRDBText2", QRect(45, 0, 216, 16), dsChamps, "Champ", arial(12));
    QRDBText5 =
        dataText(qrChamps, "QRDBText5", QRect(265, 0, 246, 16), dsChamps, "Description", arial(12));
    QRDBText3 =
        dataText(qrChamps, "QRDBText3", QRect(520, 0, 121, 16), dsChamps, "Type", arial(12));
    etLongueur =
        dataText(qrChamps, "etLongueur", QRect(655, 0, 36, 16), dsChamps, "Longueur", arial(12));
    etLongueur->setAlignment(Qt::AlignRight);
    QRShape2 = place<reporting::ReportLine>(qrChamps, "QRShape2", QRect(695, 12, 41, 4));
    qrChamps->BeforePrint = [this] { qrChampsBeforePrint(); };
}

void Tr_Korvanta::createFooterBand() {
    qbBasPage =
        new ReportBand(repKorvanta, QStringLiteral("qbBasPage"), ReportBand::Kind::PageFooter, 40);
    QRLabel2 = place<reporting::ReportLabel>(qbBasPage, "QRLabel2", QRect(655, 15, 42, 16));
    QRLabel2->setAutoSize(true);
    QRLabel2->setFont(arial(13, false, true));
    QRSysData2 = place<reporting::ReportSystemData>(qbBasPage, "QRSysData2", QRect(700, 15, 35, 17),
                                                    reporting::ReportSystemData::Data::PageNumber);
    QRSysData2->setFont(arial(13));
    QRSysData2->setAlignment(Qt::AlignRight);
    QRShape4 = place<reporting::ReportLine>(qbBasPage, "QRShape4", QRect(45, 10, 691, 4));
}

void Tr_Korvanta::qrChampsBeforePrint() {
    // A size recorded as 0, and an index row, print no size.
    etLongueur->setVisible(taChamps->FieldByName(QStringLiteral("Longueur"))->AsInteger() != 0);
}

void Tr_Korvanta::setUpForPrinting(const QString& nomDico, const QString& dictionaryFile) {
    etNomDico->setCaption(lang::fixed::reportHeading() + nomDico);
    repKorvanta->setReportTitle(lang::fixed::reportTitle() + nomDico);
    taTables->Close();
    taChamps->Close();
    taTables->setTableName(dictionaryFile);
    taTables->setIndexFieldNames(kTableField);
    taTables->Open();
    taChamps->setTableName(dictionaryFile);
    taChamps->setIndexFieldNames(kTableField);
    taChamps->setMasterSource(dsTables);
    taChamps->setMasterFields(kTableField);
    taChamps->Open();
}

reporting::ReportPreviewWindow* Tr_Korvanta::previewReport(QWidget* owner) {
    reporting::ReportPreviewWindow* preview = nullptr;
    try {
        preview = repKorvanta->Preview(owner);
    } catch (...) {
        closeViews();
        throw;
    }
    if (!preview)
        closeViews();
    else
        connect(preview, &QObject::destroyed, this, &Tr_Korvanta::closeViews);
    return preview;
}

void Tr_Korvanta::closeViews() {
    taChamps->Close();
    taTables->Close();
}

std::optional<reporting::PreparedReport>
Tr_Korvanta::preparePages(reporting::LayoutProgress* progress) const {
    return reporting::ReportLayout(*repKorvanta, QDate::currentDate()).run(progress);
}

bool Tr_Korvanta::preparePages(reporting::PageSink& sink,
                               reporting::LayoutProgress* progress) const {
    return reporting::ReportLayout(*repKorvanta, QDate::currentDate()).run(sink, progress);
}
