#pragma once

#include "framework/dataset/DataTypes.h"

#include <QString>

namespace capture {

// The five index options a source table can report are the dataset layer's
// (the engine's bits), so that its option sets pass through unchanged.
using dataset::IndexOption;
using dataset::ixCaseInsensitive;
using dataset::ixDescending;
using dataset::ixExpression;
using dataset::ixPrimary;
using dataset::ixUnique;

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
