// The word-table component: construction and end of loading in the current
// language, switching and its events, the range and languages messages, the
// resizing of the table, message lookup, and the process-wide switch.

#include "framework/widgets/Form.h"
#include "framework/widgets/Label.h"
#include "framework/widgets/MessageSeam.h"
#include "lang/TMultiLang.h"
#include "tests/widgets/SeamGuard.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace widgets;
using lang::TMultiLang;

namespace {

const QString kRange =
    QStringLiteral("Value must not be higher than\rnumber of available languages.");

// A window with a label and its word table, built the way windows are: the
// component first, then its stored properties, then the end of loading.
struct Window {
    std::unique_ptr<Form> form = std::make_unique<Form>(nullptr, QStringLiteral("f_W"));
    Label* label = new Label(form.get(), QStringLiteral("etNom"), QStringLiteral("design"));
    TMultiLang* ml = new TMultiLang(form.get());

    explicit Window(QStringList words = {"%Form%", "Fenêtre", "Window", "etNom", "Nom", "Name",
                                         "MsgNoTableName", "Nom de table absent...",
                                         "No table name...", "MsgNoTableName", "second",
                                         "second"}) {
        ml->setWords(words);
        form->finishLoading();
    }
    QString caption() const { return form->caption(); }
};

} // namespace

class TestMultiLang : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void constructionUsesTheCurrentLanguage();
    void endOfLoadingReplacesAStoredLanguage();
    void switchingAppliesTheTexts();
    void vetoKeepsEverything();
    void afterEventFollowsEvenWithoutWindow();
    void afterEventFollowsASwallowedError();
    void outOfRangeLanguageShowsTheMessage_data();
    void outOfRangeLanguageShowsTheMessage();
    void defaultSettingsReapplyTheTexts();
    void getWordFindsTheFirstCompleteEntry_data();
    void getWordFindsTheFirstCompleteEntry();
    void raisingLanguagesAddsQuestionMarks();
    void loweringLanguages_data();
    void loweringLanguages();
    void loweringBelowTheDefaultLanguageResetsIt();
    void globalSwitchSkipsShortTablesAndSetsTheCurrentLanguage();
    void instanceListFollowsLifetimes();
    void languageNamesFileOnlyWhileDesigning();

private:
    SeamGuard* m_seams = nullptr;
};

void TestMultiLang::init() {
    m_seams = new SeamGuard;
    TMultiLang::SetGlobalLanguage(0);
}

void TestMultiLang::cleanup() {
    delete m_seams;
    m_seams = nullptr;
}

void TestMultiLang::constructionUsesTheCurrentLanguage() {
    TMultiLang::SetGlobalLanguage(1);
    Form owner;
    TMultiLang ml(&owner);
    QCOMPARE(ml.objectName(), QStringLiteral("ML"));
    QCOMPARE(owner.findComponent(QStringLiteral("ml")), &ml);
    QCOMPARE(ml.Languages(), quint8(2));
    QCOMPARE(ml.ActiveLanguage(), quint8(1));
    QCOMPARE(ml.DefaultLanguage(), quint8(0));
    QVERIFY(!ml.DefaultEnabled());
    QVERIFY(ml.Words().isEmpty());
    QVERIFY(ml.LangNames().isEmpty());
}

void TestMultiLang::endOfLoadingReplacesAStoredLanguage() {
    Form form(nullptr, QStringLiteral("f_Apropos"));
    auto* label = new Label(&form, QStringLiteral("etNom"), QStringLiteral("design"));
    auto* ml = new TMultiLang(&form);
    int changes = 0;
    ml->AfterLanguageChanged = [&](TMultiLang*, quint8) { ++changes; };
    ml->setActiveLanguage(1); // stored value, set while the table is empty
    QCOMPARE(label->caption(), QStringLiteral("design"));
    ml->setWords({"etNom", "Nom", "Name"});
    form.finishLoading();
    QCOMPARE(ml->ActiveLanguage(), quint8(0));
    QCOMPARE(label->caption(), QStringLiteral("Nom"));
    QCOMPARE(changes, 2);
}

void TestMultiLang::switchingAppliesTheTexts() {
    Window w;
    QCOMPARE(w.caption(), QStringLiteral("Fenêtre"));
    QCOMPARE(w.label->caption(), QStringLiteral("Nom"));
    w.form->setCaption(QStringLiteral("Korvanta - /data")); // set by code meanwhile
    w.ml->setActiveLanguage(1);
    QCOMPARE(w.caption(), QStringLiteral("Window"));
    QCOMPARE(w.label->caption(), QStringLiteral("Name"));
}

