// The command-line conventions, over every command of the table, on real
// processes: each option spelled "--opt value", "--opt=value" (and "-o=FILE",
// "-oFILE" for a short name), before, between or after the operands, or with "--"
// before the operands, gives the same status, output and file; after "--" an
// option's name is a file name; an unknown option, a missing or repeated value is
// refused with status 2 in the locale's language (English unless LC_ALL,
// LC_MESSAGES or LANG, the first one set, names French). The manual page's OPTIONS
// section and the bash completion are what the command table says.

#include "CliRun.h"
#include "EngineTables.h"

#include "cli/options/CommandTable.h"
#include "engine/Database.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using engine::FieldType;
using engine::Value;

struct Outcome {
    int status = -1;
    QByteArray out, err, file;
    bool operator==(const Outcome&) const = default;
};

// One command line that works, as options and operands; "@NEW@" in an operand
// is a fresh path for every run (a dictionary to create).
struct BaseCase {
    const char* command;
    QList<QPair<QString, QString>> options; // first name with dashes, value (empty: a flag)
    QStringList operands;
    QString file; // written by the command: compared between spellings
    int status;
};

QByteArray contentsOf(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

Outcome run(const QStringList& args, const QMap<QString, QString>& locale = {{"LANG", "C"}},
            const QString& file = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"})
        env.remove(QString::fromLatin1(variable));
    for (auto it = locale.begin(); it != locale.end(); ++it)
        env.insert(it.key(), it.value());
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(KV_CLI_PATH), args);
    p.waitForFinished(120000);
    return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError(),
            file.isEmpty() ? QByteArray() : contentsOf(file)};
}

const cli::CommandSpec& spec(const char* command) {
    return *cli::findCommand(command);
}

QStringList spelledApart(const BaseCase& c) {
    QStringList args;
    for (const auto& [name, value] : c.options)
        args << name << (value.isEmpty() ? QStringList() : QStringList{value});
    return args;
}

// "--name=value", the short name glued ("-oVALUE") or after its long name.
QStringList spelledJoined(const BaseCase& c, bool longNames) {
    QStringList args;
    for (const auto& [name, value] : c.options) {
        const auto& names = spec(c.command).option(name.toStdString())->names;
        const QString longest = QString::fromStdString(names.back());
        if (value.isEmpty())
            args << name;
        else if (longNames || longest.size() > 1)
            args << (longest.size() > 1 ? "--" : "-") + longest + '=' + value;
        else
            args << name + value;
    }
    return args;
}

// The same request in every spelling the conventions allow.
QList<QStringList> spellings(const BaseCase& c) {
    const QString command = QString::fromLatin1(c.command);
    const QStringList apart = spelledApart(c);
    const QStringList first = c.operands.mid(0, 1), rest = c.operands.mid(1);
    return {
        QStringList{command} + apart + c.operands,
        QStringList{command} + c.operands + spelledJoined(c, true),
        QStringList{command} + first + spelledJoined(c, false) + rest,
        QStringList{command} + first + apart + rest,
        QStringList{command} + apart + QStringList{"--"} + c.operands,
    };
}

QMap<QString, QString> locale(const char* lang, const char* messages = nullptr,
                              const char* all = nullptr) {
    QMap<QString, QString> env;
    for (const auto& [name, value] :
         {std::pair{"LANG", lang}, std::pair{"LC_MESSAGES", messages}, std::pair{"LC_ALL", all}})
        if (value)
            env.insert(QString::fromLatin1(name), QString::fromLatin1(value));
    return env;
}

} // namespace

