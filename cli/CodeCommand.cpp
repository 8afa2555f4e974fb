// korvanta-cli code TABLE.db... [-o FILE]
// The table-creation code of each table, in the order given, exactly as the code
// window collects it during captures: one block per table, every line ended by
// CR LF. A file gets the bytes the code window saves (Windows-1252, or UTF-8 behind
// a byte-order mark when that cannot hold the text); standard output gets UTF-8.
// A table that cannot be read is reported on standard error and
// gives no block; the others still do, and the exit status is then 1.

#include "cli/Command.h"
#include "cli/OutputFile.h"
#include "cli/VisibleText.h"

#include "capture/CapturePlan.h"
#include "capture/StructureReader.h"
#include "framework/dataset/NativePath.h"

#include <ostream>

namespace cli {

int runCode(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> tables;
    std::string outputFile;
    if (!splitValueOptions(args, {"-o"}, {}, tables, outputFile, err))
        return kExitUsage;
    if (tables.empty()) {
        err << "korvanta-cli code: give at least one table\n"
               "Usage: korvanta-cli code TABLE.db... [-o FILE]\n";
        return kExitUsage;
    }
    capture::CodeLines text;
    capture::CodeGenerator generator(text);
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
    if (!writeCodeOutput(text.lines(), outputFile, out, err))
        return kExitFailed;
    return status;
}

} // namespace cli
