// The vocabulary compiled into the program: every window's word table reads
// back complete, the keys that code looks up exist, hint and continuation
// entries follow a component they can belong to, and each table, applied to a
// window built with that window's components, gives the texts the window
// must show in French and in English.

#include "framework/dataset/Field.h"
#include "framework/dataset/Table.h"
#include "framework/widgets/Bevel.h"
#include "framework/widgets/BitBtn.h"
#include "framework/widgets/CheckBox.h"
#include "framework/widgets/DataGrid.h"
#include "framework/widgets/DirectoryListBox.h"
#include "framework/widgets/DriveComboBox.h"
#include "framework/widgets/Edit.h"
#include "framework/widgets/FileListBox.h"
#include "framework/widgets/Form.h"
#include "framework/widgets/Image.h"
#include "framework/widgets/Label.h"
#include "framework/widgets/Label3D.h"
#include "framework/widgets/MainMenu.h"
#include "framework/widgets/Memo.h"
#include "framework/widgets/MenuItem.h"
#include "framework/widgets/Panel.h"
#include "framework/widgets/SaveDialog.h"
#include "framework/widgets/Shape.h"
#include "framework/widgets/SpeedButton.h"
#include "framework/widgets/Splitter.h"
#include "framework/widgets/StatusBar.h"
#include "lang/ComponentKinds.h"
#include "lang/Messages.h"
#include "lang/TMultiLang.h"
#include "lang/Vocabulary.h"
#include "lang/WordCursor.h"
#include "tests/widgets/SeamGuard.h"

#include <QTest>

#include <functional>
#include <memory>

using namespace widgets;
using lang::TMultiLang;
using lang::Vocabulary;

// Report items publish a caption (labels) or a text (system data), which is
// all a word table needs of them.
class ReportLabel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Caption MEMBER caption)
public:
    QString caption = QStringLiteral("design");
};
class ReportSysData : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Text MEMBER text)
public:
    QString text = QStringLiteral("Date : ");
};

