#include "lang/Vocabulary.h"

#include "lang/TMultiLang.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

// Resources compiled into a static library are registered only when asked.
static void initLangResources() {
    Q_INIT_RESOURCE(lang);
}

namespace lang {

namespace {

[[noreturn]] void fail(const QString& source, const QString& what) {
    throw VocabularyError(
        QStringLiteral("Vocabulaire « %1 » : %2").arg(source, what).toStdString());
}

QStringList parseEntries(const QJsonArray& entries, int languages, const QString& source) {
    QStringList words;
    for (int n = 0; n < entries.size(); ++n) {
        const QJsonArray entry = entries[n].toArray();
        if (!entries[n].isArray() || entry.size() != languages + 1)
            fail(source, QStringLiteral("l'entrée %1 n'a pas une clé et %2 textes")
                             .arg(n + 1)
                             .arg(languages));
        for (const QJsonValue& cell : entry) {
            if (!cell.isString())
                fail(source,
                     QStringLiteral("l'entrée %1 contient autre chose que du texte").arg(n + 1));
            words.append(cell.toString());
        }
    }
    return words;
}

} // namespace

QStringList Vocabulary::windows() {
    return {QStringLiteral("Tf_Main"),     QStringLiteral("Tf_CodeG"),
            QStringLiteral("Tf_Descrip"),  QStringLiteral("Tf_Apropos"),
            QStringLiteral("Tr_Korvanta"), QStringLiteral("Tf_SelFichiers"),
            QStringLiteral("Tf_ajmsdico"), QStringLiteral("Tf_SelDico")};
}

QString Vocabulary::resourcePath(const QString& fileName) {
    static const bool registered = (initLangResources(), true);
    (void)registered;
    return QStringLiteral(":/lang/vocabulary/") + fileName;
}

WordTableDesign Vocabulary::load(const QString& windowClass) {
    QFile file(resourcePath(windowClass + QStringLiteral(".json")));
    if (!file.open(QIODevice::ReadOnly))
        fail(windowClass, QStringLiteral("introuvable"));
    return parse(file.readAll(), windowClass);
}

WordTableDesign Vocabulary::parse(const QByteArray& json, const QString& source) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (doc.isNull() || !doc.isObject())
        fail(source, QStringLiteral("JSON illisible (%1)").arg(error.errorString()));
    const QJsonObject root = doc.object();
    WordTableDesign design;
    design.window = root.value(QStringLiteral("window")).toString();
    design.languages = root.value(QStringLiteral("Languages")).toInt(2);
    design.activeLanguage = root.value(QStringLiteral("ActiveLanguage")).toInt(0);
    design.defaultLanguage = root.value(QStringLiteral("DefaultLanguage")).toInt(0);
    design.defaultEnabled = root.value(QStringLiteral("DefaultEnabled")).toBool(false);
    if (design.languages < 2 || design.languages > 255)
        fail(source, QStringLiteral("nombre de langues invalide"));
    if (!root.value(QStringLiteral("Words")).isArray())
        fail(source, QStringLiteral("pas de table de mots"));
    design.words =
        parseEntries(root.value(QStringLiteral("Words")).toArray(), design.languages, source);
    return design;
}

void Vocabulary::applyDesign(TMultiLang& ml, const WordTableDesign& design) {
    ml.setLanguages(static_cast<quint8>(design.languages));
    ml.setActiveLanguage(static_cast<quint8>(design.activeLanguage));
    ml.setDefaultLanguage(static_cast<quint8>(design.defaultLanguage));
    ml.setDefaultEnabled(design.defaultEnabled);
    ml.setWords(design.words);
}

void Vocabulary::applyDesign(TMultiLang& ml, const QString& windowClass) {
    applyDesign(ml, load(windowClass));
}

TMultiLang* Vocabulary::createWordTable(QObject* window, const QString& windowClass) {
    const WordTableDesign design =
        load(windowClass); // a missing table fails before anything is created
    auto* ml = new TMultiLang(window);
    applyDesign(*ml, design);
    return ml;
}

} // namespace lang
