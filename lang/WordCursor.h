#pragma once

#include <QString>
#include <QStringList>

#include <stdexcept>

namespace lang {

// Raised when applying an entry reads a cell the word table does not have.
// The walk catches it and ends there.
class WordTableError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The position of the walk in a word table, and the operations the rules for
// each kind of component are written with.
//
// A word table is a flat list of cells: entries of (languages + 1) cells, the
// key then one text per language. The effective text of the entry at i is the
// cell i + active + 1, or, when that is empty and the fallback is enabled,
// the cell i + default + 1.
class WordCursor {
public:
    WordCursor(const QStringList& words, int languages, int active, int defaultLanguage,
               bool defaultEnabled);

    int position() const { return m_pos; }
    bool atEnd() const { return m_pos >= m_words.size(); }
    QString key() const;

    // Whether the cell holding the active language's text of the entry at the
    // position exists: the condition for taking an entry.
    bool canTake() const;
    // Takes the entry at the position: reads its effective text into `text`
    // and moves to the next entry. Returns false, taking nothing, when the
    // entry's active cell does not exist.
    bool take(QString* text = nullptr);
    // An entry can still be taken and its key is the continuation key.
    bool atContinuation() const;
    // The entry at the position is a hint entry (key compared ignoring case).
    bool atHint() const;
    // Moves past the entry at the position without reading it.
    void passOver();

    // Starts the entries of one component: nothing taken yet.
    void beginComponent() { m_took = false; }
    bool tookAny() const { return m_took; }

    QString effectiveText(int entry) const;

    static const QString continuationKey;
    static const QString hintKey;
    static const QString formKey;

private:
    QString cell(int index) const;

    const QStringList m_words;
    const int m_languages;
    const int m_active;
    const int m_default;
    const bool m_defaultEnabled;
    int m_pos = 0;
    bool m_took = false;
};

} // namespace lang
