// The data-aware grid over a real table view: columns follow the shown
// fields with their labels and widths, the selected row and the view's
// current row follow each other, and a relabelled field retitles its column.

#include "framework/dataset/DataSource.h"
#include "framework/dataset/Database.h"
#include "framework/dataset/Field.h"
#include "framework/dataset/Table.h"
#include "framework/widgets/DataGrid.h"

#include <QStyle>
#include <QTemporaryDir>
#include <QTest>

using namespace dataset;

class TestDataGrid : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void columnsFollowTheShownFields();
    void currentRowFollowsBothWays();
    void relabelledFieldRetitlesItsColumn();
    void longViewIsReadAsTheGridNeedsIt();

private:
    QTemporaryDir m_dir;
    Database* m_db = nullptr;
    Table* m_view = nullptr;
    DataSource* m_source = nullptr;
    widgets::DataGrid* m_grid = nullptr;
};

void TestDataGrid::initTestCase() {
    QVERIFY(m_dir.isValid());
    m_db = new Database(this, QStringLiteral("dbGrid"));
    m_db->setPath(m_dir.path());
    Table t;
    t.setDatabaseName(QStringLiteral("dbGrid"));
    t.setTableName(QStringLiteral("DICO.DB"));
    t.FieldDefs().Add(QStringLiteral("Table"), ftString, 12);
    t.FieldDefs().Add(QStringLiteral("Description"), ftString, 80);
    t.FieldDefs().Add(QStringLiteral("Longueur"), ftInteger);
    t.CreateTable();
    t.Open();
    for (const char* name : {"ARTICLES.DB", "CLIENTS.DB", "ZETA.DB"}) {
        t.Append();
        t.FieldByName(QStringLiteral("Table"))->setAsString(QString::fromLatin1(name));
        t.Post();
    }
    t.Close();
}

void TestDataGrid::init() {
    m_view = new Table(this, QStringLiteral("taDico"));
    m_view->setDatabaseName(QStringLiteral("dbGrid"));
    m_view->setTableName(QStringLiteral("DICO.DB"));
    Field* table = m_view->AddField(QStringLiteral("Table"));
    table->setDisplayWidth(14);
    Field* description = m_view->AddField(QStringLiteral("Description"));
    description->setDisplayWidth(30);
    m_view->AddField(QStringLiteral("Longueur"))->setVisible(false);
    m_source = new DataSource(this);
    m_source->setDataSet(m_view);
    m_view->Open();
    m_grid = new widgets::DataGrid(nullptr, QStringLiteral("grTables"));
    m_grid->setDataSource(m_source);
}

void TestDataGrid::cleanup() {
    delete m_grid;
    m_view->Close();
    delete m_source;
    delete m_view;
}

void TestDataGrid::columnsFollowTheShownFields() {
    QAbstractItemModel* m = m_grid->model();
    QCOMPARE(m->columnCount(), 2);
    QCOMPARE(m->rowCount(), 3);
    QCOMPARE(m->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Table"));
    QCOMPARE(m->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Description"));
    QCOMPARE(m_grid->columnWidth(0), m_grid->columnPixels(14, QStringLiteral("Table")));
    QCOMPARE(m_grid->columnWidth(1), m_grid->columnPixels(30, QStringLiteral("Description")));
    // As many characters as the display width fit, in the font the cells use.
    const int margins = 2 * (m_grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
    QVERIFY(m_grid->columnWidth(0) >=
            m_grid->fontMetrics().horizontalAdvance(QString(14, QLatin1Char('0'))) + margins);
    m_view->FieldByName(QStringLiteral("Longueur"))->setVisible(true);
    QCOMPARE(m->columnCount(), 3);
}

void TestDataGrid::currentRowFollowsBothWays() {
    QCOMPARE(m_grid->currentIndex().row(), 0);
    m_view->Next();
    QCOMPARE(m_grid->currentIndex().row(), 1);
    m_grid->setCurrentIndex(m_grid->model()->index(2, 0));
    QCOMPARE(m_view->FieldByName(QStringLiteral("Table"))->AsString(), QStringLiteral("ZETA.DB"));
    m_view->First();
    QCOMPARE(m_grid->currentIndex().row(), 0);
}

void TestDataGrid::relabelledFieldRetitlesItsColumn() {
    int retitled = 0;
    connect(m_grid->model(), &QAbstractItemModel::headerDataChanged, this, [&] { ++retitled; });
    m_view->FieldByName(QStringLiteral("Table"))->setDisplayLabel(QStringLiteral("Nom"));
    QCOMPARE(m_grid->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Nom"));
    QVERIFY(retitled > 0);
    m_view->FieldByName(QStringLiteral("Description"))->setDisplayWidth(16);
    QCOMPARE(m_grid->columnWidth(1), m_grid->columnPixels(16, QStringLiteral("Description")));
}

// A view longer than one read: the grid shows its first rows, reads on as it is scrolled
// down, and a row clicked far down or a jump of the view to its last row are followed.
void TestDataGrid::longViewIsReadAsTheGridNeedsIt() {
    constexpr int kRows = 150;
    Table file;
    file.setDatabaseName(QStringLiteral("dbGrid"));
    file.setTableName(QStringLiteral("LONG.DB"));
    file.FieldDefs().Add(QStringLiteral("Numero"), ftInteger);
    file.IndexDefs().Add(QStringLiteral("ParNumero"), QStringLiteral("Numero"), ixPrimary);
    file.CreateTable();
    file.Open();
    for (int i = 0; i < kRows; ++i) {
        file.Append();
        file.FieldByName(QStringLiteral("Numero"))->setAsInteger(i);
        file.Post();
    }
    file.Close();
    Table view;
    view.setDatabaseName(QStringLiteral("dbGrid"));
    view.setTableName(QStringLiteral("LONG.DB"));
    DataSource source;
    source.setDataSet(&view);
    view.Open();
    widgets::DataGrid grid(nullptr, QStringLiteral("grLong"));
    grid.resize(200, 150);
    grid.setDataSource(&source);
    grid.show();
    QAbstractItemModel* m = grid.model();
    QVERIFY(m->rowCount() < kRows);
    for (int i = 0; i < kRows && m->rowCount() < kRows; ++i) {
        grid.scrollToBottom();
        QCoreApplication::processEvents();
    }
    QCOMPARE(m->rowCount(), kRows);
    grid.setCurrentIndex(m->index(140, 0));
    QCOMPARE(view.FieldByName(QStringLiteral("Numero"))->AsInteger(), 140);

    view.First();
    widgets::DataGrid fresh(nullptr, QStringLiteral("grFresh"));
    fresh.setDataSource(&source);
    QVERIFY(fresh.model()->rowCount() < kRows);
    view.Last();
    QCOMPARE(fresh.currentIndex().row(), kRows - 1);
    QCOMPARE(fresh.model()->data(fresh.currentIndex()).toInt(), kRows - 1);
}

QTEST_MAIN(TestDataGrid)
#include "tst_datagrid.moc"
