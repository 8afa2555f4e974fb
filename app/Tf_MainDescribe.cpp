// The main window's commands on the rows of the open dictionary: describing
// and deleting tables and fields, and what in-place editing in the two grids
// may change.

#include "app/Tf_Main.h"

#include "describe/DescriptionCommands.h"
#include "describe/Tf_Descrip.h"
#include "framework/dataset/Field.h"
#include "framework/dataset/Table.h"
#include "framework/widgets/DataGrid.h"
#include "framework/widgets/MenuItem.h"
#include "store/DicoRules.h"
#include "store/DictionaryStore.h"

namespace {
const QString kDescription = QStringLiteral("Description");
}

void Tf_Main::itTableDescrClick() {
    // A double-click on the tables grid reaches here whatever the menu says.
    if (!itTableDescr->isEnabled() || !f_Descrip)
        return;
    postPendingRows();
    if (DescriptionCommands(*Store, *ML, *f_Descrip).DescribeTable())
        UpdateCommands();
}

void Tf_Main::spDescrChampClick() {
    if (!itDescrChamps->isEnabled() || !f_Descrip)
        return;
    postPendingRows();
    if (DescriptionCommands(*Store, *ML, *f_Descrip).DescribeField())
        UpdateCommands();
}

void Tf_Main::spSupTableClick() {
    if (!f_Descrip)
        return;
    postPendingRows();
    refreshingCommands([this] { DescriptionCommands(*Store, *ML, *f_Descrip).DeleteTable(); });
}

// Reached only from the hidden button: deleting a single field entry is
// kept, but not offered.
void Tf_Main::spSupChampClick() {
    if (!f_Descrip)
        return;
    postPendingRows();
    refreshingCommands([this] { DescriptionCommands(*Store, *ML, *f_Descrip).DeleteField(); });
}

// A deletion asks first: whatever the answer, and whether or not the rows
// could go, the commands follow the dictionary as it now is.
void Tf_Main::refreshingCommands(const std::function<void()>& deletion) {
    try {
        deletion();
    } catch (...) {
        UpdateCommands();
        throw;
    }
    UpdateCommands();
}

// ---- In-place editing -----------------------------------------------------------------

// What capture recorded (names, types, sizes) stays as the source table has
// it: in place only descriptions change, and an index row's description,
// which lists the index's fields, not even that. A row being inserted in the
// fields grid is typed whole.
void Tf_Main::setGridEditing() {
    grTables->setCellEditable(
        [](const dataset::Field& field, bool) { return field.FieldName() == kDescription; });
    grChamps->setCellEditable([this](const dataset::Field& field, bool newRow) {
        return fieldsCellEditable(field, newRow);
    });
    grChamps->setNewRowFiller([this](dataset::Table& view) { fillNewFieldEntry(view); });
}

bool Tf_Main::fieldsCellEditable(const dataset::Field& field, bool newRow) const {
    if (newRow)
        return true;
    if (field.FieldName() != kDescription)
        return false;
    return !store::DicoRules::DescriptionLocked(
        taChamps->FieldByName(QStringLiteral("Type"))->AsString());
}

// A field entry typed into the grid is numbered after the highest number, as
// capture numbers its rows, and belongs to the current table entry.
void Tf_Main::fillNewFieldEntry(dataset::Table& view) {
    view.FieldByName(QStringLiteral("NoEnreg"))->setAsInteger(nextRecordNumber());
    view.FieldByName(QStringLiteral("Table"))
        ->setAsString(taDico->FieldByName(QStringLiteral("Table"))->AsString());
    view.FieldByName(QStringLiteral("CC"))->setAsBoolean(true);
}

int Tf_Main::nextRecordNumber() const {
    return store::DicoRules::NextNumber(*taCheck, *taDico);
}
