#pragma once
// Tells whether a table's text reads cleanly in the code page it is decoded with.
// A byte the page does not define comes out either as U+FFFD (multi-byte pages) or
// as the C1 control character of the same number (single-byte pages); real text
// holds neither, so a value with one is a sign the header names the wrong page.

#include "engine/Value.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace engine {
class TableFile;
}

namespace cli {

class TextDecodeCheck {
public:
    struct Result {
        uint64_t textValues = 0; // non-null Alpha and Memo values read
        uint64_t unclean = 0;    // of them, those with an undefined byte
        bool clean() const { return unclean == 0; }
    };

    // Counts the text values of rows read elsewhere (rows, export) as they go by.
    explicit TextDecodeCheck(const engine::TableFile& table);
    void add(const engine::Row& row);
    const Result& result() const { return m_result; }

    static bool isUnclean(std::string_view utf8);
    // Reads every row. Throws what reading the rows throws (Encrypted, Corrupt...).
    static Result scan(const engine::TableFile& table);
    // True when the table has text fields to look at.
    static bool hasText(const engine::TableFile& table);

private:
    std::vector<size_t> m_textFields;
    Result m_result;
};

} // namespace cli
