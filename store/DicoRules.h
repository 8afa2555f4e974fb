#pragma once

#include <QString>

namespace dataset {
class Table;
}

namespace store {

// The rules every writer and reader of a dictionary keeps, in one place: how a
// new row is numbered, when a table name is already taken, and how an index
// row is told from a field entry.
class DicoRules {
public:
    // One more than the highest NoEnreg in the dictionary `dico` is open on, 1
    // in an empty one. `check` is a view of its own, opened on the same file in
    // NoEnreg order and left closed: it sees the pending writes of the
    // dictionary's views, which a capture's transaction relies on.
    static int NextNumber(dataset::Table& check, const dataset::Table& dico);
    // True when a row of the dictionary carries this table name. Only the first
    // 12 characters count and letter case is ignored: the case-insensitive
    // index on Table cuts its key to the field's size, so two names that agree
    // on those are the same table.
    static bool NameTaken(dataset::Table& check, const dataset::Table& dico,
                          const QString& tableName);

    // Whether a field entry whose Type is `type` records an index. Capture
    // writes an index's option label there: "ix" and the option's name, or
    // nothing for a first index that has no option (a field entry always gets
    // its field's type name). Readers of a whole dictionary sort rows by it.
    static bool IsIndexRow(const QString& type);
    // Whether the description of a field entry whose Type is `type` is locked
    // (it lists the index's fields): its Type begins with "ix" or "IX", in
    // exactly one of those two spellings. Narrower than IsIndexRow on purpose:
    // an unlabelled first index keeps a description the user may change, as it
    // always could, and a row typed in by hand as "IX..." stays locked.
    static bool DescriptionLocked(const QString& type);
};

} // namespace store
