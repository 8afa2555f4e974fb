#pragma once
// Reads a table's validity checks and referential-integrity links from NAME.VAL.
//
// Two layouts, told apart by byte 1 (0x01: old, beside level-3 tables; the table's
// version byte: new). Integers little-endian; check values in the record encoding.
//
//   Header (0x35 bytes)
//     0x00 u8   stamp        the table's byte 0x2E when the file was written
//     0x01 u8   version      0x01 old layout, else the table's version byte
//     0x02 u8   checkCount   check records from 0x35
//     0x09 u32  footerOffset new layout only (old: leftover bytes from 0x03)
//     0x0D u32  riOffset     new layout only; 0 = no link section
//   Check record: 28 bytes, then the items its slots announce, in this order
//     0x00 u8 field (0-based position), 0x01 u8 picture length with its NUL,
//     0x02 u8 required, 0x03 u8 lookup flags (bit 0 all corresponding fields,
//     bit 1 help), 0x04 u32 lookup slot, 0x08 u32 (unused), 0x0C/0x10/0x14 u32
//     minimum/maximum/default slots, 0x18 u32 picture slot; non-zero = present.
//     Items: lookup area (80 bytes, the table's file name NUL-terminated), minimum,
//     maximum, default (each as wide as the field in a record), picture.
//   Link section (at riOffset): u16 childCount, childCount entries of 0x1E0 bytes
//     (0x000 name[64], 0x0D4 parent file name[198], 0x19A u32 update rule 0 restrict
//     / 1 cascade, 0x19E u16 field count, 0x1A0 16 x u16 child positions, 0x1C0 16 x
//     u16 parent positions, 1-based), then u16 parentFlag; when 1, a parent block:
//     0x96 u16 key count, 0x98 16 x u16 key positions, 0xB8 u16 dependent count, then
//     entries of 0x12A bytes (0x000 name[64], 0x040 child file name[82], 0x106 u8
//     update rule, 0x10A 16 x u16 child positions). The footer follows at once.
//   Footer (new layout, to the end of the file): u16 fieldCount, u16 keyFields,
//     u16 name area length, fieldCount x u16 field numbers, fieldCount x (type, size),
//     the table name area (79 bytes, 261 from version 0x0C), fieldCount names.
//
// A file that does not tie to its table (stamp, version, field count, types, names,
// key) is stale: reported, its rules not used. A damaged one is reported the same way.

#include "engine/FieldInfo.h"
#include "engine/ValidityRules.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

class TableFile;
struct TableHeader;

class ValidityFile {
public:
    // What the file is tied to and decoded against.
    struct Table {
        std::filesystem::path file; // the .VAL, for the messages
        uint8_t stamp = 0;
        uint8_t version = 0;
        int keyFields = 0;
        int codePage = 0;
        std::vector<FieldInfo> fields;
    };

    // The ties of a table whose header was read.
    static Table tieTo(const TableHeader& header, const std::filesystem::path& valFile);

    // A larger file is refused unread: the largest possible holds far less.
    static constexpr uint64_t kMaxBytes = uint64_t(1) << 20;

    // Never throws on content: damage and staleness go to `problems`, with no rule kept.
    // Table names are left unresolved (file and field names empty).
    static ValidityRules parse(std::string_view bytes, const Table& table);

    // The NAME.VAL beside an open table (none: present is false), with the lookup,
    // parent and child tables found beside it and their fields named. A missing table
    // is reported and its rule kept as far as it is known.
    static ValidityRules readBeside(const TableFile& table);

    // The plain file of `dir` named `name`, letter case aside; "" when none. A name
    // holding a directory separator never matches.
    static std::filesystem::path findBeside(const std::filesystem::path& dir,
                                            const std::string& name);
};

} // namespace engine
