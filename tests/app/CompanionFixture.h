#pragma once

// The main window on a fixed 1024 x 768 screen with an empty dictionary open,
// and Paradox source tables written into the application directory, where
// the add-tables window starts.

#include "tests/app/MainWindowFixture.h"
#include "tests/capture/ClientsExample.h"
#include "tests/capture/SourceTables.h"

#include "capture/window/Tf_SelFichiers.h"
#include "codewin/Tf_CodeG.h"
#include "framework/widgets/FileListBox.h"
#include "framework/widgets/Memo.h"
#include "framework/widgets/Screen.h"

class CompanionFixture : public MainWindowFixture {
public:
    explicit CompanionFixture(QSize screenSize = QSize(1024, 768)) : screen(screenSize) {
        widgets::Screen::install(&screen);
        newDictionary(QStringLiteral("essai"));
    }
    ~CompanionFixture() { widgets::Screen::install(nullptr); }

    QString appDir() const { return QDir(dir.path()).absolutePath(); }
    // The customer table of the code example, under `fileName`.
    QString writeClients(const QString& fileName = QStringLiteral("CLIENTS.DB")) const {
        return sourcetables::writeClients(appDir() + QLatin1Char('/') + fileName);
    }

    Tf_SelFichiers* switchAddWindowOn() {
        click("spAjTable");
        return f_SelFichiers;
    }
    widgets::FileListBox* files() const { return f_SelFichiers->syFichiers; }
    // Selects `selected` in the add window's file list and gives the focus to
    // `focused`, as ctrl-clicks do.
    void selectFiles(const QStringList& selected, const QString& focused) const {
        widgets::FileListBox* list = files();
        list->clearSelection();
        for (const QString& name : selected)
            QVERIFY2(list->selectFile(name), qPrintable(name));
        const int row = list->fileNames().indexOf(focused);
        QVERIFY(row >= 0);
        list->setCurrentRow(row, QItemSelectionModel::NoUpdate);
    }
    void doubleClickFile(const QString& name) const {
        widgets::FileListBox* list = files();
        const int row = list->fileNames().indexOf(name);
        QVERIFY2(row >= 0, qPrintable(name));
        // A double-click is a click and a second press, as the mouse sends it.
        const QPoint cell = list->visualItemRect(list->item(row)).center();
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell);
    }

    // The table entries of the open dictionary, in the tables view's order.
    QStringList tables() const {
        QStringList names;
        dataset::Table& view = *window->taDico;
        for (view.First(); !view.Eof(); view.Next())
            names.append(view.FieldByName(QStringLiteral("Table"))->AsString());
        return names;
    }
    QStringList code() const { return codeWindow->codeLines(); }

    widgets::FixedScreen screen;
};
