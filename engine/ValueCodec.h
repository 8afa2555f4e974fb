#pragma once
// Field values inside records: the order-preserving encodings.
//
// Every numeric and date/time value is stored so that comparing the raw bytes as
// unsigned strings gives numeric order, and all-zero bytes mean NULL:
//
//   Type                 Bytes  Encoding
//   Short / Long / +     2 / 4  two's complement, big-endian, top bit flipped
//   Date                 4      as Long: days, 0001-01-01 = 1
//   Time                 4      as Long: milliseconds since midnight
//   Logical              1      0x80 false, 0x81 true
//   Number / Money / @   8      IEEE double, big-endian; >= 0: sign bit set;
//                               < 0: all bits complemented; -0 stored as +0.
//                               Timestamp: days * 86400000 + ms of the day
//   BCD (#)              17     byte 0: 0x80 sign (1 = positive), 0x40 set, low 6 bits
//                               = decimals; then 32 digits, one per nibble, integer
//                               part right-aligned; negative: every nibble complemented
//   Alpha                n      code-page bytes, NUL padded; empty = NULL
//   Bytes (Y)            n      raw; all zero = NULL
//   BLOB types           L+10   leader of L bytes (start of the value), then
//                               u32 mbRef (little-endian: .MB offset | slot), u32
//                               length, u16 modification number; length 0 = NULL
//
// The smallest integer of each width (-32768, -2^31) encodes as all zeros, i.e. NULL,
// so it cannot be stored.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/FieldInfo.h"
#include "engine/Value.h"

namespace engine {

class CodePage;
class BlobFile;

namespace codec {

bool allZero(const char* p, size_t n);

// Integer rule for 1, 2 or 4 bytes. Returns false for NULL.
bool decodeInt(const char* p, int width, int64_t& out);
void encodeInt(char* p, int width, int64_t v);
bool decodeDouble(const char* p, double& out);
void encodeDouble(char* p, double v);
// BCD of scale s to a decimal string; false for NULL.
bool decodeBcd(const char* p, int scale, std::string& out);
// False when the text is not a decimal number that fits 32 digits at this scale.
bool encodeBcd(char* p, int scale, std::string_view decimal);

} // namespace codec

// Decodes and encodes whole fields of one table.
class ValueCodec {
public:
    ValueCodec(const CodePage& cp, BlobFile* blobs) : m_cp(cp), m_blobs(blobs) {}

    // Decodes one field of a record into out (reusing its storage).
    void decode(const FieldInfo& f, const char* record, Value& out) const;
    // The text of an Alpha field when decoding would hand back its bytes unchanged
    // (ASCII in a single-byte code page): empty for NULL. False for any other field.
    bool plainText(const FieldInfo& f, const char* record, std::string_view& out) const;
    // A Short, Long or AutoInc field's number straight from the record (`null` when it
    // holds none); false for any other type.
    bool plainInteger(const FieldInfo& f, const char* record, int64_t& out, bool& null) const;

    // Encodes a value into the field's bytes of a record. BLOBs too long for the
    // leader are written to the BLOB file. Throws InvalidArgument with a message
    // naming the field when the value does not fit the field.
    void encode(const FieldInfo& f, const Value& v, char* record) const;

    // The key image of a value for lookups: encoded like a field, Alpha keys longer
    // than the field cut to its width.
    std::string keyImage(const FieldInfo& f, const Value& v) const;

private:
    void decodeBlob(const FieldInfo& f, const char* p, Value& out) const;
    void encodeBlob(const FieldInfo& f, const Value& v, char* p) const;
    [[noreturn]] void refuse(const FieldInfo& f, const std::string& why) const;

    const CodePage& m_cp;
    BlobFile* m_blobs;
};

} // namespace engine
