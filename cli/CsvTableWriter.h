#pragma once
// Writes a table as a CSV file (RFC 4180) for programs that load CSV: UTF-8, lines
// ended by CR LF, a first line of column names, a field between double quotes (its
// quotes doubled) when it holds a quote, a comma, a CR or an LF. Values are written
// as `rows` writes them (dates and times in ISO form, BCD as its decimal text,
// logical values as true/false), BLOBs and bytes in base64, NULL as an empty field.
// The file is written aside under a name no one can guess, synced, then renamed
// into place: it is whole or absent.

#include <cstdint>
#include <filesystem>

namespace engine {
class TableFile;
}

namespace cli {

class ProgressBar;
struct SqlTable;

class CsvTableWriter {
public:
    // The rows written. Throws (leaving no file behind) when the table cannot be read
    // to its end or the file cannot be written.
    static uint64_t write(const engine::TableFile& table, const SqlTable& schema,
                          const std::filesystem::path& file, ProgressBar& progress);
};

} // namespace cli
