#pragma once

#include <QString>

#include <optional>

namespace store {

// Widths of the dictionary's text fields; longer values are cut to them.
inline constexpr int kTableWidth = 12;
inline constexpr int kDescriptionWidth = 80;
inline constexpr int kChampWidth = 20;
inline constexpr int kTypeWidth = 20;

// One row of a dictionary. A table entry has ct set, a field entry (index
// rows included) has cc set; the other flag stays null, as do the optional
// fields a writer leaves unset.
struct DicoRow {
    int noEnreg = 0;
    QString table;
    std::optional<QString> description;
    std::optional<QString> champ;
    std::optional<QString> type;
    std::optional<int> longueur;
    bool ct = false; // true, or null when false
    bool cc = false; // true, or null when false

    bool operator==(const DicoRow&) const = default;
};

} // namespace store
