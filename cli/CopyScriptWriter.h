#pragma once
// Writes tables as a PostgreSQL script that psql loads in one transaction, stopping
// at the first error: per table the statements that make it again, a COPY ... FROM
// stdin block of its rows in COPY's text format, its indexes, and the identity
// counter moved past the highest number. The script is valid UTF-8 throughout.

#include "cli/ExportPart.h"

#include <cstdint>
#include <string>

namespace engine {
class TableFile;
}

namespace cli {

class ProgressBar;
struct SqlTable;

class CopyScriptWriter {
public:
    // The lines that go once at the top of the script, and once at its end.
    static std::string preamble();
    static std::string epilogue();

    // The whole block of one table. Throws when the table cannot be read to its end,
    // so that a damaged table leaves nothing half written in the script.
    // `schema` is the table's structure as named in the target. When `replacing`, a
    // table of the same name is dropped first; otherwise the script stops on it. Only
    // the structure, or only the rows (into a table the user made), as `part` says.
    static std::string tableBlock(const engine::TableFile& table, const SqlTable& schema,
                                  bool replacing, ExportPart part, ProgressBar& progress,
                                  uint64_t& rows);
};

} // namespace cli
