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
        return QFileDialog::getSaveFileName(parent, {}, {}, kFilter);
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