namespace {

template <class T> T* own(Form* window, const QString& name) {
    auto* item = new T;
    item->setParent(window);
    item->setObjectName(name);
    window->addComponent(item);
    return item;
}

void addFields(Form* window, const QString& tableName, const QStringList& fields) {
    auto* table = new dataset::Table(window, tableName);
    for (const QString& f : fields)
        table->AddField(f);
    window->addComponents(table);
}

void addMenu(Form* w) {
    auto* bar = new MainMenu(w, QStringLiteral("mnuPrinc"));
    auto item = [](QObject* parent, const char* name) {
        return new MenuItem(parent, QString::fromLatin1(name), QStringLiteral("design"));
    };
    auto* dico = item(bar, "mnDico");
    for (const char* n : {"itNouvDico", "itOpenDico", "itSupDico", "itImpDico", "N3"})
        item(dico, n);
    auto* table = item(dico, "mnTable");
    item(table, "itSupTable");
    item(table, "itTableDescr");
    auto* champs = item(dico, "mnChamps");
    item(champs, "itDescrChamps");
    item(dico, "N1");
    item(dico, "itQuitter");
    auto* options = item(bar, "mnOptions");
    for (const char* n : {"itAjTable", "itVisuCode", "itGenCode", "N2", "itUseDescr"})
        item(options, n);
    item(item(bar, "mnAide"), "itApropos");
    w->setMenuBar(bar);
}

std::unique_ptr<Form> buildMain() {
    auto w = std::make_unique<Form>(nullptr, QStringLiteral("f_Main"));
    auto* top = new Panel(w.get(), QStringLiteral("paHaut"));
    for (const char* n : {"spNouveau", "spOuvrir", "spSupprimer", "spImprimer", "spAjTable",
                          "spSupTable", "spVisuCode", "spSupChamp", "spQuitter"})
        new SpeedButton(top, QString::fromLatin1(n));
    addMenu(w.get());
    new DataGrid(w.get(), QStringLiteral("grTables"));
    new Splitter(w.get(), QStringLiteral("RxSplitter1"));
    new DataGrid(w.get(), QStringLiteral("grChamps"));
    new StatusBar(w.get(), QStringLiteral("StatusBar1"));
    addFields(w.get(), QStringLiteral("taDico"),
              {"Table", "Champ", "Type", "Longueur", "Description", "NoEnreg", "CT", "CC"});
    addFields(w.get(), QStringLiteral("taChamps"),
              {"Champ", "Type", "Longueur", "Description", "NoEnreg", "Table", "CT", "CC"});
    addFields(w.get(), QStringLiteral("taCheck"), {});
    addFields(w.get(), QStringLiteral("taLitTable"), {});
    return w;
}

std::unique_ptr<Form> buildCode() {
    auto w = std::make_unique<Form>(nullptr, QStringLiteral("f_CodeG"));
    auto* top = new Panel(w.get(), QStringLiteral("paHaut"));
    new SpeedButton(top, QStringLiteral("spEnreg"));
    new SpeedButton(top, QStringLiteral("spCopier"));
    new CheckBox(top, QStringLiteral("chkSelectAll"));
    auto* frame = new Panel(w.get(), QStringLiteral("Panel1"));
    auto* memo = new Memo(frame, QStringLiteral("meCodeCreat"));
    memo->setLines({QStringLiteral("  Table1 := TTable.Create(nil);")});
    new StatusBar(w.get(), QStringLiteral("StatusBar1"));
    new SaveDialog(w.get(), QStringLiteral("SaveDlg"));
    return w;
}

std::unique_ptr<Form> buildAddTables() {
    auto w = std::make_unique<Form>(nullptr, QStringLiteral("f_SelFichiers"));
    auto* left = new Panel(w.get(), QStringLiteral("paGauche"));
    auto* drive = new Panel(left, QStringLiteral("paLecteur"));
    new DriveComboBox(drive, QStringLiteral("syLecteur"));
    new DirectoryListBox(left, QStringLiteral("syRepertoire"));
    auto* right = new Panel(w.get(), QStringLiteral("paDroite"));
    auto* strip = new Panel(right, QStringLiteral("Panel1"));
    new BitBtn(strip, QStringLiteral("biAjouter"));
    new CheckBox(strip, QStringLiteral("chkTous"));
    new FileListBox(right, QStringLiteral("syFichiers"));
    new StatusBar(w.get(), QStringLiteral("stBar"));
    addFields(w.get(), QStringLiteral("taCheck"), {});
    return w;
}

std::unique_ptr<Form> buildDescrip() {
    auto w = std::make_unique<Form>(nullptr, QStringLiteral("f_Descrip"));
    new Bevel(w.get(), QStringLiteral("Bevel1"));
    new Label(w.get(), QStringLiteral("etDescr"));
    auto* edit = new Edit(w.get(), QStringLiteral("chDescription"));
    edit->setText(QStringLiteral("filled by a command"));
    new Button(w.get(), QStringLiteral("biOK"));
    new Button(w.get(), QStringLiteral("biAnnuler"));
    return w;
}

std::unique_ptr<Form> buildNameDialog() {
    auto w = std::make_unique<Form>(nullptr, QStringLiteral("f_ajmsdico"));
    new Bevel(w.get(), QStringLiteral("Bevel1"));
    new Label(w.get(), QStringLiteral("etNomDico"));
    auto* edit = new Edit(w.get(), QStringLiteral("chNomDico"));
    edit->setText(QStringLiteral("stock"));
    new Button(w.get(), QStringLiteral("biOK"));
    new Button(w.get(), QStringLiteral("biAnnuler"));
    return w;
}

std::unique_ptr<Form> buildSelDico() {
    auto w = std::make_unique<Form>(nullptr, QStringLiteral("f_SelDico"));
    new FileListBox(w.get(), QStringLiteral("fiDico"));
    new Button(w.get(), QStringLiteral("biOK"));
    new Button(w.get(), QStringLiteral("biAnnuler"));
    return w;
}

std::unique_ptr<Form> buildAbout() {
    auto w = std::make_unique<Form>(nullptr, QStringLiteral("f_Apropos"));
    auto* panel = new Panel(w.get(), QStringLiteral("Panel2"));
    panel->setCaption(QStringLiteral("Panel2"));
    new Bevel(panel, QStringLiteral("Bevel3"));
    new Label3D(panel, QStringLiteral("Label3D1"));
    new Label(panel, QStringLiteral("etVersion"), QStringLiteral("1.0"));
    new Image(panel, QStringLiteral("Image1"));
    new Shape(panel, QStringLiteral("Shape1"));
    for (const char* n : {"Bevel2", "Bevel4", "Bevel9", "Bevel1", "Bevel5", "Bevel7"})
        new Bevel(panel, QString::fromLatin1(n));
    new Label(panel, QStringLiteral("etProduit"), QStringLiteral("design text"));
    new BitBtn(panel, QStringLiteral("BitBtn1"));
    new Label(panel, QStringLiteral("Label1"), QStringLiteral("credits"));
    return w;
}

std::unique_ptr<Form> buildReport() {
    auto w = std::make_unique<Form>(nullptr, QStringLiteral("r_Korvanta"));
    addFields(w.get(), QStringLiteral("taTables"), {});
    addFields(w.get(), QStringLiteral("taChamps"), {});
    own<ReportLabel>(w.get(), QStringLiteral("etNomDico"));
    own<ReportSysData>(w.get(), QStringLiteral("QRSysData1"));
    own<ReportSysData>(w.get(), QStringLiteral("QRSysData2"));
    own<ReportLabel>(w.get(), QStringLiteral("QRLabel2"));
    return w;
}

std::function<std::unique_ptr<Form>()> builderOf(const QString& windowClass) {
    if (windowClass == QStringLiteral("Tf_Main"))
        return buildMain;
    if (windowClass == QStringLiteral("Tf_CodeG"))
        return buildCode;
    if (windowClass == QStringLiteral("Tf_SelFichiers"))
        return buildAddTables;
    if (windowClass == QStringLiteral("Tf_Descrip"))
        return buildDescrip;
    if (windowClass == QStringLiteral("Tf_ajmsdico"))
        return buildNameDialog;
    if (windowClass == QStringLiteral("Tf_SelDico"))
        return buildSelDico;
    if (windowClass == QStringLiteral("Tf_Apropos"))
        return buildAbout;
    return buildReport;
}

// Builds the window with its word table as a window loads: the component,
// its stored design, then the end of loading.
std::unique_ptr<Form> load(const QString& windowClass) {
    std::unique_ptr<Form> w = builderOf(windowClass)();
    Vocabulary::createWordTable(w.get(), windowClass);
    w->finishLoading();
    return w;
}

QString valueOf(Form& w, const QString& path) {
    if (path == QStringLiteral("@caption"))
        return w.caption();
    const QString name = path.section(QLatin1Char('.'), 0, 0);
    const QString prop = path.section(QLatin1Char('.'), 1);
    QObject* c = w.findComponent(name);
    if (!c)
        return QStringLiteral("<missing>");
    if (prop == QStringLiteral("DisplayLabel"))
        return qobject_cast<dataset::Field*>(c)->DisplayLabel();
    if (prop == QStringLiteral("Separator"))
        return qobject_cast<MenuItem*>(c)->isSeparator() ? QStringLiteral("yes")
                                                         : QStringLiteral("no");
    if (prop == QStringLiteral("Lines"))
        return qobject_cast<Memo*>(c)->lines().join(QLatin1Char('|'));
    return c->property(prop.toLatin1().constData()).toString();
}

} // namespace

