// The dictionary commands New, Open and Delete: their dialogs, warnings and
// questions in both languages, what they create, open and delete, and the
// caption through New, the first table and Open.

#include "tests/app/MainWindowFixture.h"

#include "app/RecentDictionaries.h"

#include "framework/dataset/FieldDefs.h"
#include "framework/dataset/IndexDefs.h"

#include <QApplication>
#include <QMenu>

using widgets::MessageSeam;

namespace {

// Makes the windows speak `language` from now on, as the word tables do.
void useLanguage(int language) {
    lang::SetGlobalLanguage(quint8(language));
}

// A Paradox table in the data directory that is not a dictionary (its fields
// are not the dictionary's).
void makeOtherTable(const QString& path) {
    dataset::Table table;
    table.setTableName(path);
    table.setTableType(dataset::TableType::Paradox);
    table.FieldDefs().Add(QStringLiteral("Code"), dataset::ftInteger);
    table.FieldDefs().Add(QStringLiteral("Nom"), dataset::ftString, 20);
    table.CreateTable();
}

} // namespace

class TestCommands : public QObject {
    Q_OBJECT

private slots:
    void newAsksThenCreates_data();
    void newAsksThenCreates();
    void newRefusesABlankName();
    void newRefusesAnExistingName_data();
    void newRefusesAnExistingName();
    void newChangesNothingWithoutYes_data();
    void newChangesNothingWithoutYes();
    void failedCreationRestoresTheCaption();
    void failedCreationReopensThePreviousDictionary();
    void newRefusesNamesOutsideTheDataDirectory();
    void captionThroughNewFirstTableAndOpen();
    void selectDialogListsDictionariesOnly();
    void selectDialogCaptions_data();
    void selectDialogCaptions();
    void openByDoubleClick();
    void okActsOnTheFileShownAsChosen();
    void openOfANonDictionaryLeavesNoDictionary_data();
    void openOfANonDictionaryLeavesNoDictionary();
    void deleteAsksInTheDialogsLanguage_data();
    void deleteAsksInTheDialogsLanguage();
    void deleteAnotherDictionaryKeepsTheOpenOne();
    void recentDictionariesAreKeptAndAMissingOneIsDropped();
};

void TestCommands::newAsksThenCreates_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("question");
    QTest::newRow("English") << 1 << "Create dictionary  ?stock ?";
    QTest::newRow("French") << 0 << "Créer le dictionnaire  ?stock ?";
}

void TestCommands::newAsksThenCreates() {
    QFETCH(int, language);
    QFETCH(QString, question);
    MainWindowFixture f;
    useLanguage(language);
    f.newDictionary(QStringLiteral("stock"));
    QCOMPARE(f.lastMessage(), question);
    QCOMPARE(MessageSeam::last().type, widgets::mtConfirmation);
    QCOMPARE(MessageSeam::last().buttons, widgets::mbYesNo);
    QCOMPARE(f.dataFiles().filter(QStringLiteral(".DB")), QStringList{QStringLiteral("stock.DB")});
    QCOMPARE(f.state(), store::DicoState::Empty);
    QCOMPARE(f.window->caption(), QStringLiteral("Korvanta - ") + f.dataDir() +
                                      QStringLiteral("/stock.db - Non enregistré"));
    QCOMPARE(f.nomDico(), f.dataFile(QStringLiteral("stock.DB")));
    QVERIFY(!f.window->Store->FieldsViewTied());
    QVERIFY(!f_ajmsdico); // discarded after the command
}

void TestCommands::newRefusesABlankName() {
    MainWindowFixture f;
    MainWindowFixture::typeName(QStringLiteral("   "));
    MessageSeam::pushAnswer(widgets::mrOk);
    f.click("spNouveau");
    QCOMPARE(f.lastMessage(), QStringLiteral("The name of the dictionary must be specified !"));
    QCOMPARE(MessageSeam::last().type, widgets::mtWarning);
    QVERIFY(f.dataFiles().isEmpty());
    QCOMPARE(f.state(), store::DicoState::NoDictionary);
}

