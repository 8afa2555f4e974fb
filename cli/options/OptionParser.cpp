#include "cli/options/OptionParser.h"

#include "cli/VisibleText.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <algorithm>
#include <charconv>
#include <ostream>
#include <strings.h>

namespace cli {

namespace {

// Arguments are bytes in no known encoding: Latin-1 maps each byte to one character
// and back, so that file names reach the command exactly as typed.
QString fromBytes(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

std::string toBytes(const QString& text) {
    return text.toLatin1().toStdString();
}

std::string dashed(const QString& name) {
    return (name.size() == 1 ? "-" : "--") + toBytes(name);
}

std::string quoted(const std::string& text) {
    return (Message::inFrench() ? "« " : "'") + visibleText(text) +
           (Message::inFrench() ? " »" : "'");
}

void declare(QCommandLineParser& parser, const CommandSpec& command) {
    for (const OptionSpec& o : command.options) {
        QStringList names;
        for (const std::string& name : o.names)
            names << QString::fromStdString(name);
        parser.addOption(o.takesValue() ? QCommandLineOption(names, {}, QStringLiteral("value"))
                                        : QCommandLineOption(names));
    }
}

// QCommandLineParser names the option it found wrong inside quotes in its own
// (untranslated) message: what follows says it in the user's language.
std::string parserFault(const QCommandLineParser& parser) {
    if (!parser.unknownOptionNames().isEmpty())
        return Message{"unknown option %1", "option %1 inconnue"}.with(
            {quoted(dashed(parser.unknownOptionNames().first()))});
    const QString text = parser.errorText();
    const auto match = QRegularExpression(QStringLiteral("'(.*)'")).match(text);
    const std::string option = quoted(match.hasMatch() ? toBytes(match.captured(1)) : "");
    if (text.startsWith(QLatin1String("Unexpected value")))
        return Message{"option %1 takes no value", "l'option %1 ne prend pas de valeur"}.with(
            {option});
    return Message{"option %1 needs a value", "l'option %1 demande une valeur"}.with({option});
}

bool isCodePage(const std::string& text) {
    int page = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, page);
    return !text.empty() && ec == std::errc() && ptr == end && page >= 0 && page <= 65535;
}

std::string choicesText(const OptionSpec& o) {
    std::string text;
    for (size_t i = 0; i < o.choices.size(); ++i)
        text += (i == 0                     ? ""
                 : i + 1 < o.choices.size() ? ", "
                                            : Message{" or ", " ou "}.text()) +
                o.choices[i];
    return text;
}

// Why `value` does not suit `o`; empty when it does.
std::string valueFault(const OptionSpec& o, const std::string& value) {
    const std::string name = quoted(o.firstName());
    if (o.kind == ValueKind::Number && !isCodePage(value))
        return Message{"option %1 needs a code page number, not %2",
                       "l'option %1 demande un numéro de page de codes, pas %2"}
            .with({name, quoted(value)});
    if (o.kind == ValueKind::Choice &&
        std::none_of(o.choices.begin(), o.choices.end(), [&](const std::string& choice) {
            return strcasecmp(choice.c_str(), value.c_str()) == 0;
        }))
        return Message{"option %1 takes %2, not %3", "l'option %1 prend %2, pas %3"}.with(
            {name, choicesText(o), quoted(value)});
    if (value.empty())
        return Message{"option %1 needs a value", "l'option %1 demande une valeur"}.with({name});
    return {};
}

} // namespace

std::optional<ParsedArguments> OptionParser::parse(const std::vector<std::string>& args,
                                                   std::ostream& err) const {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    declare(parser, m_command);
    QStringList line{QString::fromLatin1(m_program)};
    for (const std::string& a : args)
        line << fromBytes(a);
    if (!parser.parse(line)) {
        refuse(parserFault(parser), err);
        return std::nullopt;
    }
    ParsedArguments parsed;
    for (const OptionSpec& o : m_command.options) {
        const QString name = QString::fromStdString(o.names.front());
        if (!parser.isSet(name))
            continue;
        const QStringList values = parser.values(name);
        if (o.takesValue() && values.size() > 1) {
            refuse(Message{"option %1 given twice", "l'option %1 est donnée deux fois"}.with(
                       {quoted(o.firstName())}),
                   err);
            return std::nullopt;
        }
        for (const std::string& spelling : o.names)
            parsed.set((spelling.size() == 1 ? "-" : "--") + spelling,
                       o.takesValue() ? toBytes(values.first()) : std::string());
    }
    for (const QString& operand : parser.positionalArguments())
        parsed.addOperand(toBytes(operand));
    if (!checkValues(parsed, err) || !checkOperands(parsed, err))
        return std::nullopt;
    return parsed;
}

bool OptionParser::checkValues(const ParsedArguments& parsed, std::ostream& err) const {
    for (const OptionSpec& o : m_command.options) {
        const std::string name = o.firstName();
        std::string fault;
        if (parsed.has(name) && o.takesValue())
            fault = valueFault(o, parsed.value(name));
        else if (!parsed.has(name) && o.required)
            fault = Message{"option %1 is needed", "l'option %1 est nécessaire"}.with(
                {quoted(o.firstName() + ' ' + o.valueName)});
        if (!fault.empty()) {
            refuse(fault, err);
            return false;
        }
    }
    return true;
}

bool OptionParser::checkOperands(const ParsedArguments& parsed, std::ostream& err) const {
    const size_t count = parsed.operands().size();
    if (count >= m_command.minOperands && count <= m_command.maxOperands)
        return true;
    refuse(m_command.operandsWanted.text(), err);
    return false;
}

void OptionParser::refuse(const std::string& reason, std::ostream& err) const {
    const std::string program = m_program;
    err << program << ' ' << m_command.name << (Message::inFrench() ? " : " : ": ") << reason
        << '\n'
        << Message{"Usage: %1", "Usage : %1"}.with(
               {program + ' ' + m_command.name + ' ' + m_command.synopsis})
        << '\n';
}

} // namespace cli
