// Describing and deleting tables and fields from the main window, as a user
// gives the commands: menu items, toolbar buttons, double-clicks on the grids,
// the description dialog filled through the modal seam and the questions
// answered through the message seam.

#include "tests/app/MainWindowFixture.h"

#include "describe/DescriptionCommands.h"
#include "framework/dataset/Database.h"
#include "store/DicoRules.h"
#include "tests/support/FaultFileSystem.h"
#include "tests/support/ScopedFileSystem.h"

#include <QLineEdit>

using widgets::MessageSeam;
using widgets::ModalSeam;

namespace {

const QString kDescription = QStringLiteral("Description");

// The dictionary file's rows, read through a view of its own: number → the
// row's Table, Champ and Description.
QMap<int, QString> rowsInFile(const QString& path) {
    dataset::Table probe;
    probe.setTableName(path);
    probe.Open();
    QMap<int, QString> rows;
    for (probe.First(); !probe.Eof(); probe.Next()) {
        const auto text = [&](const char* name) {
            return probe.FieldByName(QLatin1String(name))->AsString();
        };
        rows.insert(probe.FieldByName(QStringLiteral("NoEnreg"))->AsInteger(),
                    text("Table") + QLatin1Char('/') + text("Champ") + QLatin1Char('/') +
                        text("Description"));
    }
    return rows;
}

// Queues what the user does in the description dialog: the text found in
// the box is kept in `seen`; `typed` replaces it; OK is clicked, or
// Cancel when `cancel`.
void answerDialog(QString* seen, const QString& typed, bool cancel = false) {
    ModalSeam::push([=](widgets::Form& dialog) {
        auto* edit = dialog.component<widgets::Edit>(QStringLiteral("chDescription"));
        if (seen)
            *seen = edit->text();
        edit->selectAll(); // what is typed replaces what was there
        QTest::keyClicks(edit, typed);
        const char* button = cancel ? "biAnnuler" : "biOK";
        // OK with an empty box: the button is disabled, the result is set.
        if (!cancel && edit->text().isEmpty())
            dialog.setModalResult(widgets::mrOk);
        else
            dialog.component<widgets::BitBtn>(QLatin1String(button))->click();
    });
}

void doubleClick(widgets::DataGrid* grid, int row, int column) {
    const QRect cell = grid->visualRect(grid->model()->index(row, column));
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

// CLIENTS (1) with five fields and two index rows (2..8), then ARTICLES (9)
// with CODE (10), opened by path and so tied.
void openClientsAndArticles(MainWindowFixture& f) {
    f.makeDictionaryFile(QStringLiteral("paye.DB"));
    f.openDictionary(QStringLiteral("paye.DB"));
    QList<QPair<QString, QString>> clients;
    for (const char* field : {"NOM", "VILLE", "CP", "TEL", "SOLDE"})
        clients.append({QLatin1String(field), QStringLiteral("ftString")});
    clients.append({QStringLiteral("Primaire"), QStringLiteral("ixPrimary")});
    clients.append({QStringLiteral("ParVille"), QStringLiteral("ixCaseInsensitive")});
    f.addTypedTable(QStringLiteral("CLIENTS.DB"), clients);
    f.addTable(QStringLiteral("ARTICLES.DB"), {QStringLiteral("CODE")});
    f.window->taDico->First();
}

} // namespace

class TestDescribe : public QObject {
    Q_OBJECT

private slots:
    void commandsDoNothingWhileDisabled();
    void nullDescriptionOpensEmptyAndOkWritesNothing();
    void describedTableIsWrittenAndShown();
    void indexRowsAreRefused_data();
    void indexRowsAreRefused();
    void typingStopsAt16ButLongTextShowsWhole();
    void noKeystrokeIsTakenThenDropped();
    void deleteQuestionInBothLanguages_data();
    void deleteQuestionInBothLanguages();
    void deleteTableRemovesItsRowsAndNothingElse();
    void noKeepsEveryRowAndRefreshesCommands();
    void firstTableRightAfterOpeningGoesWhole();
    void lastTableGoneThenNextTableShowsItsFields();
    void failedDeleteLeavesTheDictionaryAsItWas();
    void deleteFieldIsBuiltButHidden();
};

void TestDescribe::commandsDoNothingWhileDisabled() {
    MainWindowFixture f;
    // No dictionary, then an empty one: strict seams fail on any dialog.
    f.window->itTableDescrClick();
    f.window->spDescrChampClick();
    f.newDictionary(QStringLiteral("vide"));
    QCOMPARE(f.state(), store::DicoState::Empty);
    QVERIFY(!f.window->itTableDescr->isEnabled());
    QTest::mouseDClick(f.window->grTables->viewport(), Qt::LeftButton);
    QTest::mouseDClick(f.window->grChamps->viewport(), Qt::LeftButton);
    QCOMPARE(MessageSeam::shownCount(), 1); // the New question only
    QCOMPARE(ModalSeam::pending(), 0);
}

void TestDescribe::nullDescriptionOpensEmptyAndOkWritesNothing() {
    MainWindowFixture f;
    openClientsAndArticles(f);
    const QMap<int, QString> before = rowsInFile(f.nomDico());
    QString seen = QStringLiteral("<not shown>");
    answerDialog(&seen, QString());
    doubleClick(f.window->grTables, 0, 0);
    QCOMPARE(seen, QString());
    QCOMPARE(ModalSeam::pending(), 0);
    answerDialog(nullptr, QStringLiteral("abandon"), true);
    f.trigger("itTableDescr");
    QCOMPARE(rowsInFile(f.nomDico()), before);
}

void TestDescribe::describedTableIsWrittenAndShown() {
    MainWindowFixture f;
    openClientsAndArticles(f);
    f.window->taDico->Next(); // ARTICLES
    answerDialog(nullptr, QStringLiteral("Le stock"));
    f.trigger("itTableDescr");
    QCOMPARE(rowsInFile(f.nomDico()).value(9), QStringLiteral("ARTICLES.DB//Le stock"));
    QCOMPARE(f.window->taDico->FieldByName(kDescription)->AsString(), QStringLiteral("Le stock"));
    // The fields grid, double-clicked on CODE, describes that field.
    QString seen;
    answerDialog(&seen, QStringLiteral("Code article"));
    doubleClick(f.window->grChamps, 0, 0);
    QCOMPARE(rowsInFile(f.nomDico()).value(10), QStringLiteral("ARTICLES.DB/CODE/Code article"));
    QCOMPARE(f.window->taChamps->FieldByName(QStringLiteral("Champ"))->AsString(),
             QStringLiteral("CODE"));
}

void TestDescribe::indexRowsAreRefused_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<bool>("refused");
    QTest::newRow("ixUnique") << "ixUnique" << true;
    QTest::newRow("IX in capitals") << "IXPRIMARY" << true;
    QTest::newRow("Ix") << "IxDescending" << false;
    QTest::newRow("iX") << "iXDescending" << false;
    QTest::newRow("empty type") << "" << false;
    QTest::newRow("a field") << "ftString" << false;
}

