#pragma once
// One field of a table view. A field is either persistent, declared on the table before it
// opens (Table::AddField) and living as long as the table, with display attributes that
// survive closing and reopening; or dynamic, made by Open for every field of the file when
// the table declares none, and destroyed by Close.
//
// Values are those of the view's current row (or of the row being edited or inserted).
// Reading never fails: a null value reads as "" / 0 / false. Writing needs the table in
// Edit or Insert state and a value the field's type can hold; text longer than a string
// field is cut to the field's width.
//
// The object name of a persistent field is the table's object name followed by the field
// name ("taDicoTable"), so that windows and word tables find it like any component.

#include "framework/dataset/DataTypes.h"
#include "framework/dataset/FieldNameKey.h"

#include <QObject>
#include <QString>
#include <QVariant>

#include <string_view>

namespace dataset {

class Table;

class Field : public QObject {
    Q_OBJECT
public:
    Table* DataSet() const { return m_table; }
    QString FieldName() const { return m_fieldName; }
    // The type of the field in the open file (or as declared while closed).
    FieldType DataType() const { return m_dataType; }
    int Size() const { return m_size; }
    bool IsPersistent() const { return m_persistent; }
    // Position among the table's fields (persistent: declaration order).
    int Index() const;
    // Whether the field reads a column of an open file. A field made by Open stops for good
    // when its table closes, even while its deletion is still pending.
    bool isBound() const { return m_column >= 0; }

    // The label shown for the field: the one set, or the field name when none is set.
    QString DisplayLabel() const;
    void setDisplayLabel(const QString& label);
    // Width in characters: the one set, else the string length, else 10.
    int DisplayWidth() const;
    void setDisplayWidth(int width);
    bool Visible() const { return m_visible; }
    void setVisible(bool visible);

    bool IsNull() const;
    QString AsString() const;
    int AsInteger() const;
    bool AsBoolean() const;
    double AsFloat() const;
    // Null reads as an invalid QVariant; otherwise the natural Qt type of the value.
    QVariant Value() const;

    void setAsString(const QString& text);
    void setAsInteger(int value);
    void setAsBoolean(bool value);
    void setAsFloat(double value);
    void setValue(const QVariant& value); // an invalid or null QVariant clears
    void Clear();

signals:
    // The label, width or visibility changed: views showing the field re-lay out.
    void displayChanged();

private:
    friend class Table;
    Field(Table* table, const QString& fieldName, bool persistent);

    Table* m_table;
    QString m_fieldName;
    FieldNameKey m_nameKey; // what a lookup by name compares first
    QByteArray m_asciiName; // the name's bytes, compared past the key's eight
    bool m_persistent;
    FieldType m_dataType = ftUnknown;
    int m_size = 0;
    int m_defaultWidth = 10;
    int m_column = -1;      // position in the engine row while the table is open
    QString m_displayLabel; // empty: show the field name
    int m_displayWidth = 0; // 0: the default width
    bool m_visible = true;
    // The text AsString gave last. A walk reads the field row after row: while nobody
    // holds the previous text any more, the next one is written into its room instead of
    // a new allocation (a holder keeps its copy: the room is then shared and left alone).
    mutable QString m_text;

    QString reusedText(std::string_view latin1) const;
};

} // namespace dataset
