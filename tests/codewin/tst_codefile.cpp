// Writing the code text to a file when the disk fills up part way: the file
// that was there stays whole and nothing else is left behind.

#include "codewin/CodeFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <stdexcept>
#include <sys/resource.h>

namespace {

// Lets this process write files of at most `bytes` bytes: a longer write
// fails as on a full disk (EFBIG instead of the signal that would end us).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_previous);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_saved{};
    void (*m_previous)(int) = nullptr;
};

} // namespace

class TestCodeFile : public QObject {
    Q_OBJECT

private slots:
    void fullDiskKeepsTheOldFile_data();
    void fullDiskKeepsTheOldFile();
};

void TestCodeFile::fullDiskKeepsTheOldFile_data() {
    QTest::addColumn<bool>("existing");
    QTest::newRow("replacing a file") << true;
    QTest::newRow("new file") << false;
}

void TestCodeFile::fullDiskKeepsTheOldFile() {
    QFETCH(bool, existing);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("codes.pas"));
    if (existing) {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old code\r\n");
    }
    const QStringList lines(200, QStringLiteral("   Add('Nom',ftString,30,False);"));
    QString message;
    {
        FileSizeLimit limit(100);
        try {
            CodeFile::write(path, lines);
        } catch (const std::runtime_error& error) {
            message = QString::fromUtf8(error.what());
        }
    }
    QCOMPARE(message, QStringLiteral("Ne peut créer le fichier ") + path);
    QStringList expected;
    if (existing) {
        QFile old(path);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old code\r\n"));
        expected << QStringLiteral("codes.pas");
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), expected);

    // With room again the same text is written whole.
    CodeFile::write(path, lines);
    QFile written(path);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll().count("\r\n"), 200);
}

QTEST_GUILESS_MAIN(TestCodeFile)
#include "tst_codefile.moc"