class TestVocabulary : public QObject {
    Q_OBJECT

private slots:
    void init() { TMultiLang::SetGlobalLanguage(0); }
    void tablesReadBackComplete_data();
    void tablesReadBackComplete();
    void damagedFilesAreRefused_data();
    void damagedFilesAreRefused();
    void keyedMessagesExistInTheMainTable_data();
    void keyedMessagesExistInTheMainTable();
    void pickedMessagesExistInBothLanguages();
    void hintAndContinuationFollowTheirComponent_data();
    void hintAndContinuationFollowTheirComponent();
    void tableGivesTheWindowsTexts_data();
    void tableGivesTheWindowsTexts();
    void startSequenceSwitchesEveryWindowToEnglish();
};

void TestVocabulary::tablesReadBackComplete_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("storedLanguage");
    const QList<QPair<const char*, int>> sizes{
        {"Tf_Main", 65},    {"Tf_CodeG", 12},      {"Tf_Descrip", 5},  {"Tf_Apropos", 7},
        {"Tr_Korvanta", 5}, {"Tf_SelFichiers", 8}, {"Tf_ajmsdico", 5}, {"Tf_SelDico", 3}};
    QCOMPARE(Vocabulary::windows().size(), sizes.size());
    for (const auto& [name, count] : sizes)
        QTest::newRow(name) << QString::fromLatin1(name) << count
                            << (QByteArray(name) == "Tf_Apropos" ? 1 : 0);
}