void TestMultiLang::vetoKeepsEverything() {
    Window w;
    quint8 asked = 99;
    bool after = false;
    w.ml->BeforeLanguageChange = [&](TMultiLang* sender, quint8 n, bool& allow) {
        QCOMPARE(sender, w.ml);
        QVERIFY(allow);
        asked = n;
        allow = false;
    };
    w.ml->AfterLanguageChanged = [&](TMultiLang*, quint8) { after = true; };
    w.ml->setActiveLanguage(1);
    QCOMPARE(asked, quint8(1));
    QVERIFY(!after);
    QCOMPARE(w.ml->ActiveLanguage(), quint8(0));
    QCOMPARE(w.caption(), QStringLiteral("Fenêtre"));
}

void TestMultiLang::afterEventFollowsEvenWithoutWindow() {
    QObject notAWindow;
    TMultiLang ml(&notAWindow);
    ml.setWords({"MsgX", "fr", "en"});
    quint8 seen = 0;
    ml.AfterLanguageChanged = [&](TMultiLang*, quint8 n) { seen = n; };
    ml.setActiveLanguage(1);
    QCOMPARE(seen, quint8(1));
    QCOMPARE(ml.GetWord(QStringLiteral("MsgX")), QStringLiteral("en"));
}

void TestMultiLang::afterEventFollowsASwallowedError() {
    // The caption entry is incomplete in English: the walk ends there.
    Window w({"etNom", "Nom", "Name", "%Form%", "Fenêtre"});
    bool after = false;
    w.ml->AfterLanguageChanged = [&](TMultiLang*, quint8) { after = true; };
    w.ml->setActiveLanguage(1);
    QVERIFY(after);
    QCOMPARE(w.ml->ActiveLanguage(), quint8(1));
    QCOMPARE(w.label->caption(), QStringLiteral("Name"));
    QCOMPARE(w.caption(), QStringLiteral("Fenêtre"));
}

void TestMultiLang::outOfRangeLanguageShowsTheMessage_data() {
    QTest::addColumn<bool>("defaultLanguage");
    QTest::addColumn<int>("value");
    QTest::newRow("active 2") << false << 2;
    QTest::newRow("active 255") << false << 255;
    QTest::newRow("default 2") << true << 2;
}

void TestMultiLang::outOfRangeLanguageShowsTheMessage() {
    QFETCH(bool, defaultLanguage);
    QFETCH(int, value);
    Window w;
    w.ml->setActiveLanguage(1);
    bool before = false;
    w.ml->BeforeLanguageChange = [&](TMultiLang*, quint8, bool&) { before = true; };
    MessageSeam::pushAnswer(mrCancel);
    if (defaultLanguage)
        w.ml->setDefaultLanguage(quint8(value));
    else
        w.ml->setActiveLanguage(quint8(value));
    QCOMPARE(MessageSeam::last().text, kRange);
    QCOMPARE(MessageSeam::last().type, mtInformation);
    QCOMPARE(MessageSeam::last().buttons, MsgDlgButtons(mbCancel));
    QVERIFY(!before);
    QCOMPARE(w.ml->ActiveLanguage(), quint8(1));
    QCOMPARE(w.ml->DefaultLanguage(), quint8(0));
    QCOMPARE(w.caption(), QStringLiteral("Window"));
}

void TestMultiLang::defaultSettingsReapplyTheTexts() {
    Window w({"%Form%", "Fenêtre", ""});
    w.ml->setActiveLanguage(1);
    QCOMPARE(w.caption(), QString());
    int applied = 0;
    w.ml->AfterLanguageChanged = [&](TMultiLang*, quint8) { ++applied; };
    w.ml->setDefaultEnabled(true);
    QCOMPARE(w.caption(), QStringLiteral("Fenêtre"));
    w.ml->setDefaultEnabled(true); // unchanged: nothing applied
    w.ml->setDefaultLanguage(0);   // unchanged: nothing applied
    QCOMPARE(applied, 1);
    w.ml->setDefaultLanguage(1);
    QCOMPARE(applied, 2);
    QCOMPARE(w.caption(), QString());
}

