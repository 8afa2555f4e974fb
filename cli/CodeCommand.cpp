// korvanta-cli code TABLE.db... [-o FILE]
// korvanta-cli code DICT.db [TABLE...] [-o FILE]
// The table-creation code of each table, in the order given, exactly as the code
// window collects it during captures: one block per table, every line ended by
// CR LF. Given a dictionary, the blocks come from the fields and indexes it recorded
// (every table, or those named, in number order), for code lost at the end of a
// session. A file gets the bytes the code window saves (Windows-1252, or UTF-8 behind
// a byte-order mark when that cannot hold the text); standard output gets UTF-8.
// A table that cannot be read is reported on standard error and
// gives no block; the others still do, and the exit status is then 1.

#include "cli/Command.h"
#include "cli/DictionaryReader.h"
#include "cli/OutputFile.h"
#include "cli/RecordedCode.h"
#include "cli/VisibleText.h"

#include "capture/CapturePlan.h"
#include "capture/StructureReader.h"
#include "framework/dataset/NativePath.h"
#include "store/DicoRow.h"

#include <algorithm>
#include <ostream>

namespace cli {

namespace {

bool isDictionary(const std::string& path) {
    try {
        return DictionaryReader::isDictionary(path);
    } catch (const std::exception&) {
        return false; // not a table at all: reading it as one says why
    }
}

// A name asked for is the table's whole file name or the name the dictionary keeps,
// which is that name cut to the width of its column.
bool sameName(const QString& recorded, const std::string& asked) {
    const QString name = QString::fromStdString(asked);
    if (recorded.compare(name, Qt::CaseInsensitive) == 0)
        return true;
    return recorded.size() == store::kTableWidth &&
           recorded.compare(name.left(store::kTableWidth), Qt::CaseInsensitive) == 0;
}

// The recorded tables named in `wanted` (all when none is), each once, in number
// order; a name the dictionary does not hold is reported.
int generateFromDictionary(const std::string& dictionary, const std::vector<std::string>& wanted,
                           capture::CodeGenerator& generator, std::ostream& err) {
    int status = kExitOk;
    const std::vector<RecordedTable> tables = DictionaryReader::read(dictionary);
    std::vector<bool> found(wanted.size(), false);
    for (const RecordedTable& t : tables) {
        bool chosen = wanted.empty();
        for (size_t i = 0; i < wanted.size(); ++i)
            if (sameName(t.entry.table, wanted[i]))
                chosen = found[i] = true;
        if (!chosen)
            continue;
        try {
            capture::GenerateTableCode(recordedStructure(t), generator);
        } catch (const std::exception& e) {
            err << visibleText(t.entry.table.toStdString()) << ": " << visibleText(e.what())
                << '\n';
            status = kExitFailed;
        }
    }
    for (size_t i = 0; i < wanted.size(); ++i) {
        if (found[i])
            continue;
        err << visibleText(wanted[i]) << ": no such table in " << visibleText(dictionary) << '\n';
        status = kExitFailed;
    }
    return status;
}

int generateFromTables(const std::vector<std::string>& tables, capture::CodeGenerator& generator,
                       std::ostream& err) {
    int status = kExitOk;
    for (const std::string& table : tables) {
        try {
            capture::GenerateTableCode(capture::ReadTableStructure(dataset::fromNativeBytes(table)),
                                       generator);
        } catch (const std::exception& e) {
            err << visibleText(table) << ": " << visibleText(e.what()) << '\n';
            status = kExitFailed;
        }
    }
    return status;
}

} // namespace

int runCode(const ParsedArguments& args, std::ostream& out, std::ostream& err) {
    const std::vector<std::string>& tables = args.operands();
    const std::string outputFile = args.value("-o");
    capture::CodeLines text;
    capture::CodeGenerator generator(text);
    int status = kExitOk;
    try {
        status = isDictionary(tables[0])
                     ? generateFromDictionary(tables[0], {tables.begin() + 1, tables.end()},
                                              generator, err)
                     : generateFromTables(tables, generator, err);
    } catch (const std::exception& e) { // the dictionary itself could not be read
        err << visibleText(tables[0]) << ": " << visibleText(e.what()) << '\n';
        return kExitFailed;
    }
    if (!writeCodeOutput(text.lines(), outputFile, out, err))
        return kExitFailed;
    return status;
}

} // namespace cli