void TestVocabulary::tablesReadBackComplete() {
    QFETCH(QString, window);
    QFETCH(int, entries);
    QFETCH(int, storedLanguage);
    QVERIFY(Vocabulary::windows().contains(window));
    const lang::WordTableDesign d = Vocabulary::load(window);
    QCOMPARE(d.window, window);
    QCOMPARE(d.languages, 2);
    QCOMPARE(d.defaultLanguage, 0);
    QVERIFY(!d.defaultEnabled);
    QCOMPARE(d.activeLanguage, storedLanguage);
    QCOMPARE(d.entryCount(), entries);
    QCOMPARE(d.words.size(), entries * 3);
    for (int i = 0; i < d.words.size(); i += 3)
        QVERIFY2(!d.words[i].isEmpty(),
                 qPrintable(QStringLiteral("empty key in entry %1").arg(i / 3 + 1)));
}

void TestVocabulary::damagedFilesAreRefused_data() {
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("not json") << QByteArray("{\"Words\": [");
    QTest::newRow("short entry") << QByteArray(
        R"({"Languages":2,"Words":[["k","fr","en"],["k2","fr"]]})");
    QTest::newRow("long entry") << QByteArray(R"({"Languages":2,"Words":[["k","fr","en","de"]]})");
    QTest::newRow("number cell") << QByteArray(R"({"Languages":2,"Words":[["k","fr",3]]})");
    QTest::newRow("no words") << QByteArray(R"({"Languages":2})");
    QTest::newRow("one language") << QByteArray(R"({"Languages":1,"Words":[]})");
}

void TestVocabulary::damagedFilesAreRefused() {
    QFETCH(QByteArray, json);
    QVERIFY_THROWS_EXCEPTION(lang::VocabularyError,
                             Vocabulary::parse(json, QStringLiteral("test")));
}

void TestVocabulary::keyedMessagesExistInTheMainTable_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("french");
    QTest::addColumn<QString>("english");
    QTest::newRow("missing name") << "MsgNomDicoManquant"
                                  << "Nom de dictionnaire non défini..."
                                  << "The name of the dictionary must be specified...";
    QTest::newRow("exists") << "MsgImpossibleCreation"
                            << "Création impossible, dictionnaire déjà existant !"
                            << "A dictionary exists with the same name";
    QTest::newRow("no table name") << "MsgNoTableName"
                                   << "Nom de table absent..."
                                   << "No table name...";
}

void TestVocabulary::keyedMessagesExistInTheMainTable() {
    QFETCH(QString, key);
    QFETCH(QString, french);
    QFETCH(QString, english);
    std::unique_ptr<Form> main = load(QStringLiteral("Tf_Main"));
    auto* ml = main->component<TMultiLang>(QStringLiteral("ML"));
    QVERIFY(ml);
    QCOMPARE(ml->GetWord(key), french);
    ml->setActiveLanguage(1);
    QCOMPARE(ml->GetWord(key), english);
}

void TestVocabulary::pickedMessagesExistInBothLanguages() {
    for (lang::Msg m : lang::Messages::all()) {
        const QString fr = lang::Messages::text(m, 0);
        const QString en = lang::Messages::text(m, 1);
        QVERIFY2(!fr.isEmpty() && !en.isEmpty(), qPrintable(lang::Messages::key(m)));
        QVERIFY2(fr != en, qPrintable(lang::Messages::key(m)));
    }
    // Texts that are composed with a name keep their blanks.
    QCOMPARE(lang::Messages::text(lang::Msg::CreateDicoQuestion, 1) + QStringLiteral("stock ?"),
             QStringLiteral("Create dictionary  ?stock ?"));
    QCOMPARE(lang::Messages::text(lang::Msg::DeleteTableQuestion, 0) + QStringLiteral(" CLIENTS"),
             QStringLiteral("Supprimer les informations de la table:  CLIENTS"));
}

