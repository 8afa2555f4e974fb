#include "engine/JournalFamily.h"

#include "engine/TableData.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace engine {

namespace {

std::string upper(std::string s) {
    for (char& c : s)
        c = char(std::toupper(uint8_t(c)));
    return s;
}

char digitOf(uint16_t n) {
    return n < 10 ? char('0' + n) : char('A' + n - 10);
}

} // namespace

std::optional<std::string> JournalFamily::extensionOf(FamilyMember m) {
    char ext[8];
    switch (m.role) {
    case FamilyRole::Table:
        return m.number == 0 ? std::optional<std::string>("") : std::nullopt;
    case FamilyRole::Blob:
        return m.number == 0 ? std::optional<std::string>(".MB") : std::nullopt;
    case FamilyRole::PrimaryIndex:
        return m.number == 0 ? std::optional<std::string>(".PX") : std::nullopt;
    case FamilyRole::SecondaryX:
    case FamilyRole::SecondaryY:
        if (m.number < 1 || m.number > 255)
            return std::nullopt;
        std::snprintf(ext, sizeof ext, ".%c%02X", m.role == FamilyRole::SecondaryX ? 'X' : 'Y',
                      unsigned(m.number));
        return std::string(ext);
    case FamilyRole::CompositeX:
    case FamilyRole::CompositeY:
        if (m.number > 35)
            return std::nullopt;
        return std::string(m.role == FamilyRole::CompositeX ? ".XG" : ".YG") + digitOf(m.number);
    }
    return std::nullopt;
}

std::optional<FamilyMember> JournalFamily::roleOf(const std::filesystem::path& table,
                                                  const std::filesystem::path& file) {
    if (file == table)
        return FamilyMember{FamilyRole::Table, 0};
    if (file.parent_path() != table.parent_path() ||
        upper(file.stem().string()) != upper(table.stem().string()))
        return std::nullopt;
    const std::string ext = upper(file.extension().string());
    std::optional<FamilyMember> m;
    if (ext == ".MB")
        m = FamilyMember{FamilyRole::Blob, 0};
    else if (ext == ".PX")
        m = FamilyMember{FamilyRole::PrimaryIndex, 0};
    else if (ext.size() == 4 && (ext[1] == 'X' || ext[1] == 'Y') && ext[2] == 'G')
        m = FamilyMember{
            ext[1] == 'X' ? FamilyRole::CompositeX : FamilyRole::CompositeY,
            uint16_t(std::isdigit(uint8_t(ext[3])) ? ext[3] - '0' : ext[3] - 'A' + 10)};
    else if (ext.size() == 4 && (ext[1] == 'X' || ext[1] == 'Y'))
        m = FamilyMember{ext[1] == 'X' ? FamilyRole::SecondaryX : FamilyRole::SecondaryY,
                         uint16_t(std::strtoul(ext.substr(2).c_str(), nullptr, 16))};
    // Every member spells its extension one way only.
    if (m && extensionOf(*m) == ext)
        return m;
    return std::nullopt;
}

std::optional<std::filesystem::path> JournalFamily::fileOf(const std::filesystem::path& table,
                                                           FamilyMember member) {
    const std::optional<std::string> ext = extensionOf(member);
    if (!ext)
        return std::nullopt;
    if (member.role == FamilyRole::Table)
        return table;
    return companionPath(table, ext->c_str());
}

} // namespace engine
