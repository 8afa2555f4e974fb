#pragma once

#include "framework/widgets/Loadable.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <vector>

namespace lang {

class TMultiLang;

// Raised before the active language changes; clearing AllowIt vetoes it.
using TBeforeLanguageChange =
    std::function<void(TMultiLang* Sender, quint8 NewLanguage, bool& AllowIt)>;
// Raised after the active language has changed (texts applied).
using TAfterLanguageChanged = std::function<void(TMultiLang* Sender, quint8 NewLanguage)>;

// The word table of one window (always named "ML"). It applies the texts of
// its active language to the window's caption and components when the window
// has finished loading and whenever the active language changes, looks
// message texts up by key, and is switched with every other live word table
// by SetGlobalLanguage.
//
// Every live instance is listed process-wide in creation order, next to the
// current language (0 at start), which new instances start in.
class TMultiLang : public QObject, public widgets::Loadable {
    Q_OBJECT
    // Published properties, in the order in which a window's design sets them.
    Q_PROPERTY(quint8 Languages READ Languages WRITE setLanguages)
    Q_PROPERTY(quint8 ActiveLanguage READ ActiveLanguage WRITE setActiveLanguage)
    Q_PROPERTY(quint8 DefaultLanguage READ DefaultLanguage WRITE setDefaultLanguage)
    Q_PROPERTY(bool DefaultEnabled READ DefaultEnabled WRITE setDefaultEnabled)
    Q_PROPERTY(QStringList LangNames READ LangNames WRITE setLangNames STORED false)
    Q_PROPERTY(QStringList Words READ Words WRITE setWords)

public:
    // `designing` stands for the window designer, where the language names
    // file is read and written; the running program never designs.
    explicit TMultiLang(QObject* owner, const QString& name = QStringLiteral("ML"),
                        bool designing = false);
    ~TMultiLang() override;

    TBeforeLanguageChange BeforeLanguageChange;
    TAfterLanguageChanged AfterLanguageChanged;

    quint8 Languages() const { return m_languages; }
    void setLanguages(quint8 count);
    quint8 ActiveLanguage() const { return m_active; }
    void setActiveLanguage(quint8 language);
    quint8 DefaultLanguage() const { return m_default; }
    void setDefaultLanguage(quint8 language);
    bool DefaultEnabled() const { return m_defaultEnabled; }
    void setDefaultEnabled(bool enabled);
    QStringList LangNames() const { return m_langNames; }
    void setLangNames(const QStringList& names);
    QStringList Words() const { return m_words; }
    void setWords(const QStringList& words) { m_words = words; }

    bool designing() const { return m_designing; }

    // The effective text of the first complete entry with exactly this key,
    // or an empty text.
    QString GetWord(const QString& key) const;

    // End of loading: outside design mode, applies the current language.
    void loaded() override;

    // Switches every listed instance that has more than `language` languages,
    // then makes `language` the current language.
    static void SetGlobalLanguage(quint8 language);
    static quint8 CurrentLanguage();
    static std::vector<TMultiLang*> Instances();

    static QString languageNamesFile();

private:
    void applyWordTable();
    bool confirmDecrease(quint8 count);
    void resizeEntries(quint8 count);

    quint8 m_languages = 2;
    quint8 m_active = 0;
    quint8 m_default = 0;
    bool m_defaultEnabled = false;
    QStringList m_langNames;
    QStringList m_words;
    bool m_designing = false;
};

// Same as TMultiLang::SetGlobalLanguage.
void SetGlobalLanguage(quint8 language);

} // namespace lang