void TestVocabulary::hintAndContinuationFollowTheirComponent_data() {
    QTest::addColumn<QString>("window");
    for (const QString& w : Vocabulary::windows())
        QTest::newRow(qPrintable(w)) << w;
}

void TestVocabulary::hintAndContinuationFollowTheirComponent() {
    QFETCH(QString, window);
    const QStringList words = Vocabulary::load(window).words;
    std::unique_ptr<Form> w = builderOf(window)();
    QString owner; // the component the entries since the last named one belong to
    for (int i = 0; i < words.size(); i += 3) {
        const QString& key = words[i];
        const QString where = QStringLiteral("%1 entry %2").arg(window).arg(i / 3 + 1);
        if (key.compare(lang::WordCursor::hintKey, Qt::CaseInsensitive) == 0) {
            QObject* c = w->findComponent(owner);
            QVERIFY2(c, qPrintable(where + QStringLiteral(": hint without a component before it")));
            QVERIFY2(lang::publishes(c, "Hint"),
                     qPrintable(where + QStringLiteral(": component has no hint")));
            owner.clear();
        } else if (key == lang::WordCursor::continuationKey) {
            QObject* c = w->findComponent(owner);
            QVERIFY2(c, qPrintable(where +
                                   QStringLiteral(": continuation without a component before it")));
            QVERIFY2(qobject_cast<SaveDialog*>(c) || qobject_cast<StatusBar*>(c) ||
                         qobject_cast<DataGrid*>(c),
                     qPrintable(where + QStringLiteral(": component takes no continuation")));
        } else {
            owner = key;
        }
    }
}

void TestVocabulary::tableGivesTheWindowsTexts_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("language");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("main, French")
        << "Tf_Main" << 0
        << QStringList{"@caption=Korvanta",
                       "spAjTable.Hint=Voir fenêtre d'ajout de table au dictionnaire",
                       "spSupChamp.Caption=C-",
                       "spNouveau.Caption=",
                       "itAjTable.Caption=fenêtre d'&ajouts",
                       "itGenCode.Caption=&Générer code",
                       "taChampsLongueur.DisplayLabel=Taille",
                       "taDicoLongueur.DisplayLabel=Longueur",
                       "taDicoNoEnreg.DisplayLabel=NoEnreg",
                       "mnAide.Caption=&?",
                       "N1.Separator=yes",
                       "StatusBar1.SimpleText="};
    QTest::newRow("main, English") << "Tf_Main" << 1
                                   << QStringList{"@caption=Korvanta",
                                                  "spNouveau.Hint=New Dictionary",
                                                  "spSupTable.Hint=Delete table to dictionary",
                                                  "spQuitter.Hint=Quit the program",
                                                  "spNouveau.Caption=",
                                                  "spSupChamp.Caption=C-",
                                                  "mnChamps.Caption=&Fields",
                                                  "itAjTable.Caption=&Add window...",
                                                  "itTableDescr.Caption=&Add description",
                                                  "itApropos.Caption=&About...",
                                                  "N2.Separator=yes",
                                                  "taChampsLongueur.DisplayLabel=Size",
                                                  "taDicoLongueur.DisplayLabel=Size",
                                                  "taChampsChamp.DisplayLabel=Field",
                                                  "taDicoNoEnreg.DisplayLabel=NoEnreg",
                                                  "taChampsTable.DisplayLabel=Table",
                                                  "taDicoCT.DisplayLabel=CT",
                                                  "grChamps.Hint=",
                                                  "paHaut.Caption="};
    QTest::newRow("code, English")
        << "Tf_CodeG" << 1
        << QStringList{"@caption=Code window",
                       "spCopier.Hint=Copy selection to clipboard",
                       "spEnreg.Hint=",
                       "SaveDlg.Filter=Text files (*.txt)|*.txt|All files (*.*)|*.*",
                       "SaveDlg.Title=",
                       "chkSelectAll.Caption=Select all",
                       "chkSelectAll.Hint=Select all",
                       "meCodeCreat.Lines=  Table1 := TTable.Create(nil);"};
    QTest::newRow("code, French")
        << "Tf_CodeG" << 0
        << QStringList{"@caption=Fenêtre code",
                       "SaveDlg.Filter=Fichiers textes  (*.txt)|*.txt|Tous (*.*)|*.*",
                       "spCopier.Hint=Copie la sélection dans le presse-papier",
                       "chkSelectAll.Caption=Tout sélectionner"};
    QTest::newRow("add tables, English")
        << "Tf_SelFichiers" << 1
        << QStringList{"@caption=Add window", "chkTous.Caption=All", "biAjouter.Caption=Add",
                       "paGauche.Caption=", "stBar.SimpleText="};
    QTest::newRow("description, English")
        << "Tf_Descrip" << 1
        << QStringList{"@caption=Description", "etDescr.Caption=Description :", "biOK.Caption=OK",
                       "biAnnuler.Caption=Cancel", "chDescription.Text="};
    QTest::newRow("description, French")
        << "Tf_Descrip" << 0 << QStringList{"biAnnuler.Caption=Annuler", "chDescription.Text="};
    QTest::newRow("name dialog, English")
        << "Tf_ajmsdico" << 1
        << QStringList{"@caption=Korvanta",
                       "etNomDico.Caption=Dictionary:", "biAnnuler.Caption=Cancel",
                       "chNomDico.Text="};
    QTest::newRow("select dialog, English")
        << "Tf_SelDico" << 1
        << QStringList{"@caption=Select a dictionary", "biOK.Caption=OK",
                       "biAnnuler.Caption=Cancel"};
    QTest::newRow("select dialog, French")
        << "Tf_SelDico" << 0 << QStringList{"@caption=Sélectionner un dictionnaire"};
    QTest::newRow("about, English") << "Tf_Apropos" << 1
                                    << QStringList{"Label3D1.Caption=Korvanta ",
                                                   "etProduit.Caption=The Dictionary for Databases "
                                                   "applications with Delphi and Paradox tables",
                                                   "BitBtn1.Caption=OK",
                                                   "Panel2.Caption=",
                                                   "Label1.Caption=credits",
                                                   "etVersion.Caption=1.0"};
    QTest::newRow("about, French")
        << "Tf_Apropos" << 0
        << QStringList{"etProduit.Caption=Le Dictionnaire pour applications de bases de données "
                       "avec Delphi et des "
                       "tables Paradox"};
    QTest::newRow("report, English")
        << "Tr_Korvanta" << 1
        << QStringList{"@caption=", "etNomDico.Caption=Dictionary",
                       "QRSysData1.Text=", "QRSysData2.Text=", "QRLabel2.Caption=Page -"};
    QTest::newRow("report, French")
        << "Tr_Korvanta" << 0 << QStringList{"@caption=r_Korvanta", "QRLabel2.Caption=Page - "};
}