void TestDescribe::indexRowsAreRefused() {
    QFETCH(QString, type);
    QFETCH(bool, refused);
    QCOMPARE(store::DicoRules::DescriptionLocked(type), refused);
    MainWindowFixture f;
    f.makeDictionaryFile(QStringLiteral("paye.DB"));
    f.openDictionary(QStringLiteral("paye.DB"));
    f.addTypedTable(QStringLiteral("CLIENTS.DB"), {{QStringLiteral("Cle"), type}});
    f.addTable(QStringLiteral("ZONES.DB"), {}); // tied from two table entries on
    f.window->taDico->First();
    for (int language : {0, 1}) {
        lang::SetGlobalLanguage(language);
        if (refused)
            MessageSeam::pushAnswer(widgets::mrOk);
        else
            answerDialog(nullptr, QStringLiteral("Cle %1").arg(language));
        f.trigger("itDescrChamps");
        if (refused) {
            QCOMPARE(f.lastMessage(),
                     language ? QStringLiteral("Impossible to modify the Index description !")
                              : QStringLiteral("Impossible de modifier la description d'un "
                                               "champ d'index !"));
            QCOMPARE(MessageSeam::last().type, widgets::mtWarning);
        }
        QCOMPARE(rowsInFile(f.nomDico()).value(2),
                 QStringLiteral("CLIENTS.DB/Cle/") +
                     (refused ? QString() : QStringLiteral("Cle %1").arg(language)));
    }
    QCOMPARE(ModalSeam::pending(), 0);
}

void TestDescribe::typingStopsAt16ButLongTextShowsWhole() {
    MainWindowFixture f;
    openClientsAndArticles(f);
    const QString longText = QStringLiteral("Une description de quarante caractères !");
    f.window->taDico->Edit();
    f.window->taDico->FieldByName(kDescription)->setAsString(longText);
    f.window->taDico->Post();
    QString seen;
    ModalSeam::push([&](widgets::Form& dialog) {
        auto* edit = dialog.component<widgets::Edit>(QStringLiteral("chDescription"));
        seen = edit->text();
        QCOMPARE(dialog.focusWidget(), static_cast<QWidget*>(edit));
        edit->clear();
        QVERIFY(!dialog.component<widgets::BitBtn>(QStringLiteral("biOK"))->isEnabled());
        QTest::keyClicks(edit, QStringLiteral("0123456789abcdefXYZ"));
        dialog.component<widgets::BitBtn>(QStringLiteral("biOK"))->click();
    });
    f.trigger("itTableDescr");
    QCOMPARE(seen, longText);
    QCOMPARE(rowsInFile(f.nomDico()).value(1), QStringLiteral("CLIENTS.DB//0123456789abcdef"));
}

