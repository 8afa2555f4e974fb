#pragma once
// A view's filter: one Boolean field compared with True or False. This is every filter the
// program uses ("CT=True", "CC=True"); anything else is refused rather than half understood.
//
// Grammar (blanks allowed between the parts, keywords and field names in any letter case):
//   filter := field "=" ( "True" | "False" )
//   field  := name | '"' name with blanks '"' | "[" name with blanks "]"
// A row passes when its field holds that Boolean value; a null field passes neither form.

#include <QString>

#include <optional>

namespace dataset {

class FilterExpression {
public:
    // nullopt when the text is not of that form.
    static std::optional<FilterExpression> parse(const QString& text);

    const QString& fieldName() const { return m_field; }
    bool expected() const { return m_expected; }

private:
    QString m_field;
    bool m_expected = true;
};

} // namespace dataset
