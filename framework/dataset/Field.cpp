#include "framework/dataset/Field.h"

#include "framework/dataset/Table.h"
#include "framework/dataset/ValueConvert.h"

#include <charconv>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace dataset {

Field::Field(Table* table, const QString& fieldName, bool persistent)
    : QObject(table), m_table(table), m_fieldName(fieldName),
      m_nameKey(FieldNameKey::of(fieldName)), m_asciiName(fieldName.toLatin1()),
      m_persistent(persistent) {
    if (persistent && table && !table->objectName().isEmpty())
        setObjectName(table->objectName() + fieldName);
}

int Field::Index() const {
    return m_table ? int(m_table->fieldList().indexOf(const_cast<Field*>(this))) : -1;
}

QString Field::DisplayLabel() const {
    return m_displayLabel.isEmpty() ? m_fieldName : m_displayLabel;
}

void Field::setDisplayLabel(const QString& label) {
    if (label == m_displayLabel)
        return;
    m_displayLabel = label;
    emit displayChanged();
}

int Field::DisplayWidth() const {
    return m_displayWidth > 0 ? m_displayWidth : m_defaultWidth;
}

void Field::setDisplayWidth(int width) {
    if (width == m_displayWidth)
        return;
    m_displayWidth = width;
    emit displayChanged();
}

void Field::setVisible(bool visible) {
    if (visible == m_visible)
        return;
    m_visible = visible;
    emit displayChanged();
}

bool Field::IsNull() const {
    return m_table->fieldValue(this).isNull();
}

QString Field::AsString() const {
    // Plain ASCII text widens straight from the row's bytes (no decoded copy in between).
    std::string_view plain;
    if (m_table->plainFieldText(this, plain))
        return plain.empty() ? QString() : reusedText(plain);
    int64_t number = 0;
    bool null = false;
    if (m_table->plainFieldInteger(this, number, null)) {
        if (null)
            return QString();
        char digits[24];
        const auto written = std::to_chars(digits, digits + sizeof digits, number);
        return reusedText(std::string_view(digits, size_t(written.ptr - digits)));
    }
    return convert::toText(m_table->fieldValue(this));
}

QString Field::reusedText(std::string_view latin1) const {
    m_text.resize(qsizetype(latin1.size())); // detaches when a holder shares the room
    char16_t* out = reinterpret_cast<char16_t*>(m_text.data());
    const char* in = latin1.data();
    const size_t n = latin1.size();
    size_t i = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    const auto widen8 = [&](size_t at) {
        const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + at));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at), _mm_unpacklo_epi8(bytes, zero));
    };
    for (; i + 8 <= n; i += 8)
        widen8(i);
    if (i < n && n >= 8) { // the rest as the last eight, over some already written
        widen8(n - 8);
        i = n;
    }
#endif
    for (; i < n; ++i)
        out[i] = char16_t(uchar(in[i]));
    return m_text;
}

int Field::AsInteger() const {
    return convert::toInt(m_table->fieldValue(this));
}

bool Field::AsBoolean() const {
    return convert::toBool(m_table->fieldValue(this));
}

double Field::AsFloat() const {
    return convert::toFloat(m_table->fieldValue(this));
}

QVariant Field::Value() const {
    return convert::toVariant(m_table->fieldValue(this));
}

void Field::setAsString(const QString& text) {
    m_table->setFieldValue(this, convert::fromText(text, m_table->conversionTarget(this)));
}

void Field::setAsInteger(int value) {
    m_table->setFieldValue(this, convert::fromInt(value, m_table->conversionTarget(this)));
}

void Field::setAsBoolean(bool value) {
    m_table->setFieldValue(this, convert::fromBool(value, m_table->conversionTarget(this)));
}

void Field::setAsFloat(double value) {
    m_table->setFieldValue(this, convert::fromFloat(value, m_table->conversionTarget(this)));
}

void Field::setValue(const QVariant& value) {
    m_table->setFieldValue(this, convert::fromVariant(value, m_table->conversionTarget(this)));
}

void Field::Clear() {
    m_table->setFieldValue(this, engine::Value::null());
}

} // namespace dataset
