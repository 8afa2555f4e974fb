#include "cli/ValidityText.h"

#include "cli/JsonText.h"
#include "cli/ValueText.h"

#include "engine/TableFile.h"

namespace cli {

namespace {

std::string namesJson(const std::vector<std::string>& names, const std::vector<int>& positions) {
    std::string out = "[";
    for (size_t i = 0; i < positions.size(); ++i)
        out += (i ? "," : "") +
               (i < names.size() ? jsonString(names[i]) : std::to_string(positions[i] + 1));
    return out + "]";
}

std::string namesText(const std::vector<std::string>& names, const std::vector<int>& positions) {
    std::string out;
    for (size_t i = 0; i < positions.size(); ++i)
        out += (i ? ", " : "") +
               (i < names.size() ? names[i] : "#" + std::to_string(positions[i] + 1));
    return "(" + out + ")";
}

const char* fillName(const engine::TableLookup& l) {
    return l.allCorrespondingFields ? "all-corresponding-fields" : "current-field";
}

std::string lookupJson(const engine::TableLookup& l) {
    std::string out = "{\"table\":" + jsonString(l.table);
    if (const std::string field = lookupField(l); !field.empty())
        out += ",\"field\":" + jsonString(field);
    return out + ",\"fill\":\"" + fillName(l) + "\",\"help\":" + (l.help ? "true" : "false") + "}";
}

} // namespace

std::string lookupField(const engine::TableLookup& lookup) {
    if (lookup.file.empty())
        return {};
    try {
        const auto table = engine::TableFile::open(lookup.file);
        return table->fields().empty() ? std::string() : table->fields()[0].name;
    } catch (const std::exception&) {
        return {};
    }
}

std::string checksJson(const engine::FieldCheck* c) {
    if (!c)
        return "{}";
    std::vector<std::string> keys;
    if (c->required)
        keys.push_back("\"required\":true");
    if (c->minimum)
        keys.push_back("\"min\":" + valueJson(*c->minimum));
    if (c->maximum)
        keys.push_back("\"max\":" + valueJson(*c->maximum));
    if (c->defaultValue)
        keys.push_back("\"default\":" + valueJson(*c->defaultValue));
    if (!c->picture.empty())
        keys.push_back("\"picture\":" + jsonString(c->picture));
    if (c->lookup)
        keys.push_back("\"lookup\":" + lookupJson(*c->lookup));
    std::string out = "{";
    for (size_t i = 0; i < keys.size(); ++i)
        out += (i ? "," : "") + keys[i];
    return out + "}";
}

std::string linksJson(const std::vector<engine::TableLink>& links, bool fromParent) {
    std::string out = "[";
    for (size_t i = 0; i < links.size(); ++i) {
        const engine::TableLink& l = links[i];
        const std::string own = fromParent ? namesJson(l.tableFieldNames, l.tableFields)
                                           : namesJson(l.fieldNames, l.fields);
        const std::string other = fromParent ? namesJson(l.fieldNames, l.fields)
                                             : namesJson(l.tableFieldNames, l.tableFields);
        out += (i ? "," : "") + std::string("{\"name\":") + jsonString(l.name) +
               ",\"fields\":" + own + ",\"table\":" + jsonString(l.table) +
               ",\"tableFields\":" + other + ",\"onUpdate\":\"" +
               (l.cascade ? "cascade" : "restrict") + "\",\"onDelete\":\"restrict\"}";
    }
    return out + "]";
}

std::vector<std::string> checkTexts(const engine::FieldCheck& c) {
    std::vector<std::string> out;
    if (c.required)
        out.push_back("required");
    if (c.minimum)
        out.push_back("min " + valueText(*c.minimum));
    if (c.maximum)
        out.push_back("max " + valueText(*c.maximum));
    if (c.defaultValue)
        out.push_back("default " + valueText(*c.defaultValue));
    if (!c.picture.empty())
        out.push_back("picture " + c.picture);
    if (c.lookup) {
        const std::string field = lookupField(*c.lookup);
        out.push_back(
            "lookup " + c.lookup->table + (field.empty() ? "" : " (" + field + ")") + ", " +
            (c.lookup->allCorrespondingFields ? "all corresponding fields" : "current field") +
            (c.lookup->help ? ", help" : ""));
    }
    return out;
}

std::string linkText(const engine::TableLink& l, bool fromParent) {
    const std::string own = fromParent ? namesText(l.tableFieldNames, l.tableFields)
                                       : namesText(l.fieldNames, l.fields);
    const std::string other = fromParent ? namesText(l.fieldNames, l.fields)
                                         : namesText(l.tableFieldNames, l.tableFields);
    return l.name + ": " + own + (fromParent ? " <- " : " -> ") + l.table + " " + other +
           ", on update " + (l.cascade ? "cascade" : "restrict") + ", on delete restrict";
}

} // namespace cli
