#pragma once
// A table's validity checks and links as info and doc write them.
//
// JSON, per field: "checks": {"required": true, "min": V, "max": V, "default": V,
// "picture": "...", "lookup": {"table": "STORE.DB", "field": "Store #", "fill":
// "all-corresponding-fields" | "current-field", "help": true|false}}, each key only
// when set (V as rows --json writes a value of the field's type); per table,
// "references" (this table the child) and "referencedBy" (this table the parent):
// [{"name", "fields": [...], "table": "OTHER.DB", "tableFields": [...], "onUpdate":
// "cascade" | "restrict", "onDelete": "restrict"}], "fields" being this table's; a
// field of a table that could not be read is given by its 1-based position.

#include "engine/ValidityRules.h"

#include <string>
#include <vector>

namespace cli {

// The "checks" object of one field ({} when it has none).
std::string checksJson(const engine::FieldCheck* check);
// The "references" or "referencedBy" array.
std::string linksJson(const std::vector<engine::TableLink>& links, bool fromParent);

// One line per check of the field ("required", "min 1", "picture ##", "lookup
// STORE.DB (Store #), all corresponding fields, help"); empty when none.
std::vector<std::string> checkTexts(const engine::FieldCheck& check);
// "name: (fields) -> TABLE (fields), on update cascade, on delete restrict".
std::string linkText(const engine::TableLink& link, bool fromParent);
// The first field of the lookup table, when it could be read; "" otherwise.
std::string lookupField(const engine::TableLookup& lookup);

} // namespace cli
