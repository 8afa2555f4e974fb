#include "cli/TextDecodeCheck.h"

#include "engine/CodePage.h"
#include "engine/TableFile.h"

#include <cstring>

namespace cli {

namespace {
bool isTextField(engine::FieldType t) {
    return t == engine::FieldType::Alpha || t == engine::FieldType::Memo;
}
} // namespace

bool TextDecodeCheck::isUnclean(std::string_view utf8) {
    for (size_t i = 0; i < utf8.size();) {
        // Plain ASCII, the bulk of text, goes by eight bytes at a time.
        uint64_t word;
        if (i + 8 <= utf8.size() &&
            (std::memcpy(&word, utf8.data() + i, 8), (word & 0x8080808080808080ull) == 0)) {
            i += 8;
            continue;
        }
        if (static_cast<unsigned char>(utf8[i]) < 0x80) {
            ++i;
            continue;
        }
        char32_t c = 0;
        if (!engine::nextUtf8(utf8, i, c))
            return true;
        if (c == 0xFFFD || (c >= 0x80 && c <= 0x9F))
            return true;
    }
    return false;
}

bool TextDecodeCheck::hasText(const engine::TableFile& table) {
    for (const engine::FieldInfo& f : table.fields())
        if (isTextField(f.type))
            return true;
    return false;
}

TextDecodeCheck::TextDecodeCheck(const engine::TableFile& table) {
    for (size_t i = 0; i < table.fields().size(); ++i)
        if (isTextField(table.fields()[i].type))
            m_textFields.push_back(i);
}

void TextDecodeCheck::add(const engine::Row& row) {
    for (size_t i : m_textFields) {
        if (i >= row.size() || row[i].kind != engine::Value::Kind::Text)
            continue;
        ++m_result.textValues;
        if (isUnclean(row[i].text))
            ++m_result.unclean;
    }
}

TextDecodeCheck::Result TextDecodeCheck::scan(const engine::TableFile& table) {
    TextDecodeCheck check(table);
    if (check.m_textFields.empty())
        return check.m_result;
    table.forEachRow(check.m_textFields, [&](const engine::Row& row) {
        check.add(row);
        return true;
    });
    return check.m_result;
}

} // namespace cli
