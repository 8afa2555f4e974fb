#include "lang/TMultiLang.h"

#include "lang/WordTableWalk.h"

#include "framework/widgets/Component.h"
#include "framework/widgets/Form.h"
#include "framework/widgets/MessageDlg.h"

#include <QFile>
#include <QPointer>
#include <QTextStream>

#include <algorithm>

namespace lang {

namespace {

// The component's own messages are English only, whatever the language of the
// windows; "\r" marks a line break.
const QString kRangeMessage =
    QStringLiteral("Value must not be higher than\rnumber of available languages.");
const QString kTooFewMessage = QStringLiteral("You have to provide at least 2 languages.");
const QString kDecreaseActiveQuestion = QStringLiteral(
    "You are decreasing the number of languages.\rEntries for the removed language will be lost.\r"
    "The currently displayed language will be deleted, too.\r\rDo you really want to continue?");
const QString kDecreaseQuestion =
    QStringLiteral("You are decreasing the number of languages.\rEntries for the removed language "
                   "will be lost.\r\rContinue?");

struct ProcessState {
    std::vector<TMultiLang*> instances; // live instances, in creation order
    quint8 current = 0;
};

ProcessState& process() {
    static ProcessState state;
    return state;
}

void showRangeMessage() {
    widgets::MessageDlg(kRangeMessage, widgets::mtInformation, widgets::mbCancel);
}

} // namespace

TMultiLang::TMultiLang(QObject* owner, const QString& name, bool designing)
    : QObject(owner), m_active(process().current), m_designing(designing) {
    widgets::adopt(this, name, owner);
    if (m_designing) {
        // Read errors are ignored: the names are only a designer's help.
        QFile file(languageNamesFile());
        if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            QTextStream in(&file);
            while (!in.atEnd())
                m_langNames.append(in.readLine());
        }
    }
    process().instances.push_back(this);
}

TMultiLang::~TMultiLang() {
    auto& list = process().instances;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

QString TMultiLang::languageNamesFile() {
    return QStringLiteral("./langname.txt");
}

void TMultiLang::loaded() {
    if (!m_designing)
        setActiveLanguage(process().current);
}

void TMultiLang::setActiveLanguage(quint8 language) {
    if (language >= m_languages) {
        showRangeMessage();
        return;
    }
    bool allowIt = true;
    if (BeforeLanguageChange)
        BeforeLanguageChange(this, language, allowIt);
    if (!allowIt)
        return;
    m_active = language;
    applyWordTable();
    if (AfterLanguageChanged)
        AfterLanguageChanged(this, m_active);
}

void TMultiLang::applyWordTable() {
    auto* window = qobject_cast<widgets::Form*>(parent());
    if (!window)
        return;
    lang::applyWordTable(m_words, {m_languages, m_active, m_default, m_defaultEnabled}, *window);
}

void TMultiLang::setDefaultLanguage(quint8 language) {
    if (language >= m_languages) {
        showRangeMessage();
        return;
    }
    if (language == m_default)
        return;
    m_default = language;
    setActiveLanguage(m_active);
}

void TMultiLang::setDefaultEnabled(bool enabled) {
    if (enabled == m_defaultEnabled)
        return;
    m_defaultEnabled = enabled;
    setActiveLanguage(m_active);
}

void TMultiLang::setLangNames(const QStringList& names) {
    m_langNames = names;
    if (!m_designing)
        return;
    QFile file(languageNamesFile());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        QTextStream out(&file);
        for (const QString& n : m_langNames)
            out << n << '\n';
    }
}

void TMultiLang::setLanguages(quint8 count) {
    if (count == m_languages)
        return;
    if (count < m_languages && !confirmDecrease(count))
        return;
    resizeEntries(count);
    m_languages = count;
    // The fallback language must stay one of the table's languages, or the
    // effective text would be read from the next entry's cells.
    if (m_default >= m_languages)
        m_default = 0;
}

bool TMultiLang::confirmDecrease(quint8 count) {
    if (count < 2) {
        widgets::MessageDlg(kTooFewMessage, widgets::mtInformation, widgets::mbOK);
        return false;
    }
    const bool losesActive = m_active >= count;
    const QString& question = losesActive ? kDecreaseActiveQuestion : kDecreaseQuestion;
    if (widgets::MessageDlg(question, widgets::mtConfirmation, widgets::mbYesNo) != widgets::mrYes)
        return false;
    if (losesActive)
        setActiveLanguage(0);
    return true;
}

void TMultiLang::resizeEntries(quint8 count) {
    // Entry by entry: keep the key and the first `count` texts, adding "?"
    // for each new language. An incomplete last entry only loses cells.
    const int oldWidth = m_languages + 1;
    QStringList resized;
    for (int start = 0; start < m_words.size(); start += oldWidth) {
        const int present = std::min<int>(oldWidth, static_cast<int>(m_words.size()) - start);
        const int keep = std::min(present, count + 1);
        for (int k = 0; k < keep; ++k)
            resized.append(m_words[start + k]);
        if (present == oldWidth)
            for (int k = oldWidth; k < count + 1; ++k)
                resized.append(QStringLiteral("?"));
    }
    m_words = resized;
}

QString TMultiLang::GetWord(const QString& key) const {
    const int width = m_languages + 1;
    for (int j = 0; j + m_languages < m_words.size(); j += width) {
        if (m_words[j] != key)
            continue;
        QString text = m_words[j + m_active + 1];
        if (text.isEmpty() && m_defaultEnabled)
            text = m_words[j + m_default + 1];
        return text;
    }
    return {};
}

void TMultiLang::SetGlobalLanguage(quint8 language) {
    // Guarded copies: a language-change event may destroy a window.
    std::vector<QPointer<TMultiLang>> listed;
    for (TMultiLang* ml : process().instances)
        listed.emplace_back(ml);
    for (const QPointer<TMultiLang>& ml : listed) {
        if (ml && language < ml->Languages())
            ml->setActiveLanguage(language);
    }
    process().current = language;
}

quint8 TMultiLang::CurrentLanguage() {
    return process().current;
}

std::vector<TMultiLang*> TMultiLang::Instances() {
    return process().instances;
}

void SetGlobalLanguage(quint8 language) {
    TMultiLang::SetGlobalLanguage(language);
}

} // namespace lang
