// korvanta-cli doc DICT.db -o FILE.html|FILE.md
// The dictionary as a document: a table of contents, then each table with its
// description, fields (type, size, description) and indexes. The format follows
// the output file's extension; standard output ("-"), a pipe or a device without
// one gets Markdown, the format a terminal or a reader of text shows best.

#include "cli/Command.h"
#include "cli/DictionaryReader.h"
#include "cli/DocumentWriter.h"
#include "cli/OutputFile.h"
#include "cli/OutputTarget.h"
#include "cli/VisibleText.h"
#include "cli/options/Message.h"

#include "engine/TableFile.h"
#include "engine/ValidityFile.h"

#include <filesystem>
#include <optional>
#include <ostream>
#include <sys/stat.h>

namespace cli {

namespace {

std::optional<DocumentWriter::Format> formatFor(const std::string& file) {
    if (const auto byExtension = DocumentWriter::formatOfFile(file))
        return byExtension;
    struct stat st;
    const bool stream =
        OutputTarget::namesStandardOutput(file) ||
        (::stat(file.c_str(), &st) == 0 && (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode)));
    return stream ? std::optional(DocumentWriter::Format::Markdown) : std::nullopt;
}

// The rules of each recorded table found beside the dictionary (where a capture
// finds its tables); none for a table that is not there or cannot be read.
std::vector<engine::ValidityRules> rulesBeside(const std::string& dictionary,
                                               const std::vector<RecordedTable>& tables) {
    std::vector<engine::ValidityRules> rules(tables.size());
    const auto dir = std::filesystem::absolute(dictionary).parent_path();
    for (size_t i = 0; i < tables.size(); ++i) {
        try {
            const auto file =
                engine::ValidityFile::findBeside(dir, tables[i].entry.table.toStdString());
            if (!file.empty())
                rules[i] = engine::ValidityFile::readBeside(*engine::TableFile::open(file));
        } catch (const std::exception&) {
            // the document still describes what the dictionary recorded
        }
    }
    return rules;
}

} // namespace

int runDoc(const ParsedArguments& args, std::ostream& out, std::ostream& err) {
    const std::vector<std::string>& operands = args.operands();
    const std::string file = args.value("-o");
    const auto format = formatFor(file);
    if (!format) {
        err << Message{"korvanta-cli doc: give -o FILE ending in .html or .md, or -o -\n",
                       "korvanta-cli doc : donnez -o FICHIER terminé par .html ou .md, ou -o -\n"}
                   .text();
        return kExitUsage;
    }
    std::string document;
    try {
        const std::string title = std::filesystem::path(operands[0]).filename().string();
        const std::vector<RecordedTable> tables = DictionaryReader::read(operands[0]);
        DocumentWriter writer(*format, title);
        writer.setRules(rulesBeside(operands[0], tables));
        document = writer.write(tables);
    } catch (const std::exception& e) {
        err << visibleText(operands[0]) << ": " << visibleText(e.what()) << '\n';
        return kExitFailed;
    }
    return writeOutput(document, file, out, err) ? kExitOk : kExitFailed;
}

} // namespace cli
