// Applying a word table to a window: each kind of component, hint and
// continuation entries, window caption keys, lookup of components, skipped
// keys, the fallback language, incomplete entries and an error that ends the
// walk. Each row builds the same small window, applies a table in one
// language and checks the texts it should (and should not) have changed.

#include "framework/dataset/Field.h"
#include "framework/dataset/Table.h"
#include "framework/widgets/Bevel.h"
#include "framework/widgets/Button.h"
#include "framework/widgets/CheckBox.h"
#include "framework/widgets/ComboBox.h"
#include "framework/widgets/DBNavigator.h"
#include "framework/widgets/DataGrid.h"
#include "framework/widgets/Edit.h"
#include "framework/widgets/FilterComboBox.h"
#include "framework/widgets/Form.h"
#include "framework/widgets/Label.h"
#include "framework/widgets/ListBox.h"
#include "framework/widgets/MainMenu.h"
#include "framework/widgets/Memo.h"
#include "framework/widgets/MenuItem.h"
#include "framework/widgets/Panel.h"
#include "framework/widgets/RadioGroup.h"
#include "framework/widgets/SaveDialog.h"
#include "framework/widgets/SpeedButton.h"
#include "framework/widgets/StatusBar.h"
#include "framework/widgets/TabControl.h"
#include "framework/widgets/TreeView.h"
#include "lang/ComponentKinds.h"
#include "lang/WordCursor.h"
#include "lang/WordTableWalk.h"

#include <QTest>

#include <stdexcept>

using namespace widgets;

// A component of a kind the framework does not know, publishing both a
// caption and a text, as a report item could: it takes two entries.
class CaptionAndText : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Caption MEMBER caption)
    Q_PROPERTY(QString Text MEMBER text)
public:
    QString caption = QStringLiteral("design caption");
    QString text = QStringLiteral("design text");
};

// A component whose caption cannot be set: applying its entry fails.
class Failing : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
public:
    QString caption() const { return {}; }
    void setCaption(const QString&) { throw std::runtime_error("cannot set"); }
};

namespace {

struct TestWindow {
    Form window{nullptr, QStringLiteral("f_Test")};
    dataset::Table table{&window, QStringLiteral("taDico")};

