#pragma once
// NAME.VAL files built byte by byte in the new layout, for what the real ones lack
// (a level-7 table with a lookup and a link, a required memo) and to damage them.
// The ties (stamp, version, fields, key) are taken from the table's own header.

#include "engine/CodePage.h"
#include "engine/TableHeader.h"
#include "engine/ValueCodec.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

struct HandCheck {
    int field = 0;
    bool required = false;
    std::string lookup; // the lookup table's file name; "" for none
    uint8_t lookupFlags = 0;
    std::optional<engine::Value> minimum, maximum, defaultValue;
    std::string picture;
};

struct HandLink {
    std::string name;
    std::string table; // the parent (in a child's file) or the child (in a parent's)
    bool cascade = false;
    std::vector<int> fields;      // 1-based: the child's fields
    std::vector<int> tableFields; // 1-based: the parent's key fields
};

class ValidityImage {
public:
    explicit ValidityImage(const engine::TableHeader& table) : m_table(table) {}

    std::vector<HandCheck> checks;
    std::vector<HandLink> references;
    std::vector<HandLink> dependents; // the parent's key is dependents[0].tableFields

    std::string bytes() const {
        std::string out(0x35, '\0');
        out[0] = char(m_table.familyStamp);
        out[1] = char(m_table.version);
        out[2] = char(checks.size());
        put32(out, 0x03, m_table.updateTime);
        for (const HandCheck& c : checks)
            out += record(c);
        if (!references.empty() || !dependents.empty()) {
            put32(out, 0x0D, uint32_t(out.size()));
            out += links();
        }
        put32(out, 0x09, uint32_t(out.size()));
        return out + footer();
    }

private:
    static void put16(std::string& s, size_t at, uint32_t v) {
        s[at] = char(v & 0xFF);
        s[at + 1] = char(v >> 8);
    }
    static void put32(std::string& s, size_t at, uint32_t v) {
        put16(s, at, v & 0xFFFF);
        put16(s, at + 2, v >> 16);
    }
    static std::string area(const std::string& text, size_t n) {
        std::string out = text;
        out.resize(n, '\0');
        return out;
    }

    std::string value(int field, const engine::Value& v) const {
        engine::FieldInfo f = m_table.fields[size_t(field)];
        f.offset = 0;
        std::string out(size_t(f.width), '\0');
        engine::ValueCodec(engine::CodePage::get(m_table.codePage), nullptr)
            .encode(f, v, out.data());
        return out;
    }

    std::string record(const HandCheck& c) const {
        std::string head(28, '\0'), data;
        head[0] = char(c.field);
        head[1] = char(c.picture.empty() ? 0 : c.picture.size() + 1);
        head[2] = char(c.required);
        head[3] = char(c.lookupFlags);
        if (!c.lookup.empty()) {
            put32(head, 0x04, 0x1234);
            data += area(c.lookup, 80);
        }
        const std::pair<size_t, const std::optional<engine::Value>*> values[] = {
            {0x0C, &c.minimum}, {0x10, &c.maximum}, {0x14, &c.defaultValue}};
        for (const auto& [slot, v] : values)
            if (*v) {
                put32(head, slot, 0x5678);
                data += value(c.field, **v);
            }
        if (!c.picture.empty()) {
            put32(head, 0x18, 0x9ABC);
            data += c.picture + '\0';
        }
        return head + data;
    }

    static std::string positions(const std::vector<int>& list) {
        std::string out(32, '\0');
        for (size_t i = 0; i < list.size(); ++i)
            put16(out, 2 * i, uint32_t(list[i]));
        return out;
    }

    std::string links() const {
        std::string out(2, '\0');
        put16(out, 0, uint32_t(references.size()));
        for (const HandLink& l : references) {
            std::string e = area(l.name, 0xB4) + std::string(32, '\0') + area(l.table, 198);
            e += std::string(6, '\0');
            put32(e, 0x19A, l.cascade);
            put16(e, 0x19E, uint32_t(l.fields.size()));
            out += e + positions(l.fields) + positions(l.tableFields);
        }
        std::string block(dependents.empty() ? 2 : 0xBA, '\0');
        if (!dependents.empty()) {
            block[0] = 1;
            put16(block, 0x96, uint32_t(dependents[0].tableFields.size()));
            block.replace(0x98, 32, positions(dependents[0].tableFields));
            put16(block, 0xB8, uint32_t(dependents.size()));
        }
        for (const HandLink& l : dependents) {
            std::string e = area(l.name, 64) + area(l.table, 82) + std::string(0x78, '\0');
            e[0x106] = char(l.cascade);
            block += e + positions(l.fields);
        }
        return out + block;
    }

    std::string footer() const {
        const size_t n = m_table.fields.size();
        std::string out(6 + 4 * n, '\0');
        put16(out, 0, uint32_t(n));
        put16(out, 2, m_table.keyFields);
        std::string names;
        for (size_t i = 0; i < n; ++i) {
            put16(out, 6 + 2 * i,
                  i < m_table.fieldNumbers.size() ? m_table.fieldNumbers[i] : i + 1);
            out[6 + 2 * n + 2 * i] = char(m_table.fields[i].type);
            out[6 + 2 * n + 2 * i + 1] = char(m_table.fields[i].size);
            std::string raw;
            engine::CodePage::get(m_table.codePage).encode(m_table.fields[i].name, raw);
            names += raw + '\0';
        }
        const std::string tableName = area("T.DB", m_table.version >= 0x0C ? 261 : 79);
        put16(out, 4, uint32_t(tableName.size() + names.size()));
        return out + tableName + names;
    }

    const engine::TableHeader& m_table;
};

} // namespace testsupport
