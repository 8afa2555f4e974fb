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
    : QObject(owner), active_(process().current), designing_(designing) {
    widgets::adopt(this, name, owner);
    if (designing_) {
        // Read errors are ignored: the names are only a designer's help.
        QFile file(languageNamesFile());
        if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            QTextStream in(&file);
            while (!in.atEnd())
                langNames_.append(in.readLine());
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
    if (!designing_)
        setActiveLanguage(process().current);
}

void TMultiLang::setActiveLanguage(quint8 language) {
    if (language >= languages_) {
        showRangeMessage();
        return;
    }
    bool allowIt = true;
    if (BeforeLanguageChange)
        BeforeLanguageChange(this, language, allowIt);
    if (!allowIt)
        return;
    active_ = language;
    applyWordTable();
    if (AfterLanguageChanged)
        AfterLanguageChanged(this, active_);
}

void TMultiLang::applyWordTable() {
    auto* window = qobject_cast<widgets::Form*>(parent());
    if (!window)
        return;
    lang::applyWordTable(words_, {languages_, active_, default_, defaultEnabled_}, *window);
}

void TMultiLang::setDefaultLanguage(quint8 language) {
    if (language >= languages_) {
        showRangeMessage();
        return;
    }
    if (language == default_)
        return;
    default_ = language;
    setActiveLanguage(active_);
}

void TMultiLang::setDefaultEnabled(bool enabled) {
    if (enabled == defaultEnabled_)
        return;
    defaultEnabled_ = enabled;
    setActiveLanguage(active_);
}

void TMultiLang::setLangNames(const QStringList& names) {
    langNames_ = names;
    if (!designing_)
        return;
    QFile file(languageNamesFile());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        QTextStream out(&file);
        for (const QString& n : langNames_)
            out << n << '\n';
    }
}

void TMultiLang::setLanguages(quint8 count) {
    if (count == languages_)
        return;
    if (count < languages_ && !confirmDecrease(count))
        return;
    resizeEntries(count);
    languages_ = count;
    // The fallback language must stay one of the table's languages, or the
    // effective text would be read from the next entry's cells.
    if (default_ >= languages_)
        default_ = 0;
}

bool TMultiLang::confirmDecrease(quint8 count) {
    if (count < 2) {
        widgets::MessageDlg(kTooFewMessage, widgets::mtInformation, widgets::mbOK);
        return false;
    }
    const bool losesActive = active_ >= count;
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
    const int oldWidth = languages_ + 1;
    QStringList resized;
    for (int start = 0; start < words_.size(); start += oldWidth) {
        const int present = std::min<int>(oldWidth, static_cast<int>(words_.size()) - start);
        const int keep = std::min(present, count + 1);
        for (int k = 0; k < keep; ++k)
            resized.append(words_[start + k]);
        if (present == oldWidth)
            for (int k = oldWidth; k < count + 1; ++k)
                resized.append(QStringLiteral("?"));
    }
    words_ = resized;
}

QString TMultiLang::GetWord(const QString& key) const {
    const int width = languages_ + 1;
    for (int j = 0; j + languages_ < words_.size(); j += width) {
        if (words_[j] != key)
            continue;
        QString text = words_[j + active_ + 1];
        if (text.isEmpty() && defaultEnabled_)
            text = words_[j + default_ + 1];
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
