#pragma once

#include "framework/widgets/ModalResult.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class QEventLoop;
class QMenuBar;

namespace widgets {

class Button;

// A window of the system. It owns its components by name: every component
// created inside it (or given it as owner) is listed in creation order and can
// be found by its component name without regard to letter case. Docked
// children are laid out in the client area, below the menu bar if there is one.
//
// The window's events reach the subclass through the virtual hooks below,
// each run through the error guard, so an engine or dataset error inside a
// handler is shown and the program goes on.
class Form : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(QString Hint READ hint WRITE setHint)

public:
    explicit Form(QWidget* parent = nullptr, const QString& name = {});
    ~Form() override;

    QString caption() const;
    void setCaption(const QString& caption);
    QString hint() const;
    void setHint(const QString& hint);

    // Ownership of components.
    void addComponent(QObject* component);
    // Adds `root` and, depth first, every named object below it: a table
    // view together with its persistent fields, for example.
    void addComponents(QObject* root);
    QObject* findComponent(const QString& name) const;
    QList<QObject*> components() const;
    template <class T> T* component(const QString& name) const {
        return qobject_cast<T*>(findComponent(name));
    }

    // Tells every owned component that the window is complete (see Loadable).
    // A window's constructor calls it once, after building its components.
    void finishLoading();

    // The menu bar, kept at the top, out of the docked layout.
    void setMenuBar(QMenuBar* bar);
    QMenuBar* menuBar() const;

    // Size of the area below the menu bar.
    void setClientSize(int width, int height);
    int clientWidth() const;
    int clientHeight() const;

    // Centres the window on the screen that the screen seam reports.
    void centreOnScreen();

    // Modal showing: returns the result the window was closed with (mrCancel
    // when closed by its close box). Setting a result other than mrNone while
    // the window runs modally closes it, provided the close query agrees.
    int showModal();
    bool isShowingModal() const;
    int modalResult() const;
    void setModalResult(int result);

protected:
    virtual void onShow() {}
    virtual void onResize() {}
    virtual void onActivate() {}
    virtual void onCloseQuery(bool& canClose) { (void)canClose; }

    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool queryClose();
    Button* findButton(bool wantCancel) const;
    void placeMenuBar();
    int menuHeightFor(int windowWidth) const;

    QList<QPointer<QObject>> m_components;
    QPointer<QMenuBar> m_menuBar;
    QString m_hint;
    QEventLoop* m_modalLoop = nullptr;
    int m_modalResult = mrNone;
    int m_modalSession = 0;
};

} // namespace widgets