void TestCommands::newRefusesAnExistingName_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("existing");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("warning");
    const QString en = QStringLiteral("This name is used by an existing dictionary !");
    const QString fr = QStringLiteral("Ce nom est utilisé par un dictionnaire existant !");
    QTest::newRow("same name") << 1 << "stock.DB"
                               << "stock" << en;
    QTest::newRow("other letter case") << 1 << "STOCK.db"
                                       << "Stock" << en;
    QTest::newRow("first eight letters") << 1 << "ABCDEFGH.DB"
                                         << "ABCDEFGHIJ" << en;
    QTest::newRow("French") << 0 << "stock.DB"
                            << "stock" << fr;
}

void TestCommands::newRefusesAnExistingName() {
    QFETCH(int, language);
    QFETCH(QString, existing);
    QFETCH(QString, name);
    QFETCH(QString, warning);
    MainWindowFixture f;
    useLanguage(language);
    f.makeDictionaryFile(existing);
    const QString caption = f.window->caption();
    const QStringList before = f.dataFiles();
    MainWindowFixture::typeName(name);
    MessageSeam::pushAnswer(widgets::mrOk);
    f.click("spNouveau");
    QCOMPARE(f.lastMessage(), warning);
    QCOMPARE(MessageSeam::last().type, widgets::mtWarning);
    QCOMPARE(MessageSeam::last().buttons, widgets::mbOK);
    QCOMPARE(f.dataFiles(), before);
    QCOMPARE(f.window->caption(), caption);
    QCOMPARE(f.state(), store::DicoState::NoDictionary);
}

void TestCommands::newChangesNothingWithoutYes_data() {
    QTest::addColumn<bool>("cancelDialog");
    QTest::newRow("dialog cancelled") << true;
    QTest::newRow("question answered no") << false;
}

void TestCommands::newChangesNothingWithoutYes() {
    QFETCH(bool, cancelDialog);
    MainWindowFixture f;
    f.openFilledDictionary();
    const QString caption = f.window->caption();
    const QString nomDico = f.nomDico();
    if (cancelDialog) {
        MainWindowFixture::cancelDialog();
    } else {
        MainWindowFixture::typeName(QStringLiteral("stock"));
        MessageSeam::pushAnswer(widgets::mrNo);
    }
    f.trigger("itNouvDico");
    QCOMPARE(MessageSeam::shownCount(), cancelDialog ? 0 : 1);
    QCOMPARE(f.window->caption(), caption);
    QCOMPARE(f.nomDico(), nomDico);
    QCOMPARE(f.state(), store::DicoState::Filled);
    QVERIFY(!QFile::exists(f.dataFile(QStringLiteral("stock.DB"))));
}

// A name the engine refuses as a file name fails inside the creation: only
// the engine's message is shown, and caption and name are as before.
void TestCommands::failedCreationRestoresTheCaption() {
    MainWindowFixture f;
    const QString caption = f.window->caption();
    MainWindowFixture::typeName(QStringLiteral("a*b"));
    MessageSeam::pushAnswer(widgets::mrYes);
    MessageSeam::pushAnswer(widgets::mrOk);
    f.click("spNouveau");
    QCOMPARE(MessageSeam::last().title, QStringLiteral("Erreur"));
    QCOMPARE(MessageSeam::shownCount(), 2);
    QCOMPARE(f.window->caption(), caption);
    QVERIFY(f.nomDico().isEmpty());
    QCOMPARE(f.state(), store::DicoState::NoDictionary);
    QVERIFY(f.window->spNouveau->isEnabled());
    QVERIFY(f.dataFiles().isEmpty());
}

void TestCommands::failedCreationReopensThePreviousDictionary() {
    MainWindowFixture f;
    f.openFilledDictionary();
    const QString caption = f.window->caption();
    const QString nomDico = f.nomDico();
    MainWindowFixture::typeName(QStringLiteral("a*b"));
    MessageSeam::pushAnswer(widgets::mrYes);
    MessageSeam::pushAnswer(widgets::mrOk);
    f.click("spNouveau");
    QCOMPARE(MessageSeam::last().title, QStringLiteral("Erreur"));
    QCOMPARE(f.window->caption(), caption);
    QCOMPARE(f.nomDico(), nomDico);
    QCOMPARE(f.state(), store::DicoState::Filled);
    QCOMPARE(f.window->grChamps->model()->rowCount(), 1);
    QVERIFY(f.window->spImprimer->isEnabled());
}