void TestMultiLang::getWordFindsTheFirstCompleteEntry_data() {
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<int>("language");
    QTest::addColumn<bool>("fallback");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    const QStringList twice{"MsgNoTableName",   "Nom de table absent...",
                            "No table name...", "MsgNoTableName",
                            "second",           "second"};
    QTest::newRow("first of two") << twice << 1 << false << "MsgNoTableName"
                                  << "No table name...";
    QTest::newRow("french") << twice << 0 << false << "MsgNoTableName"
                            << "Nom de table absent...";
    QTest::newRow("case-sensitive key") << twice << 1 << false << "msgnotablename"
                                        << "";
    QTest::newRow("missing key") << twice << 1 << false << "MsgAbsent"
                                 << "";
    QTest::newRow("any entry matches")
        << QStringList{"etNom", "Nom", "Name"} << 1 << false << "etNom"
        << "Name";
    QTest::newRow("fallback") << QStringList{"Msg", "fr", ""} << 1 << true << "Msg"
                              << "fr";
    QTest::newRow("no fallback") << QStringList{"Msg", "fr", ""} << 1 << false << "Msg"
                                 << "";
    QTest::newRow("incomplete entry is not read") << QStringList{"Msg", "fr"} << 0 << false << "Msg"
                                                  << "";
}

void TestMultiLang::getWordFindsTheFirstCompleteEntry() {
    QFETCH(QStringList, words);
    QFETCH(int, language);
    QFETCH(bool, fallback);
    QFETCH(QString, key);
    QFETCH(QString, text);
    QObject owner;
    TMultiLang ml(&owner);
    ml.setWords(words);
    ml.setActiveLanguage(quint8(language));
    ml.setDefaultEnabled(fallback);
    QCOMPARE(ml.GetWord(key), text);
}

void TestMultiLang::raisingLanguagesAddsQuestionMarks() {
    Window w({"%Form%", "Fenêtre", "Window", "etNom", "Nom", "Name"});
    w.ml->setLanguages(3);
    QCOMPARE(w.ml->Languages(), quint8(3));
    QCOMPARE(w.ml->Words(),
             (QStringList{"%Form%", "Fenêtre", "Window", "?", "etNom", "Nom", "Name", "?"}));
    QCOMPARE(MessageSeam::shownCount(), 0);
    w.ml->setActiveLanguage(2);
    QCOMPARE(w.caption(), QStringLiteral("?"));
    QCOMPARE(w.ml->GetWord(QStringLiteral("etNom")), QStringLiteral("?"));
}

void TestMultiLang::loweringLanguages_data() {
    QTest::addColumn<int>("active");
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("answer"); // mrNone: no question expected
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("changed");
    const QString losesActive =
        QStringLiteral("You are decreasing the number of languages.\rEntries for the removed "
                       "language will be lost.\r"
                       "The currently displayed language will be deleted, too.\r\rDo you really "
                       "want to continue?");
    const QString plain = QStringLiteral("You are decreasing the number of languages.\rEntries for "
                                         "the removed language will be lost.\r\rContinue?");
    QTest::newRow("below two") << 0 << 1 << int(mrOk) << "You have to provide at least 2 languages."
                               << false;
    QTest::newRow("active kept, yes") << 1 << 2 << int(mrYes) << plain << true;
    QTest::newRow("active kept, no") << 1 << 2 << int(mrNo) << plain << false;
    QTest::newRow("active removed, yes") << 2 << 2 << int(mrYes) << losesActive << true;
    QTest::newRow("active removed, no") << 2 << 2 << int(mrNo) << losesActive << false;
}

void TestMultiLang::loweringLanguages() {
    QFETCH(int, active);
    QFETCH(int, target);
    QFETCH(int, answer);
    QFETCH(QString, message);
    QFETCH(bool, changed);
    const QStringList three{"%Form%", "Fenêtre", "Window", "Fenster",
                            "etNom",  "Nom",     "Name",   "Name3"};
    Window w(three);
    w.ml->setLanguages(3); // from 2: adds a "?" cell, then the test's own table
    w.ml->setWords(three);
    w.ml->setActiveLanguage(quint8(active));
    MessageSeam::pushAnswer(answer);
    w.ml->setLanguages(quint8(target));
    QCOMPARE(MessageSeam::last().text, message);
    if (!changed) {
        QCOMPARE(w.ml->Languages(), quint8(3));
        QCOMPARE(w.ml->Words(), three);
        QCOMPARE(w.ml->ActiveLanguage(), quint8(active));
        return;
    }
    QCOMPARE(w.ml->Languages(), quint8(target));
    QCOMPARE(w.ml->Words(), (QStringList{"%Form%", "Fenêtre", "Window", "etNom", "Nom", "Name"}));
    // A removed active language falls back to language 0 first.
    QCOMPARE(w.ml->ActiveLanguage(), quint8(active >= target ? 0 : active));
    QCOMPARE(w.caption(), active >= target ? QStringLiteral("Fenêtre") : QStringLiteral("Window"));
}

