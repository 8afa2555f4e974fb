#include "lang/Messages.h"

#include "lang/Vocabulary.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace lang {

namespace {

const QHash<QString, QStringList>& table() {
    static const QHash<QString, QStringList> texts = [] {
        QHash<QString, QStringList> loaded;
        QFile file(Vocabulary::resourcePath(QStringLiteral("messages.json")));
        if (!file.open(QIODevice::ReadOnly))
            throw VocabularyError("Vocabulaire « messages » : introuvable");
        const QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
        for (auto it = root.begin(); it != root.end(); ++it) {
            QStringList byLanguage;
            for (const QJsonValue& v : it.value().toArray())
                byLanguage.append(v.toString());
            loaded.insert(it.key(), byLanguage);
        }
        return loaded;
    }();
    return texts;
}

} // namespace

QString Messages::key(Msg message) {
    switch (message) {
    case Msg::DeleteTableQuestion:
        return QStringLiteral("DeleteTableQuestion");
    case Msg::DeleteFieldQuestion:
        return QStringLiteral("DeleteFieldQuestion");
    case Msg::IndexDescriptionRefused:
        return QStringLiteral("IndexDescriptionRefused");
    case Msg::CancelCreationQuestion:
        return QStringLiteral("CancelCreationQuestion");
    case Msg::DicoNameRequired:
        return QStringLiteral("DicoNameRequired");
    case Msg::DicoNameInUse:
        return QStringLiteral("DicoNameInUse");
    case Msg::CreateDicoQuestion:
        return QStringLiteral("CreateDicoQuestion");
    case Msg::DeleteDicoQuestion:
        return QStringLiteral("DeleteDicoQuestion");
    case Msg::OpenDicoCaption:
        return QStringLiteral("OpenDicoCaption");
    case Msg::NoDictionaryOpen:
        return QStringLiteral("NoDictionaryOpen");
    case Msg::RecentDicoMissing:
        return QStringLiteral("RecentDicoMissing");
    }
    return {};
}

QList<Msg> Messages::all() {
    return {Msg::DeleteTableQuestion,    Msg::DeleteFieldQuestion, Msg::IndexDescriptionRefused,
            Msg::CancelCreationQuestion, Msg::DicoNameRequired,    Msg::DicoNameInUse,
            Msg::CreateDicoQuestion,     Msg::DeleteDicoQuestion,  Msg::OpenDicoCaption,
            Msg::NoDictionaryOpen,       Msg::RecentDicoMissing};
}

QString Messages::text(Msg message, int language) {
    const QStringList texts = table().value(key(message));
    if (language >= 0 && language < texts.size())
        return texts[language];
    return texts.value(0);
}

} // namespace lang
