#pragma once
// Field types of a table and the description of one field as the engine reports it.

#include <cstdint>
#include <string>

namespace engine {

// The type byte stored in the field descriptor array of a table header.
enum class FieldType : uint8_t {
    Alpha = 0x01,     // A: text, 1-255 bytes in the table's code page
    Date = 0x02,      // D: days, 0001-01-01 = 1
    Short = 0x03,     // S: 16-bit integer
    Long = 0x04,      // I: 32-bit integer
    Money = 0x05,     // $: double shown as money
    Number = 0x06,    // N: double
    Logical = 0x09,   // L: Boolean
    Memo = 0x0C,      // M: text BLOB
    Blob = 0x0D,      // B: binary BLOB
    FmtMemo = 0x0E,   // F: formatted memo BLOB (raw bytes)
    Ole = 0x0F,       // O: OLE BLOB (raw bytes)
    Graphic = 0x10,   // G: picture BLOB
    Time = 0x14,      // T: milliseconds since midnight
    Timestamp = 0x15, // @: milliseconds since 0001-01-01 00:00 minus one day
    AutoInc = 0x16,   // +: 32-bit integer handed out by the table
    Bcd = 0x17,       // #: 32-digit decimal, size = number of decimals
    Bytes = 0x18,     // Y: raw bytes, 1-255
};

bool isKnownFieldType(uint8_t code);
bool isBlobType(FieldType t);
// Bytes the field occupies in a record, given its header size byte.
int fieldWidth(FieldType t, int size);
// Lowest table level (3, 4, 5, 7) that can hold the type.
int minimumLevel(FieldType t);

struct FieldInfo {
    std::string name; // UTF-8
    FieldType type = FieldType::Alpha;
    int size = 0;   // header size byte: Alpha/Bytes length, BCD decimals, BLOB leader + 10
    int offset = 0; // byte offset of the field inside a record
    int width = 0;  // bytes in a record

    // The type code 0..21 callers report for this field (the classic data-access
    // field-type ordinals: 1 string, 2 smallint, 3 integer, 5 boolean, 6 float,
    // 7 currency, 8 BCD, 9 date, 10 time, 11 date-time, 12 bytes, 14 autoinc,
    // 15 BLOB, 16 memo, 17 graphic, 18 formatted memo, 19 OLE).
    int typeCode() const;
    // Alpha: its length; every other type: 10.
    int displayWidth() const;
    // Size as the classic data-access layer reports it: Alpha/Bytes length, BCD
    // decimals, BLOB leader length, 0 for the fixed-size types.
    int reportedSize() const;
};

} // namespace engine
