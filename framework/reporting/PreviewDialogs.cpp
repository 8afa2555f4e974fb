#include "framework/reporting/PreviewDialogs.h"

#include <QFileDialog>
#include <QPrintDialog>

namespace reporting {

namespace {

const QString kFilter = QStringLiteral("État préparé (*.kvr)");

class QtPreviewDialogs : public PreviewDialogs {
public:
    bool choosePrinter(QPrinter& printer, QWidget* parent) override {
        QPrintDialog dialog(&printer, parent);
        return dialog.exec() == QDialog::Accepted;
    }
    QString saveFileName(QWidget* parent) override {
        // The suffix goes on before the dialog checks whether the file
        // exists, so that the question is asked of the file really written.
        QFileDialog dialog(parent, {}, {}, kFilter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(PreviewDialogs::kSuffix);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().constFirst();
    }
    QString openFileName(QWidget* parent) override {
        return QFileDialog::getOpenFileName(parent, {}, {}, kFilter);
    }
};

PreviewDialogs* g_installed = nullptr;

} // namespace

PreviewDialogs& PreviewDialogs::current() {
    static QtPreviewDialogs qtDialogs;
    return g_installed ? *g_installed : qtDialogs;
}

void PreviewDialogs::install(PreviewDialogs* dialogs) {
    g_installed = dialogs;
}

} // namespace reporting
