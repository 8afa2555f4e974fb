#include "engine/RowImage.h"

#include "engine/ValueCodec.h"

#include <cstring>

namespace engine {

namespace {
uint64_t nextStamp() {
    thread_local uint64_t last = 0;
    return ++last; // 64 bits: never wraps
}
} // namespace

void RowImage::resetMarks(size_t fieldCount) {
    m_stamp = nextStamp();
    if (m_row.size() != fieldCount) {
        m_row.resize(fieldCount);
        m_decoded.assign(fieldCount, 0);
    }
    m_pending = fieldCount;
}

void RowImage::hold(const ValueCodec& codec, const std::vector<FieldInfo>& fields,
                    const char* record, size_t recordSize) {
    m_codec = &codec;
    m_fields = &fields;
    if (m_record.size() == recordSize) // a walk holds records of one size: a plain copy
        std::memcpy(m_record.data(), record, recordSize);
    else
        m_record.assign(record, recordSize);
    resetMarks(fields.size());
}

void RowImage::holdNothing(size_t fieldCount) {
    m_codec = nullptr;
    m_fields = nullptr;
    m_record.clear();
    m_row.assign(fieldCount, Value::null());
    m_stamp = nextStamp();
    m_decoded.assign(fieldCount, m_stamp);
    m_pending = 0;
}

void RowImage::assign(const RowImage& other) {
    if (!other.m_codec) {
        holdNothing(other.m_row.size());
        return;
    }
    hold(*other.m_codec, *other.m_fields, other.m_record.data(), other.m_record.size());
}

void RowImage::clear() {
    m_codec = nullptr;
    m_fields = nullptr;
    m_record.clear();
    m_row.clear();
    m_decoded.clear();
    m_pending = 0;
}

const Value& RowImage::value(size_t column) const {
    if (m_decoded[column] != m_stamp) {
        m_codec->decode((*m_fields)[column], m_record.data(), m_row[column]);
        m_decoded[column] = m_stamp;
        --m_pending;
    }
    return m_row[column];
}

bool RowImage::plainText(size_t column, std::string_view& text) const {
    return m_codec && m_codec->plainText((*m_fields)[column], m_record.data(), text);
}

bool RowImage::plainInteger(size_t column, int64_t& value, bool& null) const {
    return m_codec && m_codec->plainInteger((*m_fields)[column], m_record.data(), value, null);
}

bool RowImage::sameLeadingBytes(const RowImage& other, size_t fields) const {
    if (!m_codec || m_fields != other.m_fields || fields == 0 || fields > m_fields->size() ||
        m_record.size() != other.m_record.size())
        return false;
    const FieldInfo& last = (*m_fields)[fields - 1];
    const size_t end = size_t(last.offset) + size_t(last.width);
    return end <= m_record.size() && m_record.compare(0, end, other.m_record, 0, end) == 0;
}

const Row& RowImage::row() const {
    for (size_t i = 0; m_pending > 0 && i < m_row.size(); ++i)
        (void)value(i);
    return m_row;
}

} // namespace engine