void TestVocabulary::tableGivesTheWindowsTexts() {
    QFETCH(QString, window);
    QFETCH(int, language);
    QFETCH(QStringList, expected);
    TMultiLang::SetGlobalLanguage(quint8(language));
    std::unique_ptr<Form> w = load(window);
    for (const QString& check : expected) {
        const QString path = check.section(QLatin1Char('='), 0, 0);
        QCOMPARE(valueOf(*w, path), check.section(QLatin1Char('='), 1));
    }
}

void TestVocabulary::startSequenceSwitchesEveryWindowToEnglish() {
    // Windows created at start load in French; the main window's first
    // showing switches them all; windows created later start in English.
    std::unique_ptr<Form> main = load(QStringLiteral("Tf_Main"));
    main->setCaption(QStringLiteral("Korvanta - /opt/korvanta/Datas"));
    std::unique_ptr<Form> about = load(QStringLiteral("Tf_Apropos"));
    QCOMPARE(valueOf(*about, QStringLiteral("BitBtn1.Caption")), QStringLiteral("OK"));
    QVERIFY(valueOf(*about, QStringLiteral("etProduit.Caption"))
                .startsWith(QStringLiteral("Le Dictionnaire")));
    lang::SetGlobalLanguage(1);
    QCOMPARE(main->caption(), QStringLiteral("Korvanta"));
    QVERIFY(valueOf(*about, QStringLiteral("etProduit.Caption"))
                .startsWith(QStringLiteral("The Dictionary")));
    std::unique_ptr<Form> dialog = load(QStringLiteral("Tf_SelDico"));
    QCOMPARE(dialog->caption(), QStringLiteral("Select a dictionary"));
}

QTEST_MAIN(TestVocabulary)
#include "tst_vocabulary.moc"
