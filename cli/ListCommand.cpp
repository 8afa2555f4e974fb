// korvanta-cli list [--json] DICT.db
// Every row of a dictionary in number order, with its eight fields NoEnreg,
// Table, Description, Champ, Type, Longueur, CT, CC: tab-separated text under a
// header line (a null is an empty cell), or one JSON object per row and line
// (a null is null). A table lacking one of the eight fields is no dictionary.

#include "cli/Command.h"
#include "cli/JsonText.h"
#include "cli/ValueText.h"

#include "engine/EngineError.h"
#include "engine/TableFile.h"
#include "store/DicoFormat.h"

#include <algorithm>
#include <ostream>
#include <stdexcept>

namespace cli {

namespace {

struct Column {
    std::string name;
    int index; // position in the file's rows
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

} // namespace

int runList(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> options, operands;
    if (!splitOptions(args, {"--json"}, options, operands, err))
        return kExitUsage;
    if (operands.size() != 1) {
        err << "korvanta-cli list: give exactly one dictionary\n"
               "Usage: korvanta-cli list [--json] DICT.db\n";
        return kExitUsage;
    }
    const bool json = !options.empty();
    try {
        const auto table = engine::TableFile::open(operands[0]);
        const std::vector<Column> columns = dictionaryColumns(*table);
        std::vector<engine::Row> rows;
        // Damage found part way is reported after the rows that could be read.
        std::exception_ptr damage;
        try {
            table->forEachRow([&](const engine::Row& row) {
                rows.push_back(row);
                return true;
            });
        } catch (const engine::EngineError&) {
            damage = std::current_exception();
        }
        // Number order whatever the file's own order (a row without number first).
        const int no = columns[0].index;
        std::stable_sort(rows.begin(), rows.end(),
                         [no](const engine::Row& a, const engine::Row& b) {
                             const bool an = a[size_t(no)].isNull(), bn = b[size_t(no)].isNull();
                             if (an || bn)
                                 return an && !bn;
                             return a[size_t(no)].integer < b[size_t(no)].integer;
                         });
        std::string line;
        if (!json) {
            for (size_t i = 0; i < columns.size(); ++i)
                line += (i ? "\t" : "") + columns[i].name;
            out << line << '\n';
        }
        for (const engine::Row& row : rows) {
            line.clear();
            for (size_t i = 0; i < columns.size(); ++i) {
                const engine::Value& v = row[size_t(columns[i].index)];
                if (json)
                    line += (i ? "," : "{") + jsonString(columns[i].name) + ":" + valueJson(v);
                else
                    line += (i ? "\t" : "") + valueText(v);
            }
            out << line << (json ? "}\n" : "\n");
        }
        if (damage)
            std::rethrow_exception(damage);
    } catch (const std::exception& e) {
        out.flush();
        err << operands[0] << ": " << e.what() << '\n';
        return kExitFailed;
    }
    out.flush();
    return kExitOk;
}

} // namespace cli
