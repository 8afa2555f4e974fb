#include "lang/StandardKinds.h"

#include "lang/ComponentKinds.h"
#include "lang/WordCursor.h"

#include "framework/dataset/Field.h"
#include "framework/widgets/ComboBox.h"
#include "framework/widgets/DBNavigator.h"
#include "framework/widgets/DataGrid.h"
#include "framework/widgets/FilterComboBox.h"
#include "framework/widgets/Form.h"
#include "framework/widgets/ListBox.h"
#include "framework/widgets/Memo.h"
#include "framework/widgets/MenuItem.h"
#include "framework/widgets/RadioGroup.h"
#include "framework/widgets/SaveDialog.h"
#include "framework/widgets/StatusBar.h"
#include "framework/widgets/TabControl.h"
#include "framework/widgets/TreeView.h"

namespace lang {

namespace {

template <class T> std::function<bool(const QObject*)> isA() {
    return [](const QObject* o) { return qobject_cast<const T*>(o) != nullptr; };
}

template <class T> std::function<void(WordCursor&, QObject*)> on(void (*apply)(WordCursor&, T*)) {
    return [apply](WordCursor& cursor, QObject* o) { apply(cursor, static_cast<T*>(o)); };
}

void listBox(WordCursor& c, widgets::ListBox* box) {
    applyListRule(c, box->itemCount(), [box](int k, const QString& t) { box->setItemText(k, t); });
}

void dataGrid(WordCursor& c, widgets::DataGrid* grid) {
    applyColumnRule(c, grid->columnCount(),
                    [grid](int k, const QString& t) { grid->setColumnTitle(k, t); });
}

void field(WordCursor& c, dataset::Field* f) {
    QString text;
    if (c.take(&text))
        f->setDisplayLabel(text);
}

void navigator(WordCursor& c, widgets::DBNavigator* nav) {
    applyNavigatorRule(c, [nav](const QStringList& hints) { nav->setHints(hints); });
}

void form(WordCursor& c, widgets::Form* window) {
    QString text;
    if (c.take(&text))
        window->setCaption(text);
}

void radioGroup(WordCursor& c, widgets::RadioGroup* group) {
    QString text;
    if (c.take(&text))
        group->setCaption(text);
    // The items start at the next entry whatever its key.
    applyListRule(c, group->itemCount(),
                  [group](int k, const QString& t) { group->setItemText(k, t); });
}

void tabControl(WordCursor& c, widgets::TabControl* tabs) {
    applyListRule(c, tabs->count(), [tabs](int k, const QString& t) { tabs->setTabText(k, t); });
}

// Trees take nothing: the hint step passes their own entry over.
void treeView(WordCursor&, widgets::TreeView*) {}

void filterComboBox(WordCursor& c, widgets::FilterComboBox* box) {
    QString text;
    if (c.take(&text))
        box->setFilter(text);
}

void memo(WordCursor& c, widgets::Memo* m) {
    // The lines are set one by one: the rule never changes their number.
    QStringList lines = m->lines();
    applyListRule(c, static_cast<int>(lines.size()),
                  [&lines](int k, const QString& t) { lines[k] = t; });
    if (lines != m->lines())
        m->setLines(lines);
}

void statusBar(WordCursor& c, widgets::StatusBar* bar) {
    QString text;
    if (!c.take(&text))
        return;
    bar->setSimpleText(text);
    applyPanelRule(c, bar->panelCount(),
                   [bar](int k, const QString& t) { bar->setPanelText(k, t); });
}

void comboBox(WordCursor& c, widgets::ComboBox* box) {
    const int selected = box->itemIndex();
    applyListRule(c, box->itemCount(), [box](int k, const QString& t) { box->setItemText(k, t); });
    box->setItemIndex(selected);
}

void saveDialog(WordCursor& c, widgets::SaveDialog* dialog) {
    QString text;
    if (!c.take(&text))
        return;
    dialog->setFilter(text);
    // The next entry is the title, whatever its key.
    if (c.take(&text))
        dialog->setTitle(text);
}

void menuItem(WordCursor& c, widgets::MenuItem* item) {
    QString text;
    if (c.take(&text))
        item->setCaption(text);
}

// Any other component: a published Caption takes one entry, then a published
// Text takes the next; a component with both takes two.
void other(WordCursor& c, QObject* component) {
    QString text;
    if (publishes(component, "Caption") && c.take(&text))
        component->setProperty("Caption", text);
    if (publishes(component, "Text") && c.take(&text))
        component->setProperty("Text", text);
}

} // namespace

void registerStandardKinds() {
    ComponentKinds::add({1, QStringLiteral("list box"), isA<widgets::ListBox>(), on(listBox)});
    ComponentKinds::add({4, QStringLiteral("data grid"), isA<widgets::DataGrid>(), on(dataGrid)});
    ComponentKinds::add({6, QStringLiteral("data field"), isA<dataset::Field>(), on(field)});
    ComponentKinds::add(
        {7, QStringLiteral("navigator"), isA<widgets::DBNavigator>(), on(navigator)});
    ComponentKinds::add({8, QStringLiteral("window"), isA<widgets::Form>(), on(form)});
    ComponentKinds::add(
        {9, QStringLiteral("radio group"), isA<widgets::RadioGroup>(), on(radioGroup)});
    ComponentKinds::add({10, QStringLiteral("memo"), isA<widgets::Memo>(), on(memo)});
    ComponentKinds::add(
        {13, QStringLiteral("tab control"), isA<widgets::TabControl>(), on(tabControl)});
    ComponentKinds::add({16, QStringLiteral("tree view"), isA<widgets::TreeView>(), on(treeView)});
    ComponentKinds::add(
        {17, QStringLiteral("status bar"), isA<widgets::StatusBar>(), on(statusBar)});
    ComponentKinds::add({18, QStringLiteral("combo box"), isA<widgets::ComboBox>(), on(comboBox)});
    ComponentKinds::add(
        {20, QStringLiteral("save dialog"), isA<widgets::SaveDialog>(), on(saveDialog)});
    ComponentKinds::add({19, QStringLiteral("filter combo box"), isA<widgets::FilterComboBox>(),
                         on(filterComboBox)});
    ComponentKinds::add({21, QStringLiteral("menu item"), isA<widgets::MenuItem>(), on(menuItem)});
    ComponentKinds::add({23, QStringLiteral("other"), [](const QObject*) { return true; }, other});
}

} // namespace lang
