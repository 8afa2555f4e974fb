// korvanta-cli doc DICT.db -o FILE.html|FILE.md
// The dictionary as a document: a table of contents, then each table with its
// description, fields (type, size, description) and indexes. The format follows
// the output file's extension.

#include "cli/Command.h"
#include "cli/DictionaryReader.h"
#include "cli/DocumentWriter.h"
#include "cli/OutputFile.h"
#include "cli/VisibleText.h"

#include <filesystem>
#include <ostream>

namespace cli {

int runDoc(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> operands;
    std::string file;
    if (!splitValueOptions(args, {"-o"}, {}, operands, file, err))
        return kExitUsage;
    const auto format = DocumentWriter::formatOfFile(file);
    if (operands.size() != 1 || !format) {
        err << "korvanta-cli doc: "
            << (operands.size() != 1 ? "give exactly one dictionary"
                                     : "give -o FILE ending in .html or .md")
            << "\nUsage: korvanta-cli doc DICT.db -o FILE.html|FILE.md\n";
        return kExitUsage;
    }
    std::string document;
    try {
        const std::string title = std::filesystem::path(operands[0]).filename().string();
        document = DocumentWriter(*format, title).write(DictionaryReader::read(operands[0]));
    } catch (const std::exception& e) {
        err << visibleText(operands[0]) << ": " << visibleText(e.what()) << '\n';
        return kExitFailed;
    }
    return writeOutput(document, file, out, err) ? kExitOk : kExitFailed;
}

} // namespace cli