    TestWindow() {
        window.setCaption(QStringLiteral("design caption"));
        auto* panel = new Panel(&window, QStringLiteral("paHaut"));
        panel->setCaption(QStringLiteral("paHaut"));
        auto* sp = new SpeedButton(panel, QStringLiteral("spNouveau"));
        sp->setCaption(QStringLiteral("N"));
        sp->setHint(QStringLiteral("old hint"));
        new Label(&window, QStringLiteral("etNom"), QStringLiteral("Nom"));
        new Button(&window, QStringLiteral("biOK"), QStringLiteral("OK"));
        new CheckBox(&window, QStringLiteral("chkTous"), QStringLiteral("Tous"));
        new Bevel(&window, QStringLiteral("Bevel1"));
        auto* edit = new Edit(&window, QStringLiteral("chNom"));
        edit->setText(QStringLiteral("typed"));
        auto* list = new ListBox(&window, QStringLiteral("lbItems"));
        list->setItems({"i0", "i1", "i2", "i3", "i4"});
        auto* combo = new ComboBox(&window, QStringLiteral("cbChoix"));
        combo->setItems({"c0", "c1", "c2"});
        combo->setItemIndex(1);
        auto* memo = new Memo(&window, QStringLiteral("meLines"));
        memo->setLines({"m0", "m1", "m2"});
        auto* simple = new StatusBar(&window, QStringLiteral("StatusBar1"));
        simple->setSimpleText(QStringLiteral("status"));
        auto* panels = new StatusBar(&window, QStringLiteral("sbPanels"));
        panels->setSimpleText(QStringLiteral("status"));
        panels->addPanel(QStringLiteral("p0"), 50);
        panels->addPanel(QStringLiteral("p1"), 50);
        auto* save = new SaveDialog(&window, QStringLiteral("SaveDlg"));
        save->setFilter(QStringLiteral("old filter"));
        save->setTitle(QStringLiteral("old title"));
        auto* menu = new MainMenu(&window, QStringLiteral("mnuPrinc"));
        auto* dico = new MenuItem(menu, QStringLiteral("mnDico"), QStringLiteral("&Dico"));
        new MenuItem(dico, QStringLiteral("N3"), QStringLiteral("-"));
        auto* cols = new DataGrid(&window, QStringLiteral("grCols"));
        cols->addColumn(QStringLiteral("Champ"), QStringLiteral("t0"));
        cols->addColumn(QStringLiteral("Type"), QStringLiteral("t1"));
        new DataGrid(&window, QStringLiteral("grTables"));
        new DBNavigator(&window, QStringLiteral("navRec"));
        auto* radio = new RadioGroup(&window, QStringLiteral("rgChoix"));
        radio->setItems({"r0", "r1", "r2"});
        radio->setItemIndex(2);
        auto* tabs = new TabControl(&window, QStringLiteral("tcPages"));
        tabs->setTabs({"t0", "t1"});
        new TreeView(&window, QStringLiteral("tvNodes"));
        new FilterComboBox(&window, QStringLiteral("fcFiltre"));
        auto* child = new Form(&window, QStringLiteral("f_Child"));
        child->setCaption(QStringLiteral("child"));
        auto* both = new CaptionAndText;
        both->setParent(&window);
        both->setObjectName(QStringLiteral("qrBoth"));
        window.addComponent(both);
        auto* failing = new Failing;
        failing->setParent(&window);
        failing->setObjectName(QStringLiteral("qrFailing"));
        window.addComponent(failing);
        table.AddField(QStringLiteral("Table"));
        window.addComponents(&table); // the view and its field taDicoTable
    }

    // "name.Property" of a component, or "@caption" of the window.
    QString valueOf(const QString& path) const {
        if (path == QStringLiteral("@caption"))
            return window.caption();
        const QString name = path.section(QLatin1Char('.'), 0, 0);
        const QString prop = path.section(QLatin1Char('.'), 1);
        QObject* c = window.findComponent(name);
        if (!c)
            return QStringLiteral("<missing>");
        if (prop == QStringLiteral("Items")) {
            if (auto* l = qobject_cast<ListBox*>(c))
                return l->items().join(QLatin1Char('|'));
            if (auto* cb = qobject_cast<ComboBox*>(c))
                return cb->items().join(QLatin1Char('|'));
        }
        if (prop == QStringLiteral("ItemIndex"))
            return QString::number(qobject_cast<ComboBox*>(c)->itemIndex());
        if (prop == QStringLiteral("Panels")) {
            auto* s = qobject_cast<StatusBar*>(c);
            return s->panelText(0) + QLatin1Char('|') + s->panelText(1);
        }
        if (prop == QStringLiteral("Titles")) {
            auto* g = qobject_cast<DataGrid*>(c);
            QStringList t;
            for (int k = 0; k < g->columnCount(); ++k)
                t.append(g->columnTitle(k));
            return t.join(QLatin1Char('|'));
        }
        if (prop == QStringLiteral("Separator"))
            return qobject_cast<MenuItem*>(c)->isSeparator() ? QStringLiteral("yes")
                                                             : QStringLiteral("no");
        if (prop == QStringLiteral("DisplayLabel"))
            return qobject_cast<dataset::Field*>(c)->DisplayLabel();
        const QVariant v = c->property(prop.toLatin1().constData());
        if (v.metaType().id() == QMetaType::QStringList)
            return v.toStringList().join(QLatin1Char('|'));
        return v.toString();
    }
};

} // namespace

class TestWalk : public QObject {
    Q_OBJECT

private slots:
    void appliesEntries_data();
    void appliesEntries();
    void cursorTakesOnlyExistingCells();
    void pluggedKindDecidesBeforeTheGenericOne();
};

