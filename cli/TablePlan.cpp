#include "cli/TablePlan.h"

#include "cli/DdlWriter.h"
#include "cli/DictionaryReader.h"
#include "cli/VisibleText.h"

#include "engine/TableFile.h"

#include <filesystem>
#include <map>
#include <ostream>
#include <strings.h>

namespace cli {

namespace {

std::string shown(const std::string& text) {
    return "« " + visibleText(text) + " »";
}

// Index fields name their columns: they follow a column that was renamed.
void renameInIndexes(SqlTable& schema, const std::string& from, const std::string& to) {
    for (SqlIndex& index : schema.indexes)
        for (std::string& field : index.fields)
            if (field == from)
                field = to;
}

bool sameName(const std::string& a, const std::string& b) {
    return strcasecmp(a.c_str(), b.c_str()) == 0;
}

void takeDescriptions(SqlTable& schema, const RecordedTable& recorded) {
    if (recorded.entry.description)
        schema.description = recorded.entry.description->toStdString();
    for (SqlColumn& column : schema.columns)
        for (const store::DicoRow& field : recorded.fields)
            if (field.champ && field.description &&
                sameName(field.champ->toStdString(), column.name))
                column.description = field.description->toStdString();
}

} // namespace

void TablePlan::describe(const std::vector<RecordedTable>& dictionary) {
    for (PlannedTable& table : m_tables)
        for (const RecordedTable& recorded : dictionary)
            if (sameName(SqlTable::nameOfFile(recorded.entry.table.toStdString()),
                         table.schema.name))
                takeDescriptions(table.schema, recorded);
}

TablePlan::TablePlan(const std::vector<std::string>& paths, std::ostream& err) {
    for (const std::string& path : paths) {
        try {
            m_tables.push_back({path, SqlTable::fromTable(*engine::TableFile::open(path))});
        } catch (const std::exception& e) {
            m_complete = false;
            err << visibleText(path) << ": " << visibleText(e.what()) << '\n';
        }
    }
}

bool TablePlan::assignNames(TargetNames::Rule rule, bool renameClashes, std::ostream& err) {
    TargetNames names(rule);
    bool free = nameTables(names, renameClashes, err);
    for (PlannedTable& table : m_tables)
        free = nameColumns(table, rule, renameClashes, err) && free;
    if (free) {
        for (PlannedTable& table : m_tables)
            nameIndexes(table.schema, names);
        linkTables();
    }
    return free;
}

bool TablePlan::nameTables(TargetNames& names, bool renameClashes, std::ostream& err) {
    std::map<std::string, const PlannedTable*> holder; // by the name as the target reads it
    bool free = true;
    for (PlannedTable& table : m_tables) {
        const std::string wanted = table.schema.name;
        const auto [first, isNew] = holder.emplace(names.key(wanted), &table);
        if (isNew) {
            names.take(wanted);
        } else if (renameClashes) {
            table.schema.name = names.takeFree(wanted);
            err << visibleText(table.path) << " -> " << visibleText(table.schema.name) << '\n';
        } else {
            free = false;
            err << visibleText(first->second->path) << " et " << visibleText(table.path)
                << " deviendraient la même table " << shown(wanted)
                << " : la seconde remplacerait la première\n";
        }
    }
    return free;
}

bool TablePlan::nameColumns(PlannedTable& table, TargetNames::Rule rule, bool renameClashes,
                            std::ostream& err) {
    TargetNames names(rule);
    std::map<std::string, std::string> holder;
    bool free = true;
    for (SqlColumn& column : table.schema.columns) {
        const std::string wanted = column.name;
        const auto [first, isNew] = holder.emplace(names.key(wanted), wanted);
        if (isNew) {
            names.take(wanted);
        } else if (renameClashes) {
            column.name = names.takeFree(wanted);
            renameInIndexes(table.schema, wanted, column.name);
            err << visibleText(table.path) << ": " << visibleText(wanted) << " -> "
                << visibleText(column.name) << '\n';
        } else {
            free = false;
            err << visibleText(table.path) << ": les champs " << shown(first->second) << " et "
                << shown(wanted) << " deviendraient la même colonne\n";
        }
    }
    return free;
}

// Indexes and tables share one set of names in both engines; an index name made of
// a long table name and a long index name may also be cut to the same 63 bytes as
// another.
void TablePlan::nameIndexes(SqlTable& schema, TargetNames& names) {
    for (SqlIndex& index : schema.indexes)
        if (!index.has(engine::ixPrimary) && !index.fields.empty())
            index.sqlName = names.takeFree(DdlWriter::indexBaseName(schema, index));
}

namespace {

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return !a.empty() && !b.empty() && std::filesystem::equivalent(a, b, ec);
}

} // namespace

void TablePlan::linkReference(SqlRule& rule) {
    const std::string other = "« " + rule.otherName + " »";
    if (rule.otherFile.empty()) {
        rule.commentOnly = "table " + other + " introuvable";
        return;
    }
    const PlannedTable* parent = nullptr;
    for (const PlannedTable& t : m_tables)
        if (sameFile(t.schema.file, rule.otherFile))
            parent = &t;
    if (!parent) {
        rule.commentOnly = "table " + other + " absente des tables données";
        return;
    }
    const SqlIndex* key = parent->schema.primaryKey();
    const auto& columns = parent->schema.columns;
    if (rule.lookup && (!key || key->fields.size() != 1 || columns.empty() ||
                        !parent->schema.column(key->fields[0]) ||
                        parent->schema.column(key->fields[0]) != &columns[0])) {
        rule.commentOnly = "le premier champ de " + other + " n'est pas sa clé";
        return;
    }
    rule.parentTable = parent->schema.name;
    rule.parentColumnNames.clear();
    for (int p : rule.parentColumns) {
        if (p < 0 || size_t(p) >= columns.size()) {
            rule.commentOnly = "champ absent de " + other;
            return;
        }
        rule.parentColumnNames.push_back(columns[size_t(p)].name);
    }
}

// Depth first: a table goes out after the parents it refers to. state: 0 not seen,
// 1 being visited (a reference to it closes a cycle), 2 placed.
void TablePlan::visit(size_t at, std::vector<int>& state, std::vector<PlannedTable>& ordered) {
    state[at] = 1;
    for (SqlRule& rule : m_tables[at].schema.rules) {
        if (rule.kind != SqlRule::Kind::Reference || !rule.commentOnly.empty())
            continue;
        for (size_t p = 0; p < m_tables.size(); ++p) {
            if (p == at || !sameFile(m_tables[p].schema.file, rule.otherFile))
                continue;
            if (state[p] == 1)
                rule.deferred = true;
            else if (state[p] == 0)
                visit(p, state, ordered);
        }
    }
    state[at] = 2;
    ordered.push_back(m_tables[at]);
}

void TablePlan::linkTables() {
    for (PlannedTable& table : m_tables)
        for (SqlRule& rule : table.schema.rules)
            if (rule.kind == SqlRule::Kind::Reference)
                linkReference(rule);
    std::vector<int> state(m_tables.size(), 0);
    std::vector<PlannedTable> ordered;
    for (size_t i = 0; i < m_tables.size(); ++i)
        if (state[i] == 0)
            visit(i, state, ordered);
    m_tables = std::move(ordered);
}

bool describeFrom(const std::string& dictionary, TablePlan& plan, std::ostream& err) {
    try {
        plan.describe(DictionaryReader::read(dictionary));
        return true;
    } catch (const std::exception& e) {
        err << visibleText(dictionary) << ": " << visibleText(e.what()) << '\n';
        return false;
    }
}

} // namespace cli
