#include "framework/dataset/Field.h"

#include "framework/dataset/Table.h"
#include "framework/dataset/ValueConvert.h"

namespace dataset {

Field::Field(Table* table, const QString& fieldName, bool persistent)
    : QObject(table), m_table(table), m_fieldName(fieldName), m_asciiName(fieldName.toUtf8()),
      m_asciiOnly(QtPrivate::isAscii(QLatin1StringView(m_asciiName))), m_persistent(persistent) {
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
        return plain.empty() ? QString()
                             : QString::fromLatin1(plain.data(), qsizetype(plain.size()));
    return convert::toText(m_table->fieldValue(this));
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
