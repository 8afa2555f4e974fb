#pragma once

#include <QString>

namespace capture {

// The five index options a source table can report, with the engine's bit
// values so that its option sets pass through unchanged.
enum IndexOption : unsigned {
    ixPrimary = 1,
    ixUnique = 2,
    ixDescending = 4,
    ixCaseInsensitive = 8,
    ixExpression = 16,
};

// The name of the last option, in the order primary, unique, descending,
// case-insensitive, expression, that the set holds; empty when it holds none.
// Only one option is ever named, so a unique primary index is "ixUnique".
QString OwnOptionName(unsigned options);

// The label a capture records for an index: its own option name, or, when it
// has no option at all, the label of the index recorded before it. Index rows
// are recognised later by a label beginning with "ix", which is why an index
// without options inherits one rather than staying blank.
QString OptionLabel(unsigned options, const QString& previousLabel);

} // namespace capture