// A name that leads out of the data directory never reaches the question, nor
// the file system: "/x" would otherwise replace a table anywhere.
void TestCommands::newRefusesNamesOutsideTheDataDirectory() {
    MainWindowFixture f;
    f.openFilledDictionary();
    const QString caption = f.window->caption();
    const QDir outside(f.dataDir() + QStringLiteral("/.."));
    for (const QString& name :
         {outside.absoluteFilePath(QStringLiteral("kq")), QStringLiteral("../kq"),
          QStringLiteral("sub/kq"), QStringLiteral("..")}) {
        MainWindowFixture::typeName(name);
        MessageSeam::pushAnswer(widgets::mrOk);
        f.click("spNouveau");
        QCOMPARE(MessageSeam::last().title, QStringLiteral("Erreur"));
        QVERIFY2(MessageSeam::last().text.contains(QStringLiteral("Nom de table incorrect")),
                 qPrintable(name));
        QCOMPARE(f.window->caption(), caption);
        QCOMPARE(f.state(), store::DicoState::Filled);
    }
    QVERIFY(!QFileInfo::exists(outside.absoluteFilePath(QStringLiteral("kq.DB"))));
    // Two dots inside a name are no path.
    f.newDictionary(QStringLiteral("a..b"));
    QVERIFY(f.dataFiles().contains(QStringLiteral("a..b.DB")));
}

void TestCommands::captionThroughNewFirstTableAndOpen() {
    MainWindowFixture f;
    QCOMPARE(f.window->caption(), QStringLiteral("Korvanta"));
    f.newDictionary(QStringLiteral("ABCDEFGHIJ"));
    const QString unsaved = QStringLiteral("Korvanta - ") + f.dataDir() +
                            QStringLiteral("/ABCDEFGHIJ.db - Non enregistré");
    QCOMPARE(f.window->caption(), unsaved);
    QVERIFY(QFile::exists(f.dataFile(QStringLiteral("ABCDEFGH.DB"))));

    // The table entry alone leaves the dictionary untied and the caption as it is.
    f.addTable(QStringLiteral("CLIENTS"), {});
    QCOMPARE(f.window->caption(), unsaved);
    QVERIFY(!f.window->Store->FieldsViewTied());
    // The first field entry ties it and gives the caption the dictionary's path.
    f.addTable(QStringLiteral("ARTICLES"), {QStringLiteral("CODE")});
    QVERIFY(f.window->Store->FieldsViewTied());
    QCOMPARE(f.window->caption(), QStringLiteral("Korvanta - ") + f.nomDico());

    f.makeDictionaryFile(QStringLiteral("paye.DB"));
    f.openDictionary(QStringLiteral("paye.DB"));
    QCOMPARE(f.window->caption(),
             QStringLiteral("Korvanta - ") + f.dataFile(QStringLiteral("paye.DB")));
    QCOMPARE(f.state(), store::DicoState::Empty);
    QVERIFY(f.window->Store->FieldsViewTied());
}

