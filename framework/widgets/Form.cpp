#include "framework/widgets/Form.h"

#include "framework/widgets/Align.h"
#include "framework/widgets/Button.h"
#include "framework/widgets/Component.h"
#include "framework/widgets/ErrorGuard.h"
#include "framework/widgets/Loadable.h"
#include "framework/widgets/ModalSeam.h"
#include "framework/widgets/Screen.h"
#include "framework/widgets/TestFailure.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QTimer>

namespace widgets {

Form::Form(QWidget* parent, const QString& name) : QWidget(parent, Qt::Window) {
    // A window given another window as parent is one of its components.
    adopt(this, name, parent);
}

Form::~Form() {
    // A window destroyed while it runs modally ends its modal loop.
    if (m_modalLoop)
        m_modalLoop->quit();
}

QString Form::caption() const {
    return windowTitle();
}

void Form::setCaption(const QString& caption) {
    setWindowTitle(caption);
}

QString Form::hint() const {
    return m_hint;
}

void Form::setHint(const QString& hint) {
    m_hint = hint;
    setToolTip(hint);
}

void Form::addComponent(QObject* component) {
    if (!component || component == this || m_components.contains(component))
        return;
    m_components.append(component);
}

void Form::addComponents(QObject* root) {
    if (!root->objectName().isEmpty())
        addComponent(root);
    for (QObject* child : root->children())
        addComponents(child);
}

QObject* Form::findComponent(const QString& name) const {
    if (name.isEmpty())
        return nullptr;
    for (const QPointer<QObject>& c : m_components) {
        if (c && c->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return c;
    }
    return nullptr;
}

QList<QObject*> Form::components() const {
    QList<QObject*> live;
    for (const QPointer<QObject>& c : m_components) {
        if (c)
            live.append(c);
    }
    return live;
}

void Form::finishLoading() {
    for (QObject* c : components()) {
        if (auto* loadable = dynamic_cast<Loadable*>(c))
            loadable->loaded();
    }
}

void Form::setMenuBar(QMenuBar* bar) {
    m_menuBar = bar;
    if (bar) {
        bar->setParent(this);
        bar->show();
    }
    placeMenuBar();
}

QMenuBar* Form::menuBar() const {
    return m_menuBar;
}

int Form::menuHeightFor(int windowWidth) const {
    if (!m_menuBar)
        return 0;
    // A narrow window wraps the menu bar onto more lines.
    const int wrapped = m_menuBar->heightForWidth(windowWidth);
    return wrapped > 0 ? wrapped : m_menuBar->sizeHint().height();
}

void Form::placeMenuBar() {
    const int reserved = menuHeightFor(width());
    if (m_menuBar)
        m_menuBar->setGeometry(0, 0, width(), reserved);
    reserveTop(this, reserved);
}

void Form::setClientSize(int width, int height) {
    resize(width, height + menuHeightFor(width));
}

int Form::clientWidth() const {
    return clientRectOf(this).width();
}

int Form::clientHeight() const {
    return clientRectOf(this).height();
}

void Form::centreOnScreen() {
    const QSize screen = Screen::current().size();
    move((screen.width() - width()) / 2, (screen.height() - height()) / 2);
}

int Form::showModal() {
    m_modalResult = mrNone;
    ModalSeam::Action action = ModalSeam::takeNext();
    if (!action && ModalSeam::strict()) {
        TestFailure::report(
            QStringLiteral("Fenêtre modale « %1 » sans action prévue").arg(objectName()));
        return mrCancel;
    }
    const Qt::WindowModality before = windowModality();
    setWindowModality(Qt::ApplicationModal);
    show();
    // Platforms without a window manager (offscreen tests) cannot raise.
    if (QGuiApplication::platformName() != QStringLiteral("offscreen"))
        raise();
    activateWindow();
    const int session = ++m_modalSession;
    if (action) {
        QTimer::singleShot(0, this, [this, action] { action(*this); });
        // An action may close the window later (from a timer of its own), but
        // a window it leaves open must not hang the test.
        QTimer::singleShot(ModalSeam::graceMs(), this, [this, session] {
            if (m_modalLoop && session == m_modalSession) {
                TestFailure::report(QStringLiteral("La fenêtre modale « %1 » est restée ouverte")
                                        .arg(objectName()));
                m_modalResult = mrCancel;
                m_modalLoop->quit();
            }
        });
    }
    QEventLoop loop;
    m_modalLoop = &loop;
    const QPointer<Form> self(this);
    if (m_modalResult == mrNone && isVisible())
        loop.exec(QEventLoop::DialogExec);
    if (!self) // destroyed while it ran: nothing of it may be touched
        return mrCancel;
    m_modalLoop = nullptr;
    hide();
    setWindowModality(before);
    if (m_modalResult == mrNone)
        m_modalResult = mrCancel;
    return m_modalResult;
}

bool Form::isShowingModal() const {
    return m_modalLoop != nullptr;
}

int Form::modalResult() const {
    return m_modalResult;
}

void Form::setModalResult(int result) {
    m_modalResult = result;
    if (!m_modalLoop || result == mrNone)
        return;
    // Checked once the current event is handled, as a modal loop does: a
    // click handler that runs after the button set the result may still take
    // it back, and the close query may refuse.
    QTimer::singleShot(0, this, [this] {
        if (!m_modalLoop || m_modalResult == mrNone)
            return;
        if (!queryClose()) {
            m_modalResult = mrNone;
            return;
        }
        m_modalLoop->quit();
    });
}

bool Form::queryClose() {
    bool canClose = true;
    runGuarded([&] { onCloseQuery(canClose); });
    return canClose;
}

Button* Form::findButton(bool wantCancel) const {
    for (QObject* c : components()) {
        auto* b = qobject_cast<Button*>(c);
        if (b && b->isVisible() && b->isEnabled() && (wantCancel ? b->isCancel() : b->isDefault()))
            return b;
    }
    return nullptr;
}

void Form::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        runGuarded([this] { onShow(); });
}

void Form::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (m_modalLoop && !event->spontaneous()) {
        if (m_modalResult == mrNone)
            m_modalResult = mrCancel;
        m_modalLoop->quit();
    }
}

void Form::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeMenuBar();
    runGuarded([this] { onResize(); });
}

void Form::closeEvent(QCloseEvent* event) {
    if (!queryClose()) {
        event->ignore();
        return;
    }
    if (m_modalLoop && m_modalResult == mrNone)
        m_modalResult = mrCancel;
    event->accept();
}

void Form::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool escape = event->key() == Qt::Key_Escape;
    if (enter || escape) {
        if (Button* b = findButton(escape)) {
            b->click();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

void Form::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        runGuarded([this] { onActivate(); });
}

} // namespace widgets
