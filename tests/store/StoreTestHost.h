#pragma once
// A headless stand-in for the main window: records what the store asks of it,
// looks message texts up in the main window's real word table, and holds what
// the window keeps for captures (the "Generate code" check, the code text).

#include "capture/CodeText.h"
#include "framework/widgets/MessageDlg.h"
#include "framework/widgets/MessageSeam.h"
#include "lang/TMultiLang.h"
#include "lang/Vocabulary.h"
#include "store/AppDir.h"
#include "store/DictionaryStore.h"
#include "store/StoreHost.h"

#include <QDir>
#include <QObject>
#include <QTemporaryDir>

class StoreTestHost : public store::StoreHost {
public:
    explicit StoreTestHost(int language = 1) {
        lang::Vocabulary::applyDesign(ml, QStringLiteral("Tf_Main"));
        ml.setActiveLanguage(quint8(language));
    }

    // Counts the store's state changes, as the window refreshes its commands
    // on each of them.
    void follow(store::DictionaryStore& store) {
        QObject::connect(&store, &store::DictionaryStore::stateChanged, &window,
                         [this] { UpdateCommands(); });
    }
    void UpdateCommands() { ++updates; }
    void setCaption(const QString& caption) override { captions.append(caption); }
    void repaintNow() override { ++repaints; }
    QString GetWord(const QString& key) override { return ml.GetWord(key); }
    // As the main window does, so that the seam sees each warning box.
    virtual void showWarning(const QString& text) {
        widgets::MessageDlg(text, widgets::mtWarning, widgets::mbOK);
    }

    QString caption() const { return captions.isEmpty() ? QString() : captions.last(); }

    QObject window; // owns the components, as the main window does
    lang::TMultiLang ml{&window};
    int updates = 0;
    int repaints = 0;
    QStringList captions;
    bool generating = true;
    capture::CodeLines code;
};

// A temporary application directory for one test, with message boxes answered
// by the seam: a box nobody expected fails the test instead of waiting.
class TempAppDir {
public:
    TempAppDir() {
        store::setAppDirOverride(dir.path());
        widgets::MessageSeam::clear();
        widgets::MessageSeam::setStrict(true);
    }
    ~TempAppDir() {
        store::setAppDirOverride(QString());
        widgets::MessageSeam::clear();
    }
    QString dataDir() const { return dir.path() + QStringLiteral("/Datas"); }
    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }

    QTemporaryDir dir;
};

// A store on a fresh application directory, its data directory prepared as
// the main window's creation leaves it.
struct PreparedStore {
    explicit PreparedStore(int language = 1) : host(language) {
        host.follow(store);
        store.PrepareDataDir();
    }

    TempAppDir app;
    StoreTestHost host;
    store::DictionaryStore store{&host.window, host};
};
