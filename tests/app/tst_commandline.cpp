// The command line of both programs, run as real processes with no display at
// all: what answers without a window, what a wrong command line gets, and the
// start language that --lang chooses.

#include "app/StartOptions.h"
#include "app/Startup.h"
#include "app/Tf_Main.h"
#include "framework/widgets/MenuItem.h"
#include "lang/TMultiLang.h"
#include "store/AppDir.h"
#include "tests/widgets/SeamGuard.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run {
    int status = -1;
    QByteArray out, err;
};

// Runs `program` with no display: neither X, Wayland nor a Qt platform is named.
Run runHeadless(const QString& program, const QStringList& args) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForFinished(30000))
        p.kill();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

Run korvanta(const QStringList& args) {
    return runHeadless(QStringLiteral(KV_APP_PATH), args);
}
Run korvantaCli(const QStringList& args) {
    return runHeadless(QStringLiteral(KV_CLI_PATH), args);
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void helpAndVersionNeedNoDisplay() {
        const Run help = korvanta({QStringLiteral("--help")});
        QCOMPARE(help.status, 0);
        QVERIFY(help.out.startsWith("Usage: korvanta "));
        QVERIFY(help.out.contains("--lang fr|en"));
        QVERIFY(help.out.contains("Exit status"));
        QVERIFY(help.err.isEmpty());
        const Run version = korvanta({QStringLiteral("--version")});
        QCOMPARE(version.status, 0);
        QCOMPARE(version.out, QByteArray("korvanta 1.0\n"));
    }

    void noDisplayIsOneLineNotAnAbort() {
        const Run run = korvanta({QStringLiteral("--lang"), QStringLiteral("fr")});
        QCOMPARE(run.status, 1);
        QVERIFY(run.out.isEmpty());
        QCOMPARE(run.err.count('\n'), 1);
        QVERIFY(run.err.endsWith('\n'));
        QVERIFY(run.err.contains("no display"));
        QVERIFY(run.err.contains("scripts/run.sh"));
    }

    void wrongCommandLineIsUsageError_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("unknown language") << QStringList{"--lang", "de"};
        QTest::newRow("language missing") << QStringList{"--lang"};
        QTest::newRow("unknown option") << QStringList{"--frobnicate"};
    }
    void wrongCommandLineIsUsageError() {
        QFETCH(QStringList, args);
        const Run run = korvanta(args);
        QCOMPARE(run.status, 2);
        QVERIFY(run.out.isEmpty());
        QVERIFY(run.err.startsWith("korvanta: "));
        QVERIFY(run.err.contains("korvanta --help"));
    }

    void languageChoice() {
        QCOMPARE(StartOptions::parse({}).language, 1);
        QCOMPARE(StartOptions::parse({"--lang", "fr"}).language, 0);
        QCOMPARE(StartOptions::parse({"--lang=fr"}).language, 0);
        QCOMPARE(StartOptions::parse({"--lang=en"}).language, 1);
        // Qt's own one-dash options are left to Qt, with their values.
        const StartOptions qtOptions =
            StartOptions::parse({"-platform", "offscreen", "-style", "x"});
        QVERIFY(qtOptions.action == StartOptions::Action::Run);
        QVERIFY(qtOptions.platformGiven);
    }

    // The window switches to the chosen language when first shown, not to English.
    void frenchStartStaysFrench() {
        SeamGuard seams;
        QTemporaryDir dir;
        store::setAppDirOverride(dir.path());
        lang::SetGlobalLanguage(0);
        Startup::createWindows();
        f_Main->StartLanguage = StartOptions::parse({"--lang", "fr"}).language;
        f_Main->show();
        QCOMPARE(lang::TMultiLang::CurrentLanguage(), quint8(0));
        QCOMPARE(f_Main->mnDico->caption(), QStringLiteral("&Dictionnaire"));
        Startup::destroyWindows();
        store::setAppDirOverride(QString());
    }

    void cliHelpVersionAndCommandHelp() {
        const Run version = korvantaCli({QStringLiteral("--version")});
        QCOMPARE(version.status, 0);
        QCOMPARE(version.out, QByteArray("korvanta-cli 1.0\n"));
        const Run overview = korvantaCli({QStringLiteral("--help")});
        QCOMPARE(overview.status, 0);
        QVERIFY(overview.out.contains("Exit status:\n  0  done\n"));
        const Run capture = korvantaCli({QStringLiteral("capture"), QStringLiteral("--help")});
        QCOMPARE(capture.status, 0);
        QVERIFY(capture.out.startsWith("Usage: korvanta-cli capture DICT.db TABLE.db..."));
        QVERIFY(capture.out.contains("--create"));
        QVERIFY(capture.out.contains("  2  wrong command line"));
        QCOMPARE(korvantaCli({QStringLiteral("help"), QStringLiteral("code")}).out,
                 korvantaCli({QStringLiteral("code"), QStringLiteral("-h")}).out);
    }

    void cliUsageErrorsPointToHelp() {
        for (const QStringList& args :
             {QStringList{}, QStringList{"frob"}, QStringList{"help", "frob"}}) {
            const Run run = korvantaCli(args);
            QCOMPARE(run.status, 2);
            QVERIFY(run.out.isEmpty());
            QVERIFY(run.err.contains("Try 'korvanta-cli --help'"));
        }
        // After "--" a file named --help is a file, not a request for help.
        const Run run =
            korvantaCli({QStringLiteral("info"), QStringLiteral("--"), QStringLiteral("--help")});
        QCOMPARE(run.status, 1);
        QVERIFY(run.out.isEmpty() || !run.out.startsWith("Usage:"));
    }
};

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