class TestCliConventions : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_table, m_other, m_dict;
    int m_fresh = 0;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    static void writePeople(const QString& file) {
        enginetables::writeTable(
            file.toStdString(), {{"Id", FieldType::Long}, {"Name", FieldType::Alpha, 20}},
            {{"", {"Id"}, engine::ixPrimary}}, {{Value::fromInt(1), Value::fromText("Ève")}});
    }

    QStringList withFreshPaths(QStringList args) {
        for (QString& a : args)
            if (a == QLatin1String("@NEW@"))
                a = path(QStringLiteral("new%1.db").arg(++m_fresh));
        return args;
    }

    QList<BaseCase> baseCases() const {
        const QString code = path("code.txt"), pdf = path("report.pdf");
        return {
            {"info", {{"--json", {}}, {"--code-page", "1252"}}, {m_table}, {}, 0},
            {"rows", {{"--json", {}}, {"--code-page", "1252"}}, {m_table}, {}, 0},
            {"code", {{"-o", code}}, {m_table}, code, 0},
            {"capture", {{"--create", {}}, {"--code", code}}, {"@NEW@", m_table}, code, 0},
            {"list", {{"--json", {}}}, {m_dict}, {}, 0},
            {"report", {{"-o", pdf}, {"--lang", "en"}}, {m_dict}, {}, 0},
            {"ddl",
             {{"--dialect", "sqlite"}, {"--rename-clashes", {}}, {"--dictionary", m_dict}},
             {m_table},
             {},
             0},
            {"export",
             {{"--postgresql", "-"}, {"--dictionary", m_dict}, {"--code-page", "1252"}},
             {m_table},
             {},
             0},
            // A table the dictionary does not hold: a difference to print.
            {"check", {{"--json", {}}}, {m_dict, m_table, m_other}, {}, 1},
            {"doc", {{"-o", "-"}}, {m_dict}, {}, 0},
            {"verify", {}, {m_table}, {}, 0},
        };
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        engine::initialise();
        m_table = path("PEOPLE.DB");
        writePeople(m_table);
        m_dict = path("DICT.DB");
        QCOMPARE(run({"capture", "--create", m_dict, m_table}).status, 0);
        m_other = path("OTHER.DB");
        writePeople(m_other);
    }

    // Every command has a case below, and every spelling of it does the same.
    void everySpellingDoesTheSame() {
        const QList<BaseCase> cases = baseCases();
        for (const cli::CommandSpec& command : cli::commandTable())
            QVERIFY2(std::any_of(cases.begin(), cases.end(),
                                 [&](const BaseCase& c) {
                                     return QLatin1String(c.command) == QLatin1String(command.name);
                                 }),
                     command.name);
        for (const BaseCase& c : cases) {
            std::optional<Outcome> first;
            for (const QStringList& args : spellings(c)) {
                const Outcome now = run(withFreshPaths(args), {{"LANG", "C"}}, c.file);
                const QString said = args.join(' ') + "\n" + now.err;
                QVERIFY2(now.status == c.status, qPrintable(said));
                if (!first)
                    first = now;
                QVERIFY2(now == *first, qPrintable(said));
            }
            // verify says nothing of a whole table, as fsck does not.
            QVERIFY2(!first->out.isEmpty() || !first->file.isEmpty() ||
                         c.command == QLatin1String("verify"),
                     c.command);
        }
    }

    // After "--", a name spelled like an option is a file's: the command looks for it.
    void afterDoubleDashOptionsAreFiles() {
        for (const BaseCase& c : baseCases()) {
            QStringList operands = c.operands;
            operands.last() = QStringLiteral("--help");
            BaseCase odd = c;
            odd.operands = operands;
            const Outcome r = run(withFreshPaths(spellings(odd).last()));
            const bool troubleIsTwo =
                c.command == QLatin1String("check") || c.command == QLatin1String("verify");
            QVERIFY2(r.status == (troubleIsTwo ? 2 : 1), c.command);
            QVERIFY2((r.out + r.err).contains("--help") && !r.err.contains("Usage"),
                     qPrintable(QString(c.command) + ": " + r.err));
        }
    }

    // Refusals: status 2, nothing on standard output, the reason and the usage line
    // in the language the environment asks for.
    void refusalsFollowTheLocale() {
        struct Locale {
            QMap<QString, QString> env;
            bool french;
        };
        const Locale locales[] = {
            {{}, false},
            {locale("C"), false},
            {locale("fr_FR.UTF-8"), true},
            {locale("C", "fr_CA"), true},
            {locale("fr_FR.UTF-8", nullptr, "C"), false},
            {locale("fr_FR.UTF-8", "en_GB.UTF-8"), false},
        };
        for (const BaseCase& c : baseCases()) {
            const cli::CommandSpec& command = spec(c.command);
            const QStringList good = withFreshPaths(spelledApart(c) + c.operands);
            struct Refusal {
                QStringList args;
                QString english, french;
            };
            QList<Refusal> refusals = {
                {QStringList{"--frobnicate"} + good, "unknown option '--frobnicate'",
                 "option « --frobnicate » inconnue"},
                {QStringList{"-Z"} + good, "unknown option '-Z'", "option « -Z » inconnue"},
            };
            for (const cli::OptionSpec& o : command.options) {
                const QString name = QString::fromStdString(o.firstName());
                if (o.takesValue()) {
                    refusals.append({good + QStringList{name},
                                     "option '" + name + "' needs a value",
                                     "l'option « " + name + " » demande une valeur"});
                    refusals.append({good + QStringList{name, "x", name, "y"},
                                     "option '" + name + "' given twice",
                                     "l'option « " + name + " » est donnée deux fois"});
                } else {
                    refusals.append({good + QStringList{name + "=yes"},
                                     "option '" + name + "' takes no value",
                                     "l'option « " + name + " » ne prend pas de valeur"});
                }
            }
            for (const Refusal& refusal : refusals)
                for (const Locale& l : locales) {
                    const QString expected =
                        QStringLiteral("korvanta-cli %1%2%3\n%4korvanta-cli %1 %5\n")
                            .arg(c.command, l.french ? " : " : ": ",
                                 l.french ? refusal.french : refusal.english,
                                 l.french ? "Usage : " : "Usage: ", command.synopsis);
                    const Outcome r = run(QStringList{c.command} + refusal.args, l.env);
                    QCOMPARE(r.status, 2);
                    QVERIFY2(r.out.isEmpty(), qPrintable(refusal.args.join(' ')));
                    QCOMPARE(QString::fromUtf8(r.err), expected);
                }
        }
    }

    void checkStatusesAreDiffs() {
        const QString dir = path("check");
        QVERIFY(QDir().mkpath(dir));
        writePeople(dir + "/PEOPLE.DB");
        QCOMPARE(run({"check", m_dict, dir}).status, 0);
        enginetables::writeTable((dir + "/PEOPLE.DB").toStdString(), {{"Id", FieldType::Long}},
                                 {{"", {"Id"}, engine::ixPrimary}}, {});
        QCOMPARE(run({"check", m_dict, dir}).status, 1);
        // Differences and a table that cannot be read: trouble wins.
        QCOMPARE(run({"check", m_dict, dir + "/PEOPLE.DB", path("ABSENT.DB")}).status, 2);
        QCOMPARE(run({"check", path("ABSENT.DB"), dir}).status, 2);
    }

    // The shipped page's OPTIONS section is the one the command table writes.
    void manualPageListsTheDeclaredOptions() {
        const QString page = QString::fromUtf8(contentsOf(KV_MAN_PAGE));
        const qsizetype from = page.indexOf(QLatin1String(".SH OPTIONS\n"));
        QVERIFY(from >= 0);
        const qsizetype to = page.indexOf(QLatin1String("\n.SH "), from) + 1;
        const Outcome generated = run({"--generate", "man-options"});
        QCOMPARE(generated.status, 0);
        QCOMPARE(page.mid(from, to - from), QString::fromUtf8(generated.out));
        for (const cli::CommandSpec& command : cli::commandTable())
            QVERIFY2(page.contains(QStringLiteral("\\fB%1\\fR").arg(command.name)), command.name);
    }

    // Completing "-" after a command offers exactly its declared options; a choice
    // offers its values.
    void completionOffersTheDeclaredOptions() {
        const QString script = path("completion.bash");
        QFile out(script);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(run({"--generate", "bash-completion"}).out);
        out.close();
        auto complete = [&](const QStringList& words) {
            QProcess bash;
            bash.start("bash", QStringList{"-c",
                                           "source \"$0\"; COMP_WORDS=(korvanta-cli \"$@\"); "
                                           "COMP_CWORD=$#; _korvanta_cli; "
                                           "printf '%s\\n' \"${COMPREPLY[@]}\"",
                                           script} +
                                   words);
            bash.waitForFinished();
            QStringList offered =
                QString::fromUtf8(bash.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
            offered.sort();
            return offered;
        };
        for (const cli::CommandSpec& command : cli::commandTable()) {
            QStringList declared{"--help"};
            for (const cli::OptionSpec& o : command.options)
                for (const std::string& name : o.names)
                    declared << QString::fromStdString((name.size() == 1 ? "-" : "--") + name);
            declared.sort();
            QCOMPARE(complete({command.name, "-"}), declared);
        }
        QCOMPARE(complete({"report", "--lang", ""}), (QStringList{"en", "fr"}));
        QVERIFY(complete({"ch"}).contains("check"));
    }
};

QTEST_GUILESS_MAIN(TestCliConventions)
#include "tst_cliconventions.moc"