// Whatever the box starts with, a keystroke is either refused or kept: what
// the box shows at OK is exactly what is stored. A text longer than what
// may be typed can be shortened or replaced, never lengthened.
void TestDescribe::noKeystrokeIsTakenThenDropped() {
    const QString long80 = QString(QStringLiteral("Description longue de quatre-vingts "
                                                  "caractères, écrite par une commande..."))
                               .leftJustified(80, QLatin1Char('.'));
    const QString typed = QStringLiteral("ABCDEFGHIJKLM"); // 13 characters
    struct Case {
        const char* name;
        QString start;
        int backspaces;
        bool replaceAll;
        QString stored;
    };
    const QList<Case> cases{
        {"80 characters, typing at the end", long80, 0, false, long80},
        {"shortened by 3, then typing", long80, 3, false, long80.left(77)},
        {"10 characters, typing up to 16", QStringLiteral("0123456789"), 0, false,
         QStringLiteral("0123456789ABCDEF")},
        {"80 characters replaced", long80, 0, true, typed},
    };
    for (const Case& c : cases) {
        MainWindowFixture f;
        openClientsAndArticles(f);
        f.window->taDico->Edit();
        f.window->taDico->FieldByName(kDescription)->setAsString(c.start);
        f.window->taDico->Post();
        QString shown;
        ModalSeam::push([&](widgets::Form& dialog) {
            auto* edit = dialog.component<widgets::Edit>(QStringLiteral("chDescription"));
            if (c.replaceAll)
                edit->selectAll();
            else
                edit->end(false);
            for (int k = 0; k < c.backspaces; ++k)
                QTest::keyClick(edit, Qt::Key_Backspace);
            QTest::keyClicks(edit, typed);
            shown = edit->text();
            dialog.component<widgets::BitBtn>(QStringLiteral("biOK"))->click();
        });
        f.trigger("itTableDescr");
        QVERIFY2(shown == c.stored, c.name);
        QVERIFY2(rowsInFile(f.nomDico()).value(1) == QStringLiteral("CLIENTS.DB//") + c.stored,
                 c.name);
    }
}

void TestDescribe::deleteQuestionInBothLanguages_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("question");
    QTest::newRow("English") << 1 << "Delete informations of table:  CLIENTS.DB";
    QTest::newRow("French") << 0 << "Supprimer les informations de la table:  CLIENTS.DB";
}

void TestDescribe::deleteQuestionInBothLanguages() {
    QFETCH(int, language);
    QFETCH(QString, question);
    MainWindowFixture f;
    openClientsAndArticles(f);
    lang::SetGlobalLanguage(language);
    MessageSeam::pushAnswer(widgets::mrNo);
    f.click("spSupTable");
    QCOMPARE(f.lastMessage(), question);
    QCOMPARE(MessageSeam::last().type, widgets::mtConfirmation);
    QCOMPARE(MessageSeam::last().buttons, widgets::mbYesNo);
}

void TestDescribe::deleteTableRemovesItsRowsAndNothingElse() {
    MainWindowFixture f;
    openClientsAndArticles(f);
    f.window->taDico->Next(); // off the first row, where the guard would stop it
    f.window->taDico->First();
    QCOMPARE(rowsInFile(f.nomDico()).size(), 10);
    MessageSeam::pushAnswer(widgets::mrYes);
    f.trigger("itSupTable");
    const QMap<int, QString> left = rowsInFile(f.nomDico());
    QCOMPARE(left.keys(), QList<int>({9, 10}));
    QCOMPARE(f.window->taDico->FieldByName(QStringLiteral("Table"))->AsString(),
             QStringLiteral("ARTICLES.DB"));
    QCOMPARE(f.window->grChamps->model()->rowCount(), 1);
}

// No writes nothing and still refreshes the commands: "Generate code",
// unchecked by the user, is checked again.
void TestDescribe::noKeepsEveryRowAndRefreshesCommands() {
    MainWindowFixture f;
    openClientsAndArticles(f);
    const QMap<int, QString> before = rowsInFile(f.nomDico());
    f.trigger("itGenCode");
    QVERIFY(!f.window->itGenCode->isChecked());
    MessageSeam::pushAnswer(widgets::mrNo);
    f.click("spSupTable");
    QCOMPARE(rowsInFile(f.nomDico()), before);
    QVERIFY(f.window->itGenCode->isChecked());
}