void TestMultiLang::loweringBelowTheDefaultLanguageResetsIt() {
    // Left as it was, the fallback language would point past each entry and
    // read the next entry's key as a text.
    Window w({"etNom", "Nom", "Name", "Name3"});
    w.ml->setLanguages(3);
    w.ml->setWords({"etNom", "", "", "Drei", "%Form%", "F", "W", "D"});
    w.ml->setDefaultLanguage(2);
    w.ml->setDefaultEnabled(true);
    QCOMPARE(w.label->caption(), QStringLiteral("Drei"));
    MessageSeam::pushAnswer(mrYes);
    w.ml->setLanguages(2);
    QCOMPARE(w.ml->DefaultLanguage(), quint8(0));
    w.ml->setActiveLanguage(1);
    QCOMPARE(w.label->caption(), QString());
}

void TestMultiLang::globalSwitchSkipsShortTablesAndSetsTheCurrentLanguage() {
    Window a;
    Window vetoing;
    vetoing.ml->BeforeLanguageChange = [](TMultiLang*, quint8, bool& allow) { allow = false; };
    Window wide({"%Form%", "Fenêtre", "Window", "Fenster"});
    wide.ml->setLanguages(3);
    wide.ml->setWords({"%Form%", "Fenêtre", "Window", "Fenster"});
    TMultiLang::SetGlobalLanguage(2);
    QCOMPARE(TMultiLang::CurrentLanguage(), quint8(2));
    QCOMPARE(MessageSeam::shownCount(), 0); // short tables are skipped silently
    QCOMPARE(a.ml->ActiveLanguage(), quint8(0));
    QCOMPARE(wide.caption(), QStringLiteral("Fenster"));
    TMultiLang::SetGlobalLanguage(1);
    QCOMPARE(a.caption(), QStringLiteral("Window"));
    QCOMPARE(vetoing.caption(), QStringLiteral("Fenêtre"));
    QCOMPARE(TMultiLang::CurrentLanguage(), quint8(1));
    // A window created after the switch starts in the new language.
    Window later;
    QCOMPARE(later.caption(), QStringLiteral("Window"));
}

void TestMultiLang::instanceListFollowsLifetimes() {
    const auto before = TMultiLang::Instances().size();
    auto first = std::make_unique<Window>();
    Window second;
    auto listed = TMultiLang::Instances();
    QCOMPARE(listed.size(), before + 2);
    QCOMPARE(listed[before], first->ml);
    QCOMPARE(listed[before + 1], second.ml);
    first.reset();
    listed = TMultiLang::Instances();
    QCOMPARE(listed.size(), before + 1);
    QCOMPARE(listed.back(), second.ml);
    // A window destroyed by a language event does not break the switch.
    Window doomed;
    auto* doomedForm = doomed.form.release();
    second.ml->AfterLanguageChanged = [doomedForm](TMultiLang*, quint8) { delete doomedForm; };
    TMultiLang::SetGlobalLanguage(1);
    QCOMPARE(TMultiLang::Instances().size(), before + 1);
}

void TestMultiLang::languageNamesFileOnlyWhileDesigning() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    {
        QObject owner;
        TMultiLang running(&owner);
        running.setLangNames({QStringLiteral("Français"), QStringLiteral("English")});
        QCOMPARE(running.LangNames().size(), 2);
        QVERIFY(!QFile::exists(QStringLiteral("langname.txt")));

        TMultiLang designer(&owner, QStringLiteral("ML2"), true);
        designer.setLangNames({QStringLiteral("Français"), QStringLiteral("English")});
        QVERIFY(QFile::exists(QStringLiteral("langname.txt")));
        TMultiLang reopened(&owner, QStringLiteral("ML3"), true);
        QCOMPARE(reopened.LangNames(),
                 (QStringList{QStringLiteral("Français"), QStringLiteral("English")}));
        TMultiLang runningAgain(&owner, QStringLiteral("ML4"));
        QVERIFY(runningAgain.LangNames().isEmpty());
        // Designing windows are not switched at the end of loading.
        reopened.setWords({"x", "a", "b"});
        int changes = 0;
        reopened.AfterLanguageChanged = [&](TMultiLang*, quint8) { ++changes; };
        reopened.loaded();
        QCOMPARE(changes, 0);
    }
    QVERIFY(QDir::setCurrent(previous));
}

QTEST_MAIN(TestMultiLang)
#include "tst_multilang.moc"
