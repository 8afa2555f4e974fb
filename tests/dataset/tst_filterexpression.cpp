// Filters of table views: the accepted forms, the refused ones, and what a refusal says.
#include "framework/dataset/DatasetError.h"
#include "framework/dataset/FilterExpression.h"
#include "framework/dataset/Table.h"

#include <QTest>

using namespace dataset;

class TestFilterExpression : public QObject {
    Q_OBJECT
private slots:
    void accepted_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("expected");
        QTest::newRow("table entries") << "CT=True"
                                       << "CT" << true;
        QTest::newRow("field entries") << "CC=True"
                                       << "CC" << true;
        QTest::newRow("false") << "CT=False"
                               << "CT" << false;
        QTest::newRow("blanks") << "  CC =  True "
                                << "CC" << true;
        QTest::newRow("keyword case") << "ct=TRUE"
                                      << "ct" << true;
        QTest::newRow("quoted name") << "\"Est actif\"=false"
                                     << "Est actif" << false;
        QTest::newRow("bracketed name") << "[Est actif] = True"
                                        << "Est actif" << true;
    }
    void accepted() {
        QFETCH(QString, text);
        QFETCH(QString, field);
        QFETCH(bool, expected);
        const auto f = FilterExpression::parse(text);
        QVERIFY(f.has_value());
        QCOMPARE(f->fieldName(), field);
        QCOMPARE(f->expected(), expected);
    }

    void refused_data() {
        QTest::addColumn<QString>("text");
        for (const char* t :
             {"CT", "CT=", "=True", "CT=Yes", "CT=1", "CT<>True", "CT==True", "CT=True AND CC=True",
              "CT=True;", "\"CT=True", "[CT=True", "CT=Truex", "   "})
            QTest::newRow(t) << QString::fromLatin1(t);
    }
    void refused() {
        QFETCH(QString, text);
        QVERIFY(!FilterExpression::parse(text).has_value());
    }

    // A refused filter is reported at once, in French, naming the table and the text, and
    // the view keeps the filter it had.
    void viewRefusesAndKeepsFilter() {
        Table t;
        t.setTableName("paye.DB");
        t.setFilter("CT=True");
        try {
            t.setFilter("CT>1");
            QFAIL("the filter was accepted");
        } catch (const DatasetError& e) {
            QVERIFY2(e.text().startsWith("Filtre incorrect"), qPrintable(e.text()));
            QVERIFY(e.text().contains("« paye.DB »"));
            QVERIFY(e.text().contains("« CT>1 »"));
        }
        QCOMPARE(t.Filter(), QString("CT=True"));
    }
};

QTEST_GUILESS_MAIN(TestFilterExpression)
#include "tst_filterexpression.moc"