void TestDescribe::firstTableRightAfterOpeningGoesWhole() {
    MainWindowFixture f;
    openClientsAndArticles(f);
    const QString path = f.nomDico();
    f.openDictionary(QStringLiteral("paye.DB")); // reopened: on its first row, Bof set
    QVERIFY(f.window->taDico->Bof());
    MessageSeam::pushAnswer(widgets::mrYes);
    f.click("spSupTable");
    QCOMPARE(rowsInFile(path).keys(), QList<int>({9, 10}));
}

// A dictionary whose only row is a table entry without fields: deleting it
// closes the fields view; the next table added shows its fields again.
void TestDescribe::lastTableGoneThenNextTableShowsItsFields() {
    MainWindowFixture f;
    f.makeDictionaryFile(QStringLiteral("paye.DB"));
    f.openDictionary(QStringLiteral("paye.DB"));
    f.addTable(QStringLiteral("VIDE.DB"), {});
    MessageSeam::pushAnswer(widgets::mrYes);
    f.click("spSupTable");
    QCOMPARE(f.state(), store::DicoState::Empty);
    QVERIFY(rowsInFile(f.nomDico()).isEmpty());
    f.addTable(QStringLiteral("CLIENTS.DB"), {QStringLiteral("NOM"), QStringLiteral("VILLE")});
    QVERIFY(f.window->taChamps->Active());
    QVERIFY(f.window->Store->FieldsViewTied());
    QCOMPARE(f.window->grChamps->model()->rowCount(), 2);
}

// An I/O error at any step of the deletion: either the error reaches the
// user and every row is still there, or nothing failed and the table went
// whole. Never a field entry without its table entry, or the reverse.
void TestDescribe::failedDeleteLeavesTheDictionaryAsItWas() {
    const auto deleteClients = [](MainWindowFixture& f, testsupport::FaultFileSystem& fs) {
        openClientsAndArticles(f);
        f.window->taDico->Last();
        f.window->taDico->First();
        MessageSeam::pushAnswer(widgets::mrYes);
        MessageSeam::pushAnswer(widgets::mrOk); // for the error box, when one comes
        {
            const testsupport::ScopedFileSystem mounted(fs);
            f.click("spSupTable");
        }
        const bool failed = MessageSeam::pending() == 0;
        MessageSeam::clear();
        MessageSeam::setStrict(true);
        return failed;
    };
    testsupport::FaultFileSystem counter(engine::fileSystem());
    uint64_t steps = 0;
    QMap<int, QString> afterDelete;
    {
        MainWindowFixture f;
        QVERIFY(!deleteClients(f, counter));
        steps = counter.operations();
        afterDelete = rowsInFile(f.nomDico());
    }
    QVERIFY(steps > 0);
    QCOMPARE(afterDelete.keys(), QList<int>({9, 10}));
    uint64_t cases = 0, reported = 0;
    for (uint64_t n = 1; n <= steps; ++n) {
        MainWindowFixture f;
        testsupport::FaultFileSystem faults(engine::fileSystem());
        faults.failAt(n, EIO, false);
        const bool failed = deleteClients(f, faults);
        const QMap<int, QString> rows = rowsInFile(f.nomDico());
        if (failed) {
            ++reported;
            QCOMPARE(rows.size(), 10);
        } else {
            QCOMPARE(rows, afterDelete);
        }
        ++cases;
    }
    qInfo("%llu of %llu failures reported", static_cast<unsigned long long>(reported),
          static_cast<unsigned long long>(cases));
    QCOMPARE(cases, steps);
    QVERIFY(reported > 0);
}

void TestDescribe::deleteFieldIsBuiltButHidden() {
    MainWindowFixture f;
    openClientsAndArticles(f);
    QVERIFY(!f.window->spSupChamp->isVisible());
    for (widgets::MenuItem* item : f.window->findChildren<widgets::MenuItem*>())
        QVERIFY2(item->objectName() != QLatin1String("spSupChamp"), "no menu item leads there");
    MessageSeam::pushAnswer(widgets::mrYes);
    f.window->spSupChamp->click();
    QCOMPARE(f.lastMessage(), QStringLiteral("Delete field NOM"));
    QVERIFY(!rowsInFile(f.nomDico()).contains(2));
    QCOMPARE(rowsInFile(f.nomDico()).size(), 9);
}

QTEST_MAIN(TestDescribe)
#include "tst_describe.moc"
