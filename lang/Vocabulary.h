#pragma once

#include <QString>
#include <QStringList>

#include <stdexcept>

class QObject;

namespace lang {

class TMultiLang;

// A vocabulary file could not be read or does not have the expected shape.
class VocabularyError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The stored design of one window's word table: the properties its window
// gives the component, and the word table itself (flat, entry after entry).
struct WordTableDesign {
    QString window;
    int languages = 2;
    int activeLanguage = 0;
    int defaultLanguage = 0;
    bool defaultEnabled = false;
    QStringList words;
    int entryCount() const {
        return languages > 0 ? static_cast<int>(words.size()) / (languages + 1) : 0;
    }
};

class Vocabulary {
public:
    // The window classes that have a word table, in the order of start-up and
    // then of the windows created on demand.
    static QStringList windows();

    // Reads the word table of `windowClass` (for example "Tf_Main") from the
    // vocabulary compiled into the program. Every entry must be a key and one
    // text per language, all strings.
    static WordTableDesign load(const QString& windowClass);
    // Parses a vocabulary file's contents (`source` names it in errors).
    static WordTableDesign parse(const QByteArray& json, const QString& source);

    // Gives `ml` the stored design, property by property in their published
    // order, as a window does while it is being loaded: the stored language
    // is set while the word table is still empty and so applies nothing; the
    // window's end of loading then applies the current language.
    static void applyDesign(TMultiLang& ml, const WordTableDesign& design);
    static void applyDesign(TMultiLang& ml, const QString& windowClass);

    // Creates a window's word table "ML", owned by `window`, with the stored
    // design of `windowClass`. The window applies it when it calls
    // finishLoading() at the end of its construction.
    static TMultiLang* createWordTable(QObject* window, const QString& windowClass);

    // Path of a compiled-in vocabulary file.
    static QString resourcePath(const QString& fileName);
};

} // namespace lang
