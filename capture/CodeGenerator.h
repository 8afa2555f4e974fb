#pragma once

#include "capture/CodeText.h"

namespace capture {

// Writes, step by step as a capture walks a table, the Delphi block that
// recreates the table: field definitions, primary index, table creation,
// secondary indexes. Each step only appends lines to the code text.
//
// Names, field lists and the table name are written as given, except that
// inside the Pascal string literals every apostrophe is doubled, so that a
// name such as l'adresse still gives code that compiles. The comments that
// name the table keep it as it is.
class CodeGenerator {
public:
    explicit CodeGenerator(CodeText& text) : m_text(text) {}

    void GenBeginTable(const QString& tableName);
    void GenField(const QString& fieldName, const QString& typeName, int size);
    void GenEndFields();
    // k counts from 1 in the order the engine lists the indexes (primary first).
    void GenIndex(int k, int indexCount, const QString& indexName, const QString& fieldList,
                  unsigned options);
    void GenEndTable(const QString& tableName, int indexCount);
    // Puts the number of lines of the whole code text into its title.
    void ShowLineCount();

    CodeText& text() { return m_text; }

private:
    void add(const QString& line) { m_text.appendLine(line); }
    void addTableCreation();

    CodeText& m_text;
    // Per-table state, reset by GenBeginTable.
    bool m_primarySeen = false;
    QString m_primaryFields;
    bool m_secondaryOpen = false;
};

// The text of a Pascal string literal's inside: apostrophes doubled.
QString PascalQuoted(const QString& text);

} // namespace capture
