#pragma once
// Writes tables as a PostgreSQL script that psql loads: per table a transaction that
// makes the table again, a COPY ... FROM stdin block of its rows in COPY's text
// format, its indexes, and the identity counter moved past the highest number.

#include <cstdint>
#include <string>

namespace engine {
class TableFile;
}

namespace cli {

class ProgressBar;

class CopyScriptWriter {
public:
    // The lines that go once at the top of the script.
    static std::string preamble();

    // The whole block of one table. Throws when the table cannot be read to its end,
    // so that a damaged table leaves nothing half written in the script.
    static std::string tableBlock(const engine::TableFile& table, ProgressBar& progress,
                                  uint64_t& rows);
};

} // namespace cli