void TestCommands::selectDialogListsDictionariesOnly() {
    MainWindowFixture f;
    for (const char* name : {"a.DB", "b.db", "c.Db"})
        f.makeDictionaryFile(QLatin1String(name));
    for (const char* name : {"notes.txt", "a.PX", "d.db.bak"}) {
        QFile file(f.dataFile(QLatin1String(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    // The data directory is listed whatever the current directory.
    const QString before = QDir::currentPath();
    QDir::setCurrent(QDir::tempPath());
    f.openDictionary(QStringLiteral("c.Db"));
    QDir::setCurrent(before);
    QCOMPARE(f.seenFiles, (QStringList{"a.DB", "b.db", "c.Db"}));
    QCOMPARE(f.nomDico(), f.dataFile(QStringLiteral("c.Db")));
    QVERIFY(!f_SelDico);
}

void TestCommands::selectDialogCaptions_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<bool>("open");
    QTest::addColumn<QString>("caption");
    QTest::newRow("open, English") << 1 << true << "Open dictionary";
    QTest::newRow("open, French") << 0 << true << "Ouvrir un dictionnaire";
    QTest::newRow("delete, English") << 1 << false << "Select a dictionary";
    QTest::newRow("delete, French") << 0 << false << "Sélectionner un dictionnaire";
}

void TestCommands::selectDialogCaptions() {
    QFETCH(int, language);
    QFETCH(bool, open);
    QFETCH(QString, caption);
    MainWindowFixture f;
    useLanguage(language);
    f.makeDictionaryFile(QStringLiteral("paye.DB"));
    widgets::ModalSeam::push([&f](widgets::Form& dialog) {
        f.seenCaption = dialog.caption();
        QCOMPARE(dialog.clientWidth(), 235);
        QCOMPARE(dialog.clientHeight(), 167);
        dialog.component<widgets::BitBtn>(QStringLiteral("biAnnuler"))->click();
    });
    f.click(open ? "spOuvrir" : "spSupprimer");
    QCOMPARE(f.seenCaption, caption);
    QCOMPARE(MessageSeam::shownCount(), 0);
    QCOMPARE(f.state(), store::DicoState::NoDictionary);
    QVERIFY(QFile::exists(f.dataFile(QStringLiteral("paye.DB"))));
}

void TestCommands::openByDoubleClick() {
    MainWindowFixture f;
    f.makeDictionaryFile(QStringLiteral("paye.DB"));
    widgets::ModalSeam::push([](widgets::Form& dialog) {
        auto* list = dialog.component<widgets::FileListBox>(QStringLiteral("fiDico"));
        QVERIFY(list->selectFile(QStringLiteral("paye.DB")));
        const QPoint cell = list->visualItemRect(list->currentItem()).center();
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell);
    });
    f.click("spOuvrir");
    QCOMPARE(f.nomDico(), f.dataFile(QStringLiteral("paye.DB")));
    QCOMPARE(f.state(), store::DicoState::Empty);
}

// The list makes its first file current when it takes the focus; that file
// is drawn as chosen, so OK must open it rather than nothing.
void TestCommands::okActsOnTheFileShownAsChosen() {
    MainWindowFixture f;
    f.makeDictionaryFile(QStringLiteral("paye.DB"));
    f.makeDictionaryFile(QStringLiteral("stock.DB"));
    widgets::ModalSeam::push([](widgets::Form& dialog) {
        auto* list = dialog.component<widgets::FileListBox>(QStringLiteral("fiDico"));
        QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(list, &focusIn);
        QVERIFY(list->currentItem());
        QCOMPARE(list->currentItem()->text(), QStringLiteral("paye.DB"));
        QVERIFY(list->currentItem()->isSelected());
        dialog.component<widgets::BitBtn>(QStringLiteral("biOK"))->click();
    });
    f.click("spOuvrir");
    QCOMPARE(f.nomDico(), f.dataFile(QStringLiteral("paye.DB")));
    QCOMPARE(f.state(), store::DicoState::Empty);
}

void TestCommands::openOfANonDictionaryLeavesNoDictionary_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("not a table") << "junk";
    QTest::newRow("table without the dictionary's fields") << "other";
}

void TestCommands::openOfANonDictionaryLeavesNoDictionary() {
    QFETCH(QString, kind);
    MainWindowFixture f;
    f.openFilledDictionary();
    const QString bad = f.dataFile(QStringLiteral("bad.db"));
    if (kind == QLatin1String("junk")) {
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(3000, 'x'));
    } else {
        makeOtherTable(bad);
    }
    MessageSeam::pushAnswer(widgets::mrOk);
    f.openDictionary(QStringLiteral("bad.db"));
    QCOMPARE(MessageSeam::last().title, QStringLiteral("Erreur"));
    QVERIFY(f.nomDico().isEmpty());
    QCOMPARE(f.state(), store::DicoState::NoDictionary);
    QCOMPARE(f.window->caption(), QStringLiteral("Korvanta"));
    QVERIFY(!f.window->spImprimer->isEnabled());
    QVERIFY(!f.window->spAjTable->isEnabled());
    QVERIFY(f.window->spOuvrir->isEnabled());
    QVERIFY(f.window->grTables->isHidden());
    // The dictionary that was open is untouched and opens again.
    f.openDictionary(QStringLiteral("paye.DB"));
    QCOMPARE(f.state(), store::DicoState::Filled);
}

void TestCommands::deleteAsksInTheDialogsLanguage_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("question");
    QTest::newRow("English, yes") << 1 << int(widgets::mrYes) << "Delete dictionary: ";
    QTest::newRow("English, no") << 1 << int(widgets::mrNo) << "Delete dictionary: ";
    QTest::newRow("French, yes") << 0 << int(widgets::mrYes) << "Supprimer le dictionnaire: ";
}

