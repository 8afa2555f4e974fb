#pragma once
// Enumerations shared by the dataset classes.

namespace dataset {

// What a table view is doing. Inactive: closed. Browse: open, moving between rows.
// Edit: the current row is being changed. Insert: a new row is being built (Append/Insert).
enum class DataSetState { Inactive, Browse, Edit, Insert };

enum class TableType { Default, Paradox };

// Field types, numbered as the classic data-access layer numbers them (0..21). These are
// the type codes reported for fields and used to define new fields.
enum FieldType : int {
    ftUnknown = 0,
    ftString = 1,
    ftSmallint = 2,
    ftInteger = 3,
    ftWord = 4,
    ftBoolean = 5,
    ftFloat = 6,
    ftCurrency = 7,
    ftBCD = 8,
    ftDate = 9,
    ftTime = 10,
    ftDateTime = 11,
    ftBytes = 12,
    ftVarBytes = 13,
    ftAutoInc = 14,
    ftBlob = 15,
    ftMemo = 16,
    ftGraphic = 17,
    ftFmtMemo = 18,
    ftParadoxOle = 19,
    ftDBaseOle = 20,
    ftTypedBinary = 21,
};

// Index options, the same bits as the engine's.
enum IndexOption : unsigned {
    ixPrimary = 1,
    ixUnique = 2,
    ixDescending = 4,
    ixCaseInsensitive = 8,
    ixExpression = 16,
};
using IndexOptions = unsigned;

} // namespace dataset
