// The save dialog component through the real file dialog: choosing a file
// that exists asks before it is replaced.

#include "framework/widgets/Form.h"
#include "framework/widgets/SaveDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// Runs `step` on the shown window of type W as soon as there is one, while
// `context` lives.
template <class W>
void whenOpen(QObject* context, const std::function<void(W*)>& step, int triesLeft = 1500) {
    QTimer::singleShot(20, context, [context, step, triesLeft] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* wanted = qobject_cast<W*>(window);
            if (wanted && wanted->isVisible()) {
                step(wanted);
                return;
            }
        }
        if (triesLeft > 0)
            whenOpen<W>(context, step, triesLeft - 1);
    });
}

// Closes whatever modal window a failed check left open, while `context` lives.
void closeLeftovers(QObject* context) {
    QTimer::singleShot(45000, context, [] {
        while (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });
}

} // namespace

class TestSaveDialog : public QObject {
    Q_OBJECT

private slots:
    void existingFileIsReplacedOnlyAfterYes_data();
    void existingFileIsReplacedOnlyAfterYes();
};

void TestSaveDialog::existingFileIsReplacedOnlyAfterYes_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("chosen");
    QTest::newRow("yes replaces") << int(QMessageBox::Yes) << true << true;
    QTest::newRow("no keeps the dialog open") << int(QMessageBox::No) << true << false;
}

void TestSaveDialog::existingFileIsReplacedOnlyAfterYes() {
    QFETCH(int, answer);
    QFETCH(bool, asked);
    QFETCH(bool, chosen);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("codes.pas"));
    QFile existing(path);
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.close();

    widgets::Form window(nullptr, QStringLiteral("f_Test"));
    widgets::SaveDialog save(&window, QStringLiteral("SaveDlg"));
    save.setFilter(QStringLiteral("Text files (*.txt)|*.txt|All files (*.*)|*.*"));
    save.setInitialDir(dir.path());

    bool boxShown = false;
    QObject steps; // the scheduled steps end with this test
    whenOpen<QFileDialog>(&steps, [&](QFileDialog* dialog) {
        whenOpen<QMessageBox>(&steps, [&, dialog](QMessageBox* box) {
            boxShown = box->text().contains(QStringLiteral("codes.pas"));
            if (QAbstractButton* button = box->button(QMessageBox::StandardButton(answer)))
                button->click();
            else
                box->reject();
            // Refused: the file dialog is still open, waiting for another name.
            QTimer::singleShot(50, dialog, [dialog] {
                if (dialog->isVisible())
                    dialog->reject();
            });
        });
        // Typed into the name box and confirmed with the Save button, as a user does.
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save)->click();
    });
    closeLeftovers(&steps);
    QCOMPARE(save.execute(), chosen);
    QCOMPARE(boxShown, asked);
    if (chosen)
        QCOMPARE(QFileInfo(save.fileName()).canonicalFilePath(),
                 QFileInfo(path).canonicalFilePath());
}

QTEST_MAIN(TestSaveDialog)
#include "tst_savedialog.moc"