void TestWalk::appliesEntries_data() {
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<int>("language");
    QTest::addColumn<bool>("fallback");
    QTest::addColumn<QStringList>("expected"); // "path=value"

    const QString q = QStringLiteral("\"");
    const QString h = QStringLiteral("\".Hint");

    QTest::newRow("empty window caption is applied")
        << QStringList{"%Form%", "", "Korvanta"} << 0 << false << QStringList{"@caption="};
    QTest::newRow("fallback gives the default language's text")
        << QStringList{"%Form%", "Fenêtre", "", "etNom", "Nom", ""} << 1 << true
        << QStringList{"@caption=Fenêtre", "etNom.Caption=Nom"};
    QTest::newRow("no fallback shows the empty text")
        << QStringList{"%Form%", "Fenêtre", "", "etNom", "Nom", ""} << 1 << false
        << QStringList{"@caption=", "etNom.Caption="};
    QTest::newRow("window's own name is a caption key")
        << QStringList{"f_Test", "A", "B"} << 1 << false << QStringList{"@caption=B"};
    QTest::newRow("window name in another case names nothing")
        << QStringList{"F_TEST", "A", "B"} << 1 << false << QStringList{"@caption=design caption"};
    QTest::newRow("speed button: empty caption, hint from hint entry")
        << QStringList{"spNouveau", "", "", h, "Nouveau dictionnaire", "New Dictionary"} << 1
        << false << QStringList{"spNouveau.Caption=", "spNouveau.Hint=New Dictionary"};
    QTest::newRow("empty hint text keeps the hint")
        << QStringList{"spNouveau", "x", "y", h, "", ""} << 1 << false
        << QStringList{"spNouveau.Caption=y", "spNouveau.Hint=old hint"};
    QTest::newRow("hint key in capitals") << QStringList{"spNouveau", "", "", "\".HINT", "a", "b"}
                                          << 0 << false << QStringList{"spNouveau.Hint=a"};
    QTest::newRow("hint entry without a component before it is skipped")
        << QStringList{h, "a", "b", "etNom", "c", "d"} << 1 << false
        << QStringList{"etNom.Caption=d"};
    QTest::newRow("hint-only component passes its own entry over")
        << QStringList{"Bevel1", "x", "y", h, "cadre", "frame", "etNom", "c", "d"} << 1 << false
        << QStringList{"Bevel1.Hint=frame", "etNom.Caption=d"};
    QTest::newRow("component lookup ignores case")
        << QStringList{"ETNOM", "c", "d", "BIok", "o", "O"} << 1 << false
        << QStringList{"etNom.Caption=d", "biOK.Caption=O"};
    QTest::newRow("unknown keys and message entries are skipped")
        << QStringList{"MsgNoTableName", "a", "b", "Label5", "c", "d", "etNom", "e", "f"} << 1
        << false << QStringList{"etNom.Caption=f"};
    QTest::newRow("table view without texts is passed over")
        << QStringList{"taDico", "x", "y", "chkTous", "Tous", "All"} << 1 << false
        << QStringList{"chkTous.Caption=All"};
    QTest::newRow("word table component itself is passed over")
        << QStringList{"ML", "x", "y", "etNom", "a", "b"} << 0 << false
        << QStringList{"etNom.Caption=a"};
    QTest::newRow("edit box text emptied")
        << QStringList{"chNom", "", ""} << 1 << false << QStringList{"chNom.Text="};
    QTest::newRow("panel caption") << QStringList{"paHaut", "", "", "etNom", "a", "b"} << 1 << false
                                   << QStringList{"paHaut.Caption=", "etNom.Caption=b"};
    QTest::newRow("list: own entry and two continuations, rest emptied")
        << QStringList{"lbItems", "a", "A", q, "b", "B", q, "c", "C"} << 1 << false
        << QStringList{"lbItems.Items=A|B|C||"};
    QTest::newRow("two quote characters are no continuation")
        << QStringList{"lbItems", "a", "A", "\"\"", "b", "B"} << 1 << false
        << QStringList{"lbItems.Items=A||||"};
    QTest::newRow("list stops at its item count")
        << QStringList{"cbChoix", "a", "A", q,   "b",     "B", q,  "c",
                       "C",       q,   "d", "D", "etNom", "e", "E"}
        << 1 << false
        << QStringList{"cbChoix.Items=A|B|C", "cbChoix.ItemIndex=1", "etNom.Caption=E"};
    QTest::newRow("memo lines by the list rule") << QStringList{"meLines", "ligne", "line"} << 1
                                                 << false << QStringList{"meLines.Lines=line||"};
    QTest::newRow("status bar without continuation keeps its panels")
        << QStringList{"sbPanels", "", ""} << 1 << false
        << QStringList{"sbPanels.SimpleText=", "sbPanels.Panels=p0|p1"};
    QTest::newRow("status bar panels from continuations")
        << QStringList{"sbPanels", "s", "S", q, "a", "A", "StatusBar1", "", ""} << 1 << false
        << QStringList{"sbPanels.SimpleText=S", "sbPanels.Panels=A|p1", "StatusBar1.SimpleText="};
    QTest::newRow("save dialog: filter, then title from the continuation")
        << QStringList{"SaveDlg", "Textes|*.txt", "Text|*.txt", q, "", ""} << 1 << false
        << QStringList{"SaveDlg.Filter=Text|*.txt", "SaveDlg.Title="};
    QTest::newRow("save dialog takes the next entry whatever its key")
        << QStringList{"SaveDlg", "f", "F", "etNom", "t", "T"} << 1 << false
        << QStringList{"SaveDlg.Filter=F", "SaveDlg.Title=T", "etNom.Caption=Nom"};
    QTest::newRow("menu separator stays a separator")
        << QStringList{"N3", "-", "-", "mnDico", "&Dictionnaire", "&Dictionary"} << 1 << false
        << QStringList{"N3.Separator=yes", "mnDico.Caption=&Dictionary"};
    QTest::newRow("grid column titles")
        << QStringList{"grCols", "Champ", "Field", q, "Type", "Kind", q, "extra", "Extra"} << 1
        << false << QStringList{"grCols.Titles=Field|Kind"};
    QTest::newRow("grid without columns of its own passes its entry over")
        << QStringList{"grTables", "", "", h, "Tables", "Tables list", "etNom", "a", "b"} << 1
        << false << QStringList{"grTables.Hint=Tables list", "etNom.Caption=b"};
    QTest::newRow("radio group: caption, then items from the next entry")
        << QStringList{"rgChoix", "Choix", "Choice", q, "un", "one", q, "deux", "two"} << 1 << false
        << QStringList{"rgChoix.Caption=Choice", "rgChoix.Items=one|two|"};
    QTest::newRow("radio group items start whatever the key")
        << QStringList{"rgChoix", "c", "C", "anyKey", "a", "A"} << 1 << false
        << QStringList{"rgChoix.Items=A||"};
    QTest::newRow("tab control tabs")
        << QStringList{"tcPages", "p", "P"} << 1 << false << QStringList{"tcPages.Tabs=P|"};
    QTest::newRow("tree view takes no text")
        << QStringList{"tvNodes", "x", "y", h, "arbre", "tree", "etNom", "a", "b"} << 1 << false
        << QStringList{"tvNodes.Hint=tree", "etNom.Caption=b"};
    QTest::newRow("filter combo box filter")
        << QStringList{"fcFiltre", "Tables|*.db", "Tables|*.db;*.DB"} << 1 << false
        << QStringList{"fcFiltre.Filter=Tables|*.db;*.DB"};
    QTest::newRow("navigator hints")
        << QStringList{"navRec", "Premier", "First", q, "", "", q, "Suivant", "Next"} << 1 << false
        << QStringList{"navRec.Hints=First||Next"};
    QTest::newRow("owned window caption") << QStringList{"f_Child", "Enfant", "Child"} << 1 << false
                                          << QStringList{"f_Child.Caption=Child"};
    QTest::newRow("data field display label, empty shows the field name")
        << QStringList{"taDicoTable", "Table", ""} << 1 << false
        << QStringList{"taDicoTable.DisplayLabel=Table"};
    QTest::newRow("data field display label set")
        << QStringList{"taDicoTable", "Nom de table", "Table name"} << 1 << false
        << QStringList{"taDicoTable.DisplayLabel=Table name"};
    QTest::newRow("caption and text take two entries")
        << QStringList{"qrBoth", "c", "C", "whatever", "t", "T", "etNom", "e", "E"} << 1 << false
        << QStringList{"qrBoth.Caption=C", "qrBoth.Text=T", "etNom.Caption=E"};
    QTest::newRow("leftover continuation is skipped")
        << QStringList{"etNom", "a", "A", q, "b", "B", "biOK", "o", "O"} << 1 << false
        << QStringList{"etNom.Caption=A", "biOK.Caption=O"};
    QTest::newRow("incomplete last entry takes nothing")
        << QStringList{"etNom", "a", "A", "biOK", "o"} << 1 << false
        << QStringList{"etNom.Caption=A", "biOK.Caption=OK"};
    QTest::newRow("incomplete caption entry ends the walk")
        << QStringList{"etNom", "a", "A", "%Form%", "x"} << 1 << false
        << QStringList{"etNom.Caption=A", "@caption=design caption"};
    QTest::newRow("error ends the walk, earlier texts stay")
        << QStringList{"etNom", "a", "A", "qrFailing", "x", "X", "chkTous", "t", "T"} << 1 << false
        << QStringList{"etNom.Caption=A", "chkTous.Caption=Tous"};
}

