#include "capture/CodeGenerator.h"

#include "capture/IndexOptions.h"
#include "lang/FixedTexts.h"

namespace capture {

QString PascalQuoted(const QString& text) {
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return quoted;
}

// Several lines below end with a blank: it is part of the generated text,
// which must stay identical from one version of the program to the next.
void CodeGenerator::GenBeginTable(const QString& tableName) {
    m_primarySeen = false;
    m_primaryFields.clear();
    m_secondaryOpen = false;

    add(QStringLiteral("with TableCreate do  // Beginning generation ") + tableName);
    add(QStringLiteral("begin"));
    add(QStringLiteral("  Close;"));
    add(QStringLiteral("  TableName := '") + PascalQuoted(tableName) + QStringLiteral("';"));
    add(QStringLiteral("  TableType := ttParadox;"));
    add(QString());
    add(QStringLiteral("  with FieldDefs do  //  Fields creation "));
    add(QStringLiteral("  begin"));
    add(QStringLiteral("   Clear;"));
}

void CodeGenerator::GenField(const QString& fieldName, const QString& typeName, int size) {
    add(QStringLiteral("   Add('") + PascalQuoted(fieldName) + QStringLiteral("',") + typeName +
        QLatin1Char(',') + QString::number(size) + QStringLiteral(",False);"));
}

void CodeGenerator::GenEndFields() {
    add(QStringLiteral("  end;{FieldDefs}"));
    add(QString());
}

void CodeGenerator::addTableCreation() {
    add(QString());
    add(QStringLiteral("  TableCreate.CreateTable; // Table creation "));
}

void CodeGenerator::GenIndex(int k, int indexCount, const QString& indexName,
                             const QString& fieldList, unsigned options) {
    if (options & ixPrimary) {
        add(QStringLiteral("  TableCreate.IndexDefs.Clear;"));
        add(QStringLiteral("  TableCreate.IndexDefs.Add('") + PascalQuoted(indexName) +
            QStringLiteral("','") + PascalQuoted(fieldList) +
            QStringLiteral("',[ixPrimary]);  // Primary Index "));
        m_primarySeen = true;
        m_primaryFields = fieldList;
    }
    // The table is created right after the first index listed, which is the
    // primary one whenever the table has a primary index.
    if (k == 1)
        addTableCreation();
    if (indexCount <= 1)
        return;
    if (k == 2) {
        m_secondaryOpen = true;
        add(QString());
        add(QStringLiteral("  With IndexDefs do  // Secondary  index"));
        add(QStringLiteral("  Begin"));
        if (!m_primarySeen)
            add(QStringLiteral("   CLear;"));
    }
    // An index on exactly the primary key's fields is not added again; this
    // also keeps the primary index itself out of the secondary block.
    if (fieldList != m_primaryFields) {
        add(QStringLiteral("   TableCreate.AddIndex('") + PascalQuoted(indexName) +
            QStringLiteral("','") + PascalQuoted(fieldList) + QStringLiteral("',[") +
            OwnOptionName(options) + QStringLiteral("]);"));
    }
}

void CodeGenerator::GenEndTable(const QString& tableName, int indexCount) {
    if (indexCount == 0)
        addTableCreation();
    if (m_secondaryOpen)
        add(QStringLiteral("  end; {IndexDefs}"));
    add(QStringLiteral("end; // End of creation ") + tableName);
    add(QString());
    add(QString());
}

void CodeGenerator::ShowLineCount() {
    m_text.setTitle(lang::fixed::linesGenerated() + QString::number(m_text.lineCount()));
}

} // namespace capture
