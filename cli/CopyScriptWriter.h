#pragma once
// Writes tables as a PostgreSQL script that psql loads in one transaction, stopping
// at the first error: per table the statements that make it again, a COPY ... FROM
// stdin block of its rows in COPY's text format, its indexes, and the identity
// counter moved past the highest number. The script is valid UTF-8 throughout.

#include "cli/ExportPart.h"

#include <cstdint>
#include <functional>
#include <stdexcept>
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

    // Where the script's text goes, piece by piece.
    using Sink = std::function<void(const std::string&)>;

    // Thrown when a table failed to read after some of its rows had gone to the sink:
    // the sink then got a statement that stops psql and undoes the whole load, and the
    // script must not be taken as complete.
    class Broken : public std::runtime_error {
    public:
        using std::runtime_error::runtime_error;
    };

    // The block of one table, into `sink`. A table whose rows are small enough is read
    // whole first, so that one which cannot be read to its end sends nothing (it
    // throws, and the script goes on without it). A larger one is read twice: once to
    // learn what its structure must admit (NULL keys, numbers missing from a counter),
    // which also proves it readable to its end, then again to send its rows a piece at
    // a time, so that memory does not grow with the table.
    // `schema` is the table's structure as named in the target. When `replacing`, a
    // table of the same name is dropped first; otherwise the script stops on it. Only
    // the structure, or only the rows (into a table the user made), as `part` says.
    // Tables of more than `wholeTableBytes` bytes of records are sent in pieces.
    static constexpr uint64_t kWholeTableBytes = uint64_t(8) << 20;
    static void writeTable(const engine::TableFile& table, const SqlTable& schema, bool replacing,
                           ExportPart part, ProgressBar& progress, uint64_t& rows, const Sink& sink,
                           uint64_t wholeTableBytes = kWholeTableBytes);
};

} // namespace cli
