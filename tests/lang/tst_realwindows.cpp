// The vocabulary against the program's real windows: every key of a window's
// word table that names a component (not a caption, hint, continuation or
// message key) must name a component the real window owns, apart from the
// entries known to name nothing; and every real window carries its word
// table "ML", loaded in the current language.

#include "about/Tf_Apropos.h"
#include "app/Tf_Main.h"
#include "app/Tf_SelDico.h"
#include "app/Tf_ajmsdico.h"
#include "capture/window/Tf_SelFichiers.h"
#include "codewin/Tf_CodeG.h"
#include "describe/Tf_Descrip.h"
#include "framework/dataset/Field.h"
#include "lang/TMultiLang.h"
#include "lang/Vocabulary.h"
#include "lang/WordCursor.h"
#include "store/AppDir.h"
#include "tests/widgets/SeamGuard.h"

#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

using lang::Vocabulary;
using lang::WordCursor;

namespace {

// Entries of the vocabulary that name no component of their window.
const QHash<QString, QStringList>& knownAbsent() {
    static const QHash<QString, QStringList> absent{
        {QStringLiteral("Tf_Apropos"), {QStringLiteral("Panel1"), QStringLiteral("Label5")}},
        {QStringLiteral("Tf_CodeG"), {QStringLiteral("spImprime")}},
    };
    return absent;
}

// The text an entry of the word table sets on `component`, as the user sees
// it; an invalid value for a kind of component whose text is not shown.
QVariant shownText(const QObject* component) {
    if (const auto* field = qobject_cast<const dataset::Field*>(component))
        return field->DisplayLabel();
    for (const char* property : {"Caption", "Text", "SimpleText"}) {
        const QVariant value = component->property(property);
        if (value.isValid())
            return value;
    }
    return {};
}

// A field whose label is empty shows its name instead.
QString expectedText(const QObject* component, const QString& word) {
    const auto* field = qobject_cast<const dataset::Field*>(component);
    return field && word.isEmpty() ? field->FieldName() : word;
}

using WindowMaker = std::function<widgets::Form*()>;

bool namesAComponent(const QString& key) {
    return key != WordCursor::formKey && key != WordCursor::continuationKey &&
           key.compare(WordCursor::hintKey, Qt::CaseInsensitive) != 0 &&
           !key.startsWith(QStringLiteral("Msg"));
}

} // namespace

class TestRealWindows : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void keysNameTheWindowsComponents_data();
    void keysNameTheWindowsComponents();
    void textsFollowTheLanguage_data();
    void textsFollowTheLanguage();

private:
    QTemporaryDir m_appDir;
    // What the add-tables window captures into.
    std::unique_ptr<Tf_Main> m_main;
};

void TestRealWindows::initTestCase() {
    QVERIFY(m_appDir.isValid());
    store::setAppDirOverride(m_appDir.path());
    m_main = std::make_unique<Tf_Main>();
}

void TestRealWindows::cleanupTestCase() {
    m_main.reset();
    store::setAppDirOverride(QString());
}

void TestRealWindows::keysNameTheWindowsComponents_data() {
    QTest::addColumn<QString>("windowClass");
    QTest::addColumn<std::function<widgets::Form*()>>("create");
    QTest::newRow("main window") << "Tf_Main"
                                 << std::function<widgets::Form*()>([] { return new Tf_Main; });
    QTest::newRow("name dialog") << "Tf_ajmsdico"
                                 << std::function<widgets::Form*()>([] { return new Tf_ajmsdico; });
    QTest::newRow("select dialog")
        << "Tf_SelDico" << std::function<widgets::Form*()>([] { return new Tf_SelDico; });
    QTest::newRow("code window") << "Tf_CodeG"
                                 << std::function<widgets::Form*()>([] { return new Tf_CodeG; });
    QTest::newRow("description dialog")
        << "Tf_Descrip" << std::function<widgets::Form*()>([] { return new Tf_Descrip; });
    QTest::newRow("about box") << "Tf_Apropos"
                               << std::function<widgets::Form*()>([] { return new Tf_Apropos; });
    QTest::newRow("add-tables window")
        << "Tf_SelFichiers"
        << std::function<widgets::Form*()>([this] { return new Tf_SelFichiers(*m_main->Store); });
}

void TestRealWindows::keysNameTheWindowsComponents() {
    QFETCH(QString, windowClass);
    QFETCH(std::function<widgets::Form*()>, create);
    SeamGuard seams;
    lang::SetGlobalLanguage(1);
    std::unique_ptr<widgets::Form> window(create());
    auto* ml = window->component<lang::TMultiLang>(QStringLiteral("ML"));
    QVERIFY(ml);
    QCOMPARE(ml->ActiveLanguage(), quint8(1));
    QCOMPARE(ml->Words(), Vocabulary::load(windowClass).words);
    const QStringList words = ml->Words();
    const QStringList absent = knownAbsent().value(windowClass);
    for (int i = 0; i < words.size(); i += ml->Languages() + 1) {
        const QString& key = words[i];
        if (!namesAComponent(key))
            continue;
        const bool found = window->findComponent(key) != nullptr;
        QVERIFY2(found != absent.contains(key),
                 qPrintable(
                     QStringLiteral("%1: entry %2 (%3)").arg(windowClass).arg(i / 3 + 1).arg(key)));
    }
    lang::SetGlobalLanguage(0);
}

void TestRealWindows::textsFollowTheLanguage_data() {
    keysNameTheWindowsComponents_data();
}

// Every entry of a window's word table shows its text on the real window, in
// French and in English: captions, labels, buttons, menu items, hints, field
// labels and cleared edit boxes.
void TestRealWindows::textsFollowTheLanguage() {
    QFETCH(QString, windowClass);
    QFETCH(WindowMaker, create);
    SeamGuard seams;
    lang::SetGlobalLanguage(0);
    std::unique_ptr<widgets::Form> window(create());
    auto* ml = window->component<lang::TMultiLang>(QStringLiteral("ML"));
    const int stride = ml->Languages() + 1;
    int checked = 0;
    for (int language : {1, 0}) {
        lang::SetGlobalLanguage(language);
        const QStringList words = ml->Words();
        QObject* previous = nullptr;
        for (int i = 0; i < words.size(); i += stride) {
            const QString& key = words[i];
            const QString word = words[i + 1 + language];
            const QString where = QStringLiteral("%1 #%2 %3, language %4")
                                      .arg(windowClass)
                                      .arg(i / stride + 1)
                                      .arg(key)
                                      .arg(language);
            QVariant shown;
            QString expected = word;
            if (key == WordCursor::formKey) {
                shown = window->caption();
            } else if (key.compare(WordCursor::hintKey, Qt::CaseInsensitive) == 0) {
                shown = previous ? previous->property("Hint") : QVariant();
            } else if (namesAComponent(key)) {
                previous = window->findComponent(key);
                if (previous) {
                    shown = shownText(previous);
                    expected = expectedText(previous, word);
                }
            }
            if (!shown.isValid())
                continue;
            QVERIFY2(shown.toString() == expected,
                     qPrintable(where + QStringLiteral(": \"%1\" shown").arg(shown.toString())));
            ++checked;
        }
    }
    QVERIFY(checked >= 2);
    lang::SetGlobalLanguage(0);
}

QTEST_MAIN(TestRealWindows)
#include "tst_realwindows.moc"
