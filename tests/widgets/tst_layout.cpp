// Docked layout of windows and panels: top, bottom, left, right and client
// docking in the space below the menu bar, hidden controls, re-docking in
// position order, and the splitter between two docked grids.

#include "framework/widgets/Align.h"
#include "framework/widgets/DataGrid.h"
#include "framework/widgets/Form.h"
#include "framework/widgets/MainMenu.h"
#include "framework/widgets/MenuItem.h"
#include "framework/widgets/Panel.h"
#include "framework/widgets/Splitter.h"
#include "framework/widgets/StatusBar.h"

#include <QTest>

using namespace widgets;

namespace {

// The main window's arrangement: a toolbar panel at the top, a status bar at
// the bottom, a grid docked left, a splitter, a grid filling the rest.
struct MainLike {
    Form window{nullptr, QStringLiteral("f_Main")};
    MainMenu* menu = new MainMenu(&window, QStringLiteral("mnuPrinc"));
    Panel* top = new Panel(&window, QStringLiteral("paHaut"));
    DataGrid* left = new DataGrid(&window, QStringLiteral("grTables"));
    Splitter* splitter = new Splitter(&window, QStringLiteral("RxSplitter1"));
    DataGrid* rest = new DataGrid(&window, QStringLiteral("grChamps"));
    StatusBar* status = new StatusBar(&window, QStringLiteral("StatusBar1"));

    MainLike() {
        new MenuItem(menu, QStringLiteral("mnDico"), QStringLiteral("&Dictionnaire"));
        window.setMenuBar(menu);
        top->resize(100, 32);
        setAlign(top, Align::Top);
        status->resize(100, 16);
        left->setGeometry(0, 0, 339, 10);
        setAlign(left, Align::Left);
        splitter->setGeometry(339, 0, 3, 10);
        setAlign(splitter, Align::Left);
        setAlign(rest, Align::Client);
        window.resize(652, 456);
    }
    int menuHeight() const { return menu->height(); }
};

} // namespace

class TestLayout : public QObject {
    Q_OBJECT

private slots:
    void dockedControlsShareTheClientArea();
    void hiddenControlsLeaveTheirSpace();
    void redockingKeepsThePositionOrder();
    void resizingADockedControlMovesTheOthers();
    void draggingTheSplitterResizesTheControlBeforeIt();
    void panelLaysOutInsideItsBevels();
};

void TestLayout::dockedControlsShareTheClientArea() {
    MainLike m;
    m.window.show();
    const int top = m.menuHeight();
    QVERIFY(top > 0);
    QCOMPARE(m.top->geometry(), QRect(0, top, 652, 32));
    QCOMPARE(m.status->geometry(), QRect(0, 456 - 16, 652, 16));
    const int bodyTop = top + 32;
    const int bodyHeight = 456 - 16 - bodyTop;
    QCOMPARE(m.left->geometry(), QRect(0, bodyTop, 339, bodyHeight));
    QCOMPARE(m.splitter->geometry(), QRect(339, bodyTop, 3, bodyHeight));
    QCOMPARE(m.rest->geometry(), QRect(342, bodyTop, 652 - 342, bodyHeight));
    QCOMPARE(m.window.clientHeight(), 456 - top);

    m.window.setClientSize(600, 400);
    QCOMPARE(m.window.clientWidth(), 600);
    QCOMPARE(m.window.clientHeight(), 400);

    m.window.resize(800, 500);
    QCOMPARE(m.rest->geometry().right(), 799);
    QCOMPARE(m.status->geometry().top(), 500 - 16);
}

void TestLayout::hiddenControlsLeaveTheirSpace() {
    MainLike m;
    m.window.show();
    m.left->hide();
    QCOMPARE(m.splitter->geometry().left(), 0);
    QCOMPARE(m.rest->geometry().left(), 3);
    m.left->show();
    QCOMPARE(m.rest->geometry().left(), 342);
}

void TestLayout::redockingKeepsThePositionOrder() {
    MainLike m;
    m.window.show();
    // Undock both grids, hide them, then dock them again as the main window
    // does when a dictionary opens: the splitter must end up between them.
    setAlign(m.left, Align::None);
    setAlign(m.rest, Align::None);
    m.left->hide();
    m.rest->hide();
    m.left->show();
    m.rest->show();
    setAlign(m.left, Align::Left);
    setAlign(m.rest, Align::Client);
    QCOMPARE(m.left->geometry().left(), 0);
    QCOMPARE(m.splitter->geometry().left(), m.left->width());
    QCOMPARE(m.rest->geometry().left(), m.left->width() + 3);
}

void TestLayout::resizingADockedControlMovesTheOthers() {
    MainLike m;
    m.window.show();
    m.left->resize(240, m.left->height());
    QCOMPARE(m.left->width(), 240);
    QCOMPARE(m.splitter->geometry().left(), 240);
    QCOMPARE(m.rest->geometry().left(), 243);
    QCOMPARE(m.rest->geometry().right(), 651);
}

void TestLayout::draggingTheSplitterResizesTheControlBeforeIt() {
    MainLike m;
    m.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m.window));
    QCOMPARE(m.splitter->controlBefore(), m.left);
    const QPoint grip(1, 20);
    QTest::mousePress(m.splitter, Qt::LeftButton, {}, grip);
    QMouseEvent move(QEvent::MouseMove, QPointF(grip + QPoint(-100, 0)),
                     QPointF(m.splitter->mapToGlobal(grip + QPoint(-100, 0))), Qt::LeftButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m.splitter, &move);
    QTest::mouseRelease(m.splitter, Qt::LeftButton, {}, grip + QPoint(-100, 0));
    QCOMPARE(m.left->width(), 239);
    QCOMPARE(m.rest->geometry().left(), 242);
}

void TestLayout::panelLaysOutInsideItsBevels() {
    Form window;
    auto* outer = new Panel(&window, QStringLiteral("Panel1"));
    outer->setBevels(Panel::bvLowered, Panel::bvRaised, 1);
    outer->setGeometry(0, 0, 200, 100);
    auto* inner = new Panel(outer, QStringLiteral("inner"));
    setAlign(inner, Align::Client);
    QCOMPARE(inner->geometry(), QRect(2, 2, 196, 96));
}

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
