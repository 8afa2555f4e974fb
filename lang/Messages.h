#pragma once

#include <QList>
#include <QString>

namespace lang {

// Messages that program code shows in the language of a window's word table
// (its ActiveLanguage): 0 gives the French text, 1 the English text.
enum class Msg {
    DeleteTableQuestion, // "…: " then a blank and the table name
    DeleteFieldQuestion, // then the field name
    IndexDescriptionRefused,
    CancelCreationQuestion,
    DicoNameRequired,
    DicoNameInUse,
    CreateDicoQuestion, // then the dictionary name and " ?"
    DeleteDicoQuestion, // then the full path of the file
    OpenDicoCaption,    // caption of the select-dictionary dialog for Open
    NoDictionaryOpen,   // the add command without an open dictionary
    RecentDicoMissing,  // "%1" is the dictionary's path
};

class Messages {
public:
    // The text of `message` in `language`; a language the message lacks
    // gives the French text.
    static QString text(Msg message, int language);
    // The key of `message` in the messages file.
    static QString key(Msg message);
    static QList<Msg> all();
};

} // namespace lang
