#pragma once

// One main window per test, in a temporary application directory, driven as a
// user would: buttons and menu items are clicked, dialogs are filled through
// the modal seam, message boxes are answered through the message seam in
// strict mode (a box nobody expected fails the test).

#include "app/Startup.h"
#include "app/Tf_Main.h"
#include "app/Tf_SelDico.h"
#include "app/Tf_ajmsdico.h"
#include "codewin/Tf_CodeG.h"
#include "describe/Tf_Descrip.h"
#include "framework/dataset/Field.h"
#include "framework/dataset/Table.h"
#include "framework/widgets/BitBtn.h"
#include "framework/widgets/DataGrid.h"
#include "framework/widgets/Edit.h"
#include "framework/widgets/FileListBox.h"
#include "framework/widgets/MenuItem.h"
#include "framework/widgets/MessageSeam.h"
#include "framework/widgets/ModalSeam.h"
#include "framework/widgets/SpeedButton.h"
#include "lang/TMultiLang.h"
#include "store/AppDir.h"
#include "store/DicoFormat.h"
#include "store/DictionaryStore.h"
#include "tests/widgets/SeamGuard.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class MainWindowFixture {
public:
    // `shown`: the window is shown as at start-up (English, commands set);
    // otherwise it stays as created, before its first showing.
    explicit MainWindowFixture(bool shown = true) {
        store::setAppDirOverride(dir.path());
        // The user's settings (recent dictionaries) in this test's directory.
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
        lang::SetGlobalLanguage(0); // a fresh run starts in French
        window = new Tf_Main();
        f_Main = window;
        Startup::createCodeWindow();
        codeWindow = f_CodeG;
        Startup::createDescriptionDialog();
        Startup::createAboutBox();
        if (shown)
            window->show();
    }
    ~MainWindowFixture() {
        delete window;
        lang::SetGlobalLanguage(0);
        store::setAppDirOverride(QString());
    }
    MainWindowFixture(const MainWindowFixture&) = delete;
    MainWindowFixture& operator=(const MainWindowFixture&) = delete;

    QString dataDir() const { return window->Store->DataDir(); }
    QString dataFile(const QString& name) const { return dataDir() + QLatin1Char('/') + name; }
    QStringList dataFiles() const { return QDir(dataDir()).entryList(QDir::Files, QDir::Name); }
    QString nomDico() const { return window->Store->NomDico(); }
    store::DicoState state() const { return window->Store->State(); }
    QString lastMessage() const { return widgets::MessageSeam::last().text; }

    // ---- Dialog actions, queued before the command that shows the dialog ----
    static void typeName(const QString& name) {
        widgets::ModalSeam::push([name](widgets::Form& dialog) {
            QTest::keyClicks(dialog.component<widgets::Edit>(QStringLiteral("chNomDico")), name);
            dialog.component<widgets::BitBtn>(QStringLiteral("biOK"))->click();
        });
    }
    static void cancelDialog() {
        widgets::ModalSeam::push([](widgets::Form& dialog) {
            dialog.component<widgets::BitBtn>(QStringLiteral("biAnnuler"))->click();
        });
    }
    // Selects `fileName` in the select-dictionary dialog and clicks OK; the
    // caption and list the dialog showed are kept for checks.
    void pickFile(const QString& fileName) {
        widgets::ModalSeam::push([this, fileName](widgets::Form& dialog) {
            auto* list = dialog.component<widgets::FileListBox>(QStringLiteral("fiDico"));
            seenCaption = dialog.caption();
            seenFiles = list->fileNames();
            QVERIFY(list->selectFile(fileName));
            dialog.component<widgets::BitBtn>(QStringLiteral("biOK"))->click();
        });
    }

    // ---- Commands as the user gives them ----------------------------------
    void click(const char* buttonName) {
        auto* button = window->component<widgets::SpeedButton>(QLatin1String(buttonName));
        QVERIFY2(button && button->isEnabled(), buttonName);
        button->click();
    }
    void trigger(const char* itemName) {
        auto* item = window->component<widgets::MenuItem>(QLatin1String(itemName));
        QVERIFY2(item && item->isEnabled(), itemName);
        item->trigger();
    }
    // New with Yes to the question.
    void newDictionary(const QString& name) {
        typeName(name);
        widgets::MessageSeam::pushAnswer(widgets::mrYes);
        click("spNouveau");
    }
    void openDictionary(const QString& fileName) {
        pickFile(fileName);
        click("spOuvrir");
    }
    // paye.DB opened through the Open command, holding the table CLIENTS
    // with its field NOM.
    void openFilledDictionary() {
        makeDictionaryFile(QStringLiteral("paye.DB"));
        openDictionary(QStringLiteral("paye.DB"));
        addTable(QStringLiteral("CLIENTS"), {QStringLiteral("NOM")});
    }
    // An empty dictionary file in the data directory, made outside the window.
    void makeDictionaryFile(const QString& fileName) const {
        QDir().mkpath(dataDir());
        store::CreateDicoFile(dataFile(fileName));
    }

    // Writes the rows capture would write for one table through the tables
    // view: the table entry, then one field entry per field.
    void addTable(const QString& table, const QStringList& fields) {
        QList<QPair<QString, QString>> typed;
        for (const QString& field : fields)
            typed.append({field, QStringLiteral("ftString")});
        addTypedTable(table, typed);
    }
    // The same with a type of its own for each field entry (an option label
    // such as "ixUnique" makes it an index row).
    void addTypedTable(const QString& table, const QList<QPair<QString, QString>>& fields) {
        dataset::Table& view = *window->taDico;
        int number = nextNumber();
        appendRow(view, number++, table, QString(), QString(), true);
        for (const auto& [field, type] : fields)
            appendRow(view, number++, table, field, type, false);
        // As every writer does when done: the store brings the fields view
        // back, the window refreshes its commands.
        window->Store->ReopenFieldsView();
        window->UpdateCommands();
    }

    QTemporaryDir dir;
    SeamGuard seams;
    Tf_Main* window = nullptr;
    Tf_CodeG* codeWindow = nullptr; // created hidden after the main window, as at start-up
    QString seenCaption;
    QStringList seenFiles;

private:
    int nextNumber() const {
        dataset::Table& check = *window->taCheck;
        check.Close();
        check.setTableName(window->taDico->TableName());
        check.setIndexFieldNames(QStringLiteral("NoEnreg"));
        check.Open();
        check.Last();
        const int number =
            check.IsEmpty() ? 1 : check.FieldByName(QStringLiteral("NoEnreg"))->AsInteger() + 1;
        check.Close();
        return number;
    }
    static void appendRow(dataset::Table& view, int number, const QString& table,
                          const QString& field, const QString& type, bool tableEntry) {
        view.Append();
        view.FieldByName(QStringLiteral("NoEnreg"))->setAsInteger(number);
        view.FieldByName(QStringLiteral("Table"))->setAsString(table);
        if (tableEntry) {
            view.FieldByName(QStringLiteral("CT"))->setAsBoolean(true);
        } else {
            view.FieldByName(QStringLiteral("Champ"))->setAsString(field);
            view.FieldByName(QStringLiteral("Type"))->setAsString(type);
            view.FieldByName(QStringLiteral("Longueur"))->setAsInteger(10);
            view.FieldByName(QStringLiteral("CC"))->setAsBoolean(true);
        }
        view.Post();
    }
};