void TestWalk::appliesEntries() {
    QFETCH(QStringList, words);
    QFETCH(int, language);
    QFETCH(bool, fallback);
    QFETCH(QStringList, expected);
    TestWindow t;
    lang::applyWordTable(words, {2, language, 0, fallback}, t.window);
    for (const QString& check : expected) {
        const QString path = check.section(QLatin1Char('='), 0, 0);
        const QString want = check.section(QLatin1Char('='), 1);
        QCOMPARE(t.valueOf(path), want);
    }
}

void TestWalk::cursorTakesOnlyExistingCells() {
    // Three languages, active 2: an entry with only two texts cannot be taken.
    lang::WordCursor cursor({"k", "a", "b", "c", "short", "x", "y"}, 3, 2, 0, false);
    QString text;
    QVERIFY(cursor.take(&text));
    QCOMPARE(text, QStringLiteral("c"));
    QCOMPARE(cursor.position(), 4);
    QVERIFY(!cursor.canTake());
    QVERIFY(!cursor.take(&text));
    QCOMPARE(cursor.position(), 4);
    cursor.passOver();
    QVERIFY(cursor.atEnd());
}

void TestWalk::pluggedKindDecidesBeforeTheGenericOne() {
    // A kind added by another library (reports, say) with an order before
    // the generic one takes over components of its class.
    lang::ComponentKinds::add(
        {22, QStringLiteral("test item"),
         [](const QObject* o) { return qobject_cast<const CaptionAndText*>(o) != nullptr; },
         [](lang::WordCursor& c, QObject* o) {
             QString text;
             if (c.take(&text))
                 static_cast<CaptionAndText*>(o)->text = text.toUpper();
         }});
    TestWindow t;
    lang::applyWordTable({"qrBoth", "p", "page", "etNom", "e", "E"}, {2, 1, 0, false}, t.window);
    QCOMPARE(t.valueOf(QStringLiteral("qrBoth.Text")), QStringLiteral("PAGE"));
    QCOMPARE(t.valueOf(QStringLiteral("qrBoth.Caption")), QStringLiteral("design caption"));
    QCOMPARE(t.valueOf(QStringLiteral("etNom.Caption")), QStringLiteral("E"));
    QVERIFY(lang::ComponentKinds::names().contains(QStringLiteral("test item")));
}

QTEST_MAIN(TestWalk)
#include "tst_walk.moc"
