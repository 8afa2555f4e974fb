// korvanta-cli list [--json] DICT.db
// Every row of a dictionary in number order, with its eight fields NoEnreg,
// Table, Description, Champ, Type, Longueur, CT, CC: tab-separated text under a
// header line (a null is an empty cell), or one JSON object per row and line
// (a null is null). A table lacking one of the eight fields is no dictionary.
//
// The rows are written a bounded batch at a time, each read under the read lock and
// written after it is let go, so that a slow reader of the output never makes another
// program wait: a dictionary keyed on NoEnreg (as the program makes them) or whose
// rows happen to be in number order is read once. Only rows out of order cost more:
// their numbers are sorted (16 bytes a row), then the rows are read back a window at
// a time, each window written once read.

#include "cli/Command.h"
#include "cli/JsonText.h"
#include "cli/RowBatches.h"
#include "cli/ValueText.h"
#include "cli/VisibleText.h"

#include "engine/EngineError.h"
#include "engine/TableFile.h"
#include "store/DicoFormat.h"

#include <algorithm>
#include <functional>
#include <ostream>
#include <stdexcept>

namespace cli {

namespace {

// Rows written per pass when the file's order is not the number order.
constexpr size_t kWindowRows = 4096;

struct Column {
    std::string name;
    int index; // position in the file's rows
};

// Where a row goes in number order: its number (a null first) and its place in the file.
struct RowPlace {
    bool null = true;
    int64_t number = 0;
    uint64_t ordinal = 0;
    bool operator<(const RowPlace& other) const {
        if (null || other.null)
            return null && !other.null;
        return number < other.number;
    }
};

std::vector<Column> dictionaryColumns(const engine::TableFile& table) {
    std::vector<Column> columns;
    for (const QString& name : store::DicoFieldNames()) {
        const std::string field = name.toStdString();
        const int index = table.fieldIndex(field);
        if (index < 0)
            throw std::runtime_error("ce n'est pas un dictionnaire : le champ " + field +
                                     " manque");
        columns.push_back({field, index});
    }
    return columns;
}

RowPlace placeOf(const engine::Row& row, int numberColumn, uint64_t ordinal) {
    const engine::Value& v = row[size_t(numberColumn)];
    return {v.isNull(), v.isNull() ? 0 : v.integer, ordinal};
}

class RowWriter {
public:
    RowWriter(std::ostream& out, const std::vector<Column>& columns, bool json)
        : m_out(out), m_columns(columns), m_json(json) {}

    void header() {
        if (m_json)
            return;
        m_line.clear();
        for (size_t i = 0; i < m_columns.size(); ++i)
            m_line += (i ? "\t" : "") + m_columns[i].name;
        m_out << m_line << '\n';
    }

    void row(const engine::Row& row) {
        m_line.clear();
        for (size_t i = 0; i < m_columns.size(); ++i) {
            const engine::Value& v = row[size_t(m_columns[i].index)];
            if (m_json)
                m_line += (i ? "," : "{") + jsonString(m_columns[i].name) + ":" + valueJson(v);
            else
                m_line += (i ? "\t" : "") + valueText(v);
        }
        m_out << m_line << (m_json ? "}\n" : "\n");
    }

    // False once standard output failed: the rest would be lost too.
    bool writing() const { return bool(m_out); }

private:
    std::ostream& m_out;
    const std::vector<Column>& m_columns;
    bool m_json;
    std::string m_line;
};

// Reads every row it can; damage found part way is kept to be reported after
// the rows that could be read.
void readRows(const engine::TableFile& table, std::exception_ptr& damage,
              const std::function<bool(const engine::Row&)>& visit) {
    try {
        table.forEachRow(visit);
    } catch (const engine::EngineError&) {
        if (!damage)
            damage = std::current_exception();
    }
}

// True when the file's order is already the number order: a table keyed first on
// the number keeps it by construction; any other is checked by reading it once.
bool inNumberOrder(const engine::TableFile& table, int numberColumn) {
    if (table.isKeyed() && table.keyFieldCount() >= 1 && numberColumn == 0)
        return true;
    std::exception_ptr damage;
    bool ordered = true, first = true;
    RowPlace last;
    readRows(table, damage, [&](const engine::Row& row) {
        const RowPlace place = placeOf(row, numberColumn, 0);
        ordered = first || !(place < last);
        first = false;
        last = place;
        return ordered;
    });
    return ordered && !damage;
}

// A batch at a time, no lock held while writing: see RowBatches.
void writeInFileOrder(const std::shared_ptr<engine::TableFile>& table, RowWriter& writer,
                      std::exception_ptr& damage) {
    RowBatches batches(table);
    try {
        for (auto* batch = &batches.next(); !batch->empty() && writer.writing();
             batch = &batches.next())
            for (const engine::Row& row : *batch)
                writer.row(row);
    } catch (const engine::EngineError&) {
        if (!damage)
            damage = std::current_exception();
    }
}

// Rows out of number order: the places sorted, then each window of them read back.
void writeSorted(const engine::TableFile& table, int numberColumn, RowWriter& writer,
                 std::exception_ptr& damage) {
    std::vector<RowPlace> places;
    readRows(table, damage, [&](const engine::Row& row) {
        places.push_back(placeOf(row, numberColumn, places.size()));
        return true;
    });
    std::stable_sort(places.begin(), places.end());
    std::vector<std::pair<uint64_t, size_t>> wanted; // ordinal, slot in the window
    std::vector<engine::Row> window;
    for (size_t start = 0; start < places.size() && writer.writing(); start += kWindowRows) {
        const size_t count = std::min(kWindowRows, places.size() - start);
        wanted.clear();
        for (size_t i = 0; i < count; ++i)
            wanted.emplace_back(places[start + i].ordinal, i);
        std::sort(wanted.begin(), wanted.end());
        window.assign(count, engine::Row());
        uint64_t ordinal = 0;
        size_t next = 0;
        readRows(table, damage, [&](const engine::Row& row) {
            if (wanted[next].first == ordinal++)
                window[wanted[next++].second] = row;
            return next < wanted.size();
        });
        // A row missing from a window was lost to a change made meanwhile by
        // another program, or to damage: the damage is reported at the end.
        for (const engine::Row& row : window)
            if (!row.empty())
                writer.row(row);
    }
}

} // namespace

int runList(const ParsedArguments& args, std::ostream& out, std::ostream& err) {
    const std::vector<std::string>& operands = args.operands();
    try {
        const auto table = engine::TableFile::open(operands[0]);
        const std::vector<Column> columns = dictionaryColumns(*table);
        RowWriter writer(out, columns, args.has("--json"));
        writer.header();
        std::exception_ptr damage;
        if (inNumberOrder(*table, columns[0].index))
            writeInFileOrder(table, writer, damage);
        else
            writeSorted(*table, columns[0].index, writer, damage);
        if (damage)
            std::rethrow_exception(damage);
    } catch (const std::exception& e) {
        out.flush();
        err << visibleText(operands[0]) << ": " << visibleText(e.what()) << '\n';
        return kExitFailed;
    }
    out.flush();
    return kExitOk;
}

} // namespace cli
