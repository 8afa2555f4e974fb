// The grids' item model over a table view, checked by QAbstractItemModelTester while the
// view moves, edits, filters, deletes and follows its master.
#include "DictionaryFixture.h"

#include "framework/dataset/Field.h"
#include "framework/dataset/TableModel.h"

#include <sys/stat.h>

#include <QAbstractItemModelTester>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

using namespace dataset;

namespace {
const QString kDico = QStringLiteral("PAYE.DB");

ino_t inodeOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList column(const TableModel& m, int col) {
    QStringList out;
    for (int r = 0; r < m.rowCount(); ++r)
        out << m.data(m.index(r, col)).toString();
    return out;
}
} // namespace

class TestTableModel : public QObject {
    Q_OBJECT
private slots:
    // Rows are the visible rows, columns the visible fields with their labels and widths;
    // moves of the view move currentRow; hiding a field removes its column.
    void rowsColumnsAndCurrentRow() {
        DictionaryFixture fx;
        fx.createSample(kDico);
        Table* t = fx.view(kDico, "CT=True", "Table", "taDico");
        DictionaryFixture::declareDictionaryFields(t);
        for (const char* hidden : {"NoEnreg", "Champ", "Type", "Longueur", "CT", "CC"})
            t->FieldByName(hidden)->setVisible(false);
        t->FieldByName("Table")->setDisplayWidth(14);
        TableModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setDataSource(fx.source(t));
        QCOMPARE(model.rowCount(), 0);
        t->Open();
        QCOMPARE(model.columnCount(), 2);
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QString("Table"));
        QCOMPARE(model.headerData(0, Qt::Horizontal, TableModel::DisplayWidthRole).toInt(), 14);
        QCOMPARE(column(model, 0), (QStringList{"ARTICLES.DB", "CLIENTS.DB", "zeta.db"}));
        QCOMPARE(model.currentRow(), 0);
        QSignalSpy moved(&model, &TableModel::currentRowChanged);
        t->Last();
        QCOMPARE(model.currentRow(), 2);
        QCOMPARE(moved.count(), 1);
        QVERIFY(model.setCurrentRow(1));
        QCOMPARE(t->FieldByName("Table")->AsString(), QString("CLIENTS.DB"));
        t->FieldByName("Description")->setVisible(false);
        QCOMPARE(model.columnCount(), 1);
        t->FieldByName("Description")->setVisible(true);
        t->Close();
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.columnCount(), 0);
    }

    // Editing through the model edits the view; an inserted row shows as an extra last row
    // until posted; removing a row deletes it.
    void editingThroughTheModel() {
        DictionaryFixture fx;
        fx.createSample(kDico);
        Table* t = fx.view(kDico, "CC=True");
        TableModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setDataSource(fx.source(t));
        t->Open();
        const int descr = t->FieldByName("Description")->Index();
        QCOMPARE(model.rowCount(), 4);
        QVERIFY(model.setData(model.index(1, descr), "nom du client"));
        QCOMPARE(t->State(), DataSetState::Edit);
        QCOMPARE(model.data(model.index(1, descr)).toString(), QString("nom du client"));
        QVERIFY(model.submit());
        QCOMPARE(t->State(), DataSetState::Browse);
        QCOMPARE(model.data(model.index(1, descr)).toString(), QString("nom du client"));

        QVERIFY(model.insertRows(model.rowCount(), 1));
        QCOMPARE(model.rowCount(), 5);
        QCOMPARE(model.currentRow(), 4);
        t->FieldByName("NoEnreg")->setAsInteger(40);
        t->FieldByName("Table")->setAsString("ARTICLES.DB");
        t->FieldByName("CC")->setAsBoolean(true);
        model.submit();
        QCOMPARE(model.rowCount(), 5);
        QVERIFY(model.removeRows(0, 2));
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(t->RecordCount(), 7);
        model.setReadOnly(true);
        QVERIFY(!model.setData(model.index(0, descr), "x"));
        QVERIFY(!(model.flags(model.index(0, descr)) & Qt::ItemIsEditable));
    }

    // A view longer than one read shows its first rows, then more as the grid asks; a jump
    // further on reads on until the current row shows. An edit posted in place and a new
    // row the filter hides are followed without reading the view again.
    void readsTheViewAsNeeded() {
        DictionaryFixture fx;
        fx.createDictionary(kDico);
        QList<DicoRowSpec> rows;
        for (int i = 0; i < 150; ++i) {
            const QString name = QString("T%1.DB").arg(i, 3, 10, QLatin1Char('0'));
            rows << DicoRowSpec{2 * i + 1, name, true, {}}
                 << DicoRowSpec{2 * i + 2, name, false, "C"};
        }
        fx.addRows(kDico, rows);
        Table* t = fx.view(kDico, "CT=True", "Table");
        TableModel model;
        model.setDataSource(fx.source(t));
        t->Open();
        const int table = t->FieldByName("Table")->Index();
        const int descr = t->FieldByName("Description")->Index();
        QVERIFY(model.rowCount() < 150 && model.canFetchMore({}));
        model.fetchMore({});
        QVERIFY(model.rowCount() < 150);
        t->Last();
        QCOMPARE(model.currentRow(), 149);
        QCOMPARE(model.rowCount(), 150);
        QVERIFY(!model.canFetchMore({}));
        // From here on every signal is checked (the checker reads whatever is left).
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QStringList expected;
        for (const DicoRowSpec& r : rows)
            if (r.ct)
                expected << r.table;
        QCOMPARE(column(model, table), expected);

        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        QVERIFY(model.setCurrentRow(10));
        QCOMPARE(t->FieldByName("Table")->AsString(), QString("T010.DB"));
        QVERIFY(model.setData(model.index(10, descr), "dix"));
        QVERIFY(model.submit());
        QCOMPARE(model.data(model.index(10, descr)).toString(), QString("dix"));
        QCOMPARE(model.currentRow(), 10);
        QCOMPARE(resets.count(), 0);
        appendDicoRow(t, {400, "T010.DB", false, "D"});
        QCOMPARE(model.currentRow(), 11); // the following visible row
        QCOMPARE(model.rowCount(), 150);  // a second reading would stop at the current row

        appendDicoRow(t, {401, "T010A.DB", true, {}});
        QCOMPARE(model.currentRow(), 11);
        QCOMPARE(model.data(model.index(11, table)).toString(), QString("T010A.DB"));
        QCOMPARE(model.data(model.index(12, table)).toString(), QString("T011.DB"));
        // The model holds nothing open, and each commit already left the index files whole:
        // closing the view rewrites nothing, and a fresh view sees every appended row.
        const QString index = fx.dir() + "/PAYE.PX";
        const ino_t before = inodeOf(index);
        const QByteArray bytesBefore = bytesOf(index);
        t->Close();
        QCOMPARE(inodeOf(index), before);
        QCOMPARE(bytesOf(index), bytesBefore);
        Table* again = fx.view(kDico, "CT=True", "Table");
        TableModel reread;
        reread.setDataSource(fx.source(again));
        again->Open();
        while (reread.canFetchMore({}))
            reread.fetchMore({});
        QCOMPARE(reread.rowCount(), 151);
    }

    // A detail grid follows its master: its rows change with the master row, and no master
    // row means no rows.
    void detailModelFollowsMaster() {
        DictionaryFixture fx;
        fx.createSample(kDico);
        Table* master = fx.view(kDico, "CT=True", "Table");
        DataSource* dsMaster = fx.source(master);
        Table* detail = fx.view(kDico, "CC=True", "Table");
        detail->setMasterSource(dsMaster);
        detail->setMasterFields("Table");
        TableModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setDataSource(fx.source(detail));
        master->Open();
        detail->Open();
        const int champ = detail->FieldByName("Champ")->Index();
        QCOMPARE(column(model, champ), QStringList{"Ref"});
        master->Next();
        QStringList clients = column(model, champ);
        clients.sort();
        QCOMPARE(clients, (QStringList{"Code", "Nom"}));
        master->setFilter("CT=False");
        QCOMPARE(model.rowCount(), 0);
        master->setFilter("CT=True");
        QCOMPARE(model.rowCount(), 1);
        master->Close();
        QCOMPARE(model.rowCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestTableModel)
#include "tst_tablemodel.moc"