void TestCommands::deleteAsksInTheDialogsLanguage() {
    QFETCH(int, language);
    QFETCH(int, answer);
    QFETCH(QString, question);
    MainWindowFixture f;
    useLanguage(language);
    f.makeDictionaryFile(QStringLiteral("paye.DB"));
    f.pickFile(QStringLiteral("paye.DB"));
    MessageSeam::pushAnswer(answer);
    f.trigger("itSupDico");
    const QString path = f.dataFile(QStringLiteral("paye.DB"));
    QCOMPARE(f.lastMessage(), question + path);
    QCOMPARE(MessageSeam::last().type, widgets::mtConfirmation);
    QCOMPARE(QFile::exists(path), answer != widgets::mrYes);
    QVERIFY(!f_SelDico);
}

void TestCommands::deleteAnotherDictionaryKeepsTheOpenOne() {
    MainWindowFixture f;
    f.makeDictionaryFile(QStringLiteral("paye.DB"));
    f.makeDictionaryFile(QStringLiteral("stock.DB"));
    f.openDictionary(QStringLiteral("paye.DB"));
    f.addTable(QStringLiteral("CLIENTS"), {QStringLiteral("NOM")});
    f.pickFile(QStringLiteral("stock.DB"));
    MessageSeam::pushAnswer(widgets::mrYes);
    f.click("spSupprimer");
    QVERIFY(!QFile::exists(f.dataFile(QStringLiteral("stock.DB"))));
    QCOMPARE(f.state(), store::DicoState::Filled);
    QVERIFY(f.window->grTables->isVisible());
    QCOMPARE(f.window->grTables->model()->rowCount(), 1);
}

// The last four dictionaries opened, newest first, under the Dictionary menu
// and in the user's settings; one gone from the disk is said and dropped.
void TestCommands::recentDictionariesAreKeptAndAMissingOneIsDropped() {
    MainWindowFixture f;
    const auto recentTexts = [&] {
        QStringList texts;
        for (QAction* action : f.window->mnDico->submenu()->actions())
            if (action->objectName().startsWith(QLatin1String("itRecent")))
                texts << action->text();
        return texts;
    };
    const auto recentItem = [&](int number) {
        return f.window->mnDico->submenu()->findChild<QAction*>(
            QStringLiteral("itRecent%1").arg(number));
    };
    QVERIFY(recentTexts().isEmpty());
    for (const char* name : {"a.DB", "b.DB", "c.DB", "d.DB", "e.DB"}) {
        f.makeDictionaryFile(QLatin1String(name));
        f.openDictionary(QLatin1String(name));
        // Filled, so that Open stays enabled.
        f.addTable(QStringLiteral("T"), {QStringLiteral("F")});
    }
    const auto entry = [&](int number, const char* name) {
        return QStringLiteral("&%1 ").arg(number) + f.dataFile(QLatin1String(name));
    };
    QCOMPARE(recentTexts(),
             (QStringList{entry(1, "e.DB"), entry(2, "d.DB"), entry(3, "c.DB"), entry(4, "b.DB")}));
    // Kept for the next run: a new window reads the same list.
    QCOMPARE(RecentDictionaries().paths().size(), 4);

    QVERIFY(QFile::remove(f.dataFile(QStringLiteral("c.DB"))));
    MessageSeam::pushAnswer(widgets::mrOk);
    recentItem(3)->trigger();
    QCOMPARE(f.lastMessage(), QStringLiteral("The dictionary « %1 » no longer exists; it is taken "
                                             "off the list.")
                                  .arg(f.dataFile(QStringLiteral("c.DB"))));
    QCOMPARE(f.nomDico(), f.dataFile(QStringLiteral("e.DB")));
    QCOMPARE(recentTexts(), (QStringList{entry(1, "e.DB"), entry(2, "d.DB"), entry(3, "b.DB")}));

    recentItem(3)->trigger();
    QCOMPARE(f.nomDico(), f.dataFile(QStringLiteral("b.DB")));
    QCOMPARE(recentTexts(), (QStringList{entry(1, "b.DB"), entry(2, "e.DB"), entry(3, "d.DB")}));
}

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
