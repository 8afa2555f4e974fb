#pragma once
// A row as its record holds it, each field decoded the first time it is asked for: a
// walk that looks at a few fields of each row (a filter, a key, what a report prints)
// pays for those only. The record is copied, so the image stays valid whatever the
// table reads next; the codec and the field list are the table's, and live as long as it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/FieldInfo.h"
#include "engine/Value.h"

namespace engine {

class ValueCodec;

class RowImage {
public:
    void hold(const ValueCodec& codec, const std::vector<FieldInfo>& fields, const char* record,
              size_t recordSize);
    // No row: every field reads as null.
    void holdNothing(size_t fieldCount);
    // The same record as `other`, its fields decoded again on demand.
    void assign(const RowImage& other);
    void clear();
    bool empty() const { return m_row.empty(); }
    size_t size() const { return m_row.size(); }

    const Value& value(size_t column) const; // column < size()
    // An Alpha field's text straight from the record when it needs no decoding
    // (ValueCodec::plainText); false otherwise, or when no record is held.
    bool plainText(size_t column, std::string_view& text) const;
    // A Short, Long or AutoInc field's number the same way (ValueCodec::plainInteger).
    bool plainInteger(size_t column, int64_t& value, bool& null) const;
    const char* record() const { return m_record.data(); } // as held (empty: no row)
    const Row& row() const;                                // every field decoded
    // Whether both images hold records of the same fields whose first `fields` fields
    // have the same bytes (then the same values; different bytes may still decode alike).
    bool sameLeadingBytes(const RowImage& other, size_t fields) const;
    // A number that changes with every record held and that no other hold in this thread
    // had: whether an image still holds what it held when the number was read.
    uint64_t holdNumber() const { return m_stamp; }

private:
    void resetMarks(size_t fieldCount);

    const ValueCodec* m_codec = nullptr;
    const std::vector<FieldInfo>* m_fields = nullptr;
    std::string m_record;
    mutable Row m_row;
    // A field is decoded for the record held when its stamp is m_stamp: holding the next
    // record of a walk marks every field undecoded by a new stamp, not a pass over them.
    mutable std::vector<uint64_t> m_decoded;
    uint64_t m_stamp = 0;         // 0: nothing held yet
    mutable size_t m_pending = 0; // fields not decoded yet
};

} // namespace engine
