// Drive, directory and file lists as the add-tables window and the
// select-dictionary dialog use them: the "*.db" mask regardless of case,
// multiple selection with a focused file, and the lists following each other.

#include "framework/widgets/DirectoryListBox.h"
#include "framework/widgets/DriveComboBox.h"
#include "framework/widgets/FileListBox.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace widgets;

namespace {
void touch(const QString& path) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}
} // namespace

class TestFileLists : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void maskMatchesRegardlessOfCase_data();
    void maskMatchesRegardlessOfCase();
    void focusedFileCountsOnlyWhenSelected();
    void directoryListDrivesTheFileList();

private:
    QTemporaryDir m_dir;
};

void TestFileLists::initTestCase() {
    QVERIFY(m_dir.isValid());
    for (const char* name :
         {"CLIENTS.DB", "notes.db", "Mixed.Db", "CLIENTS.PX", "readme.txt", "db"})
        touch(m_dir.filePath(QString::fromLatin1(name)));
    QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("sub")));
    touch(m_dir.filePath(QStringLiteral("sub/inner.db")));
}

void TestFileLists::maskMatchesRegardlessOfCase_data() {
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("*.db") << "*.db" << QStringList{"CLIENTS.DB", "Mixed.Db", "notes.db"};
    QTest::newRow("*.DB") << "*.DB" << QStringList{"CLIENTS.DB", "Mixed.Db", "notes.db"};
    QTest::newRow("two patterns") << "*.db;*.px"
                                  << QStringList{"CLIENTS.DB", "CLIENTS.PX", "Mixed.Db",
                                                 "notes.db"};
    QTest::newRow("all") << "*.*" << QStringList{"CLIENTS.DB", "CLIENTS.PX", "db",
                                                 "Mixed.Db",   "notes.db",   "readme.txt"};
}

void TestFileLists::maskMatchesRegardlessOfCase() {
    QFETCH(QString, mask);
    QFETCH(QStringList, names);
    FileListBox files(nullptr, QStringLiteral("fiDico"));
    files.setMask(mask);
    files.setDirectory(m_dir.path());
    QCOMPARE(files.fileNames(), names);
}

void TestFileLists::focusedFileCountsOnlyWhenSelected() {
    FileListBox files(nullptr, QStringLiteral("syFichiers"));
    files.setMask(QStringLiteral("*.db"));
    files.setDirectory(m_dir.path());
    files.setMultiSelect(true);
    QCOMPARE(files.selCount(), 0);
    QCOMPARE(files.fileName(), QString());
    files.show();
    QVERIFY(QTest::qWaitForWindowExposed(&files));
    auto clickRow = [&files](int row, Qt::KeyboardModifiers mods) {
        const QRect r = files.visualItemRect(files.item(row));
        QTest::mouseClick(files.viewport(), Qt::LeftButton, mods, r.center());
    };
    clickRow(0, Qt::NoModifier);
    clickRow(2, Qt::ControlModifier);
    clickRow(1, Qt::ControlModifier);
    QCOMPARE(files.selCount(), 3);
    QCOMPARE(files.itemIndex(), 1);
    QCOMPARE(files.fileName(), QDir(m_dir.path()).filePath(QStringLiteral("Mixed.Db")));
    clickRow(1, Qt::ControlModifier); // unselects the focused file
    QCOMPARE(files.selCount(), 2);
    QCOMPARE(files.fileName(), QString());
}

void TestFileLists::directoryListDrivesTheFileList() {
    DriveComboBox drives(nullptr, QStringLiteral("syLecteur"));
    DirectoryListBox dirs(nullptr, QStringLiteral("syRepertoire"));
    FileListBox files(nullptr, QStringLiteral("syFichiers"));
    files.setMask(QStringLiteral("*.db"));
    dirs.setFileList(&files);
    drives.setDirList(&dirs);
    dirs.setDirectory(m_dir.path());
    QCOMPARE(files.directory(), QDir(m_dir.path()).absolutePath());
    QCOMPARE(files.fileNames().size(), 3);
    QVERIFY(drives.currentIndex() >= 0);
    QVERIFY(QDir(m_dir.path()).absolutePath().startsWith(drives.drive()));
    // The sub-directory is listed after the path and can be entered.
    int subRow = -1;
    for (int r = 0; r < dirs.count(); ++r)
        if (dirs.directoryAt(r).endsWith(QStringLiteral("/sub")))
            subRow = r;
    QVERIFY(subRow > 0);
    emit dirs.itemDoubleClicked(dirs.item(subRow));
    QCOMPARE(files.fileNames(), QStringList{QStringLiteral("inner.db")});
    // A directory that does not exist changes nothing.
    dirs.setDirectory(m_dir.filePath(QStringLiteral("missing")));
    QCOMPARE(files.fileNames(), QStringList{QStringLiteral("inner.db")});
}

QTEST_MAIN(TestFileLists)
#include "tst_filelists.moc"
