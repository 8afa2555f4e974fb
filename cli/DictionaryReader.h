#pragma once
// Reads a whole dictionary file, without the store's views, into its tables: the
// commands that turn a dictionary into SQL, a document or a drift report need all of
// it at once and never write it.

#include "cli/RecordedTable.h"

#include <string>
#include <vector>

namespace cli {

class DictionaryReader {
public:
    // The tables in the order their entries were numbered. Throws EngineError when the
    // file cannot be read, std::runtime_error when it is no dictionary.
    static std::vector<RecordedTable> read(const std::string& path);

    // True when the table has the eight fields of a dictionary.
    static bool isDictionary(const std::string& path);

    // Whether a row records an index rather than a field (the dictionary's rule).
    static bool isIndexRow(const store::DicoRow& row);
};

} // namespace cli
