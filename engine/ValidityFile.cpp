#include "engine/ValidityFile.h"

#include "engine/CodePage.h"
#include "engine/EngineError.h"
#include "engine/FileSystem.h"
#include "engine/TableData.h"
#include "engine/TableFile.h"
#include "engine/ValueCodec.h"

#include <cstring>
#include <strings.h>

namespace engine {

namespace {

constexpr size_t kHeaderSize = 0x35;
constexpr size_t kRecordSize = 28;
constexpr size_t kLookupArea = 80;
constexpr size_t kChildEntry = 0x1E0;
constexpr size_t kDependentEntry = 0x12A;
constexpr size_t kParentBlockHead = 0xBA;
constexpr int kMaxLinkFields = 16;

// Why a file cannot be trusted; caught once, in parse().
struct Damage {
    std::string why;
};

// Bounded reads over the file's bytes: every offset is checked before use.
class ValBytes {
public:
    explicit ValBytes(std::string_view b) : m_b(b) {}
    size_t size() const { return m_b.size(); }
    void need(size_t at, size_t n, const char* what) const {
        if (at > m_b.size() || n > m_b.size() - at)
            throw Damage{std::string(what) + " dépasse la fin du fichier"};
    }
    uint8_t u8(size_t at) const {
        need(at, 1, "un octet");
        return uint8_t(m_b[at]);
    }
    uint16_t u16(size_t at) const {
        need(at, 2, "un mot");
        return uint16_t(u8(at) | u8(at + 1) << 8);
    }
    uint32_t u32(size_t at) const { return uint32_t(u16(at)) | uint32_t(u16(at + 2)) << 16; }
    const char* at(size_t off) const { return m_b.data() + off; }
    // The NUL-terminated text of an area of n bytes; a missing NUL is damage.
    std::string_view text(size_t at, size_t n, const char* what) const {
        need(at, n, what);
        const void* nul = std::memchr(m_b.data() + at, 0, n);
        if (!nul)
            throw Damage{std::string(what) + " n'est pas terminé"};
        return {m_b.data() + at, size_t(static_cast<const char*>(nul) - (m_b.data() + at))};
    }

private:
    std::string_view m_b;
};

class Parser {
public:
    Parser(std::string_view bytes, const ValidityFile::Table& table)
        : m_in(bytes), m_table(table), m_cp(CodePage::get(table.codePage)) {}

    // Empty when the file ties to the table; else why not.
    std::string staleness() const {
        if (m_in.u8(0) != m_table.stamp)
            return "marque différente de celle de la table";
        const uint8_t version = m_in.u8(1);
        if (version != 1 && version != m_table.version)
            return "version différente de celle de la table";
        return version == 1 ? std::string() : footerStaleness(m_in.u32(0x09));
    }

    void read(ValidityRules& rules) {
        const bool old = m_in.u8(1) == 1;
        const size_t footer = old ? m_in.size() : m_in.u32(0x09);
        const size_t links = old ? 0 : m_in.u32(0x0D);
        size_t pos = kHeaderSize;
        for (int n = m_in.u8(2); n > 0; --n)
            pos = readCheck(pos, rules);
        if (pos != (links ? links : footer))
            throw Damage{"les contrôles ne finissent pas où commence la suite"};
        if (links && readLinks(links, rules) != footer)
            throw Damage{"les liens ne finissent pas où commence la liste des champs"};
    }

private:
    std::string footerStaleness(size_t at) const {
        const size_t count = m_in.u16(at);
        if (count != m_table.fields.size())
            return "nombre de champs différent";
        if (m_in.u16(at + 2) != m_table.keyFields)
            return "clé différente";
        return namesStaleness(at, count);
    }

    std::string namesStaleness(size_t at, size_t count) const {
        size_t pos = at + 6 + 2 * count;
        for (const FieldInfo& f : m_table.fields) {
            if (m_in.u8(pos) != uint8_t(f.type) || m_in.u8(pos + 1) != uint8_t(f.size))
                return "type du champ « " + f.name + " » différent";
            pos += 2;
        }
        pos += m_table.version >= 0x0C ? 261 : 79;
        for (const FieldInfo& f : m_table.fields) {
            const std::string_view raw =
                m_in.text(pos, m_in.size() - std::min(pos, m_in.size()), "un nom de champ");
            if (strcasecmp(m_cp.decode(raw).c_str(), f.name.c_str()) != 0)
                return "champ « " + f.name + " » renommé";
            pos += raw.size() + 1;
        }
        if (pos != m_in.size())
            throw Damage{"la liste des champs ne finit pas avec le fichier"};
        return {};
    }

    size_t readCheck(size_t pos, ValidityRules& rules) {
        m_in.need(pos, kRecordSize, "un contrôle");
        FieldCheck check;
        check.field = m_in.u8(pos);
        if (size_t(check.field) >= m_table.fields.size())
            throw Damage{"un contrôle vise le champ n° " + std::to_string(check.field + 1) +
                         ", qui n'existe pas"};
        const FieldInfo& field = m_table.fields[size_t(check.field)];
        const size_t pictureLength = m_in.u8(pos + 1);
        if (m_in.u8(pos + 2) > 1)
            throw Damage{"octet « requis » inconnu"};
        check.required = m_in.u8(pos + 2) == 1;
        const uint8_t flags = m_in.u8(pos + 3);
        size_t at = pos + kRecordSize;
        if (m_in.u32(pos + 4) != 0) {
            TableLookup lookup;
            lookup.table = m_cp.decode(m_in.text(at, kLookupArea, "le nom de table de référence"));
            if (lookup.table.empty())
                throw Damage{"table de référence sans nom"};
            lookup.allCorrespondingFields = flags & 1;
            lookup.help = flags & 2;
            check.lookup = lookup;
            at += kLookupArea;
        }
        at = readValue(pos + 0x0C, at, field, check.minimum, rules);
        at = readValue(pos + 0x10, at, field, check.maximum, rules);
        at = readValue(pos + 0x14, at, field, check.defaultValue, rules);
        if ((m_in.u32(pos + 0x18) != 0) != (pictureLength != 0))
            throw Damage{"longueur du masque incohérente"};
        if (pictureLength) {
            check.picture = m_cp.decode(m_in.text(at, pictureLength, "un masque"));
            at += pictureLength;
        }
        keep(std::move(check), rules);
        return at;
    }

    size_t readValue(size_t slot, size_t at, const FieldInfo& field, std::optional<Value>& out,
                     ValidityRules& rules) const {
        if (m_in.u32(slot) == 0)
            return at;
        FieldInfo inRecord = field;
        inRecord.offset = 0;
        inRecord.width = fieldWidth(field.type, field.size);
        m_in.need(at, size_t(inRecord.width), "une valeur de contrôle");
        if (isBlobType(field.type)) {
            rules.problems.push_back("valeur de contrôle ignorée sur le champ mémo ou BLOB « " +
                                     field.name + " »");
        } else {
            Value v;
            ValueCodec(m_cp, nullptr).decode(inRecord, m_in.at(at), v);
            if (!v.isNull())
                out = std::move(v);
        }
        return at + size_t(inRecord.width);
    }

    static void keep(FieldCheck check, ValidityRules& rules) {
        if (check.empty())
            return; // a removed check, as old files keep them
        if (rules.checkOf(check.field))
            throw Damage{"deux contrôles pour le même champ"};
        rules.checks.push_back(std::move(check));
    }

    std::vector<int> positions(size_t at, int count, size_t limit, const char* what) const {
        std::vector<int> out;
        for (int i = 0; i < count; ++i) {
            const int p = m_in.u16(at + 2 * size_t(i));
            if (p < 1 || size_t(p) > limit)
                throw Damage{std::string(what) + " : position de champ invalide"};
            out.push_back(p - 1);
        }
        return out;
    }

    int fieldCount(size_t at) const {
        const int n = m_in.u16(at);
        if (n < 1 || n > kMaxLinkFields)
            throw Damage{"nombre de champs d'un lien invalide"};
        return n;
    }

    size_t readLinks(size_t pos, ValidityRules& rules) const {
        const size_t children = m_in.u16(pos);
        pos += 2;
        m_in.need(pos, children * kChildEntry, "les liens");
        for (size_t i = 0; i < children; ++i, pos += kChildEntry)
            rules.references.push_back(childLink(pos));
        const uint16_t parentFlag = m_in.u16(pos);
        if (parentFlag == 0)
            return pos + 2;
        if (parentFlag != 1)
            throw Damage{"section des tables dépendantes inconnue"};
        return readDependents(pos, rules);
    }

    TableLink childLink(size_t at) const {
        TableLink link;
        link.name = m_cp.decode(m_in.text(at, 64, "le nom d'un lien"));
        link.table = m_cp.decode(m_in.text(at + 0xD4, 198, "le nom d'une table parente"));
        if (link.table.empty())
            throw Damage{"lien sans table parente"};
        link.cascade = m_in.u32(at + 0x19A) != 0;
        const int n = fieldCount(at + 0x19E);
        link.fields = positions(at + 0x1A0, n, m_table.fields.size(), "un lien");
        link.tableFields = positions(at + 0x1C0, n, 255, "un lien");
        return link;
    }

    size_t readDependents(size_t block, ValidityRules& rules) const {
        m_in.need(block, kParentBlockHead, "la liste des tables dépendantes");
        const int keyCount = fieldCount(block + 0x96);
        const std::vector<int> key =
            positions(block + 0x98, keyCount, m_table.fields.size(), "une clé parente");
        const size_t count = m_in.u16(block + 0xB8);
        size_t pos = block + kParentBlockHead;
        m_in.need(pos, count * kDependentEntry, "les tables dépendantes");
        for (size_t i = 0; i < count; ++i, pos += kDependentEntry) {
            TableLink link;
            link.name = m_cp.decode(m_in.text(pos, 64, "le nom d'un lien"));
            link.table = m_cp.decode(m_in.text(pos + 0x40, 82, "le nom d'une table dépendante"));
            link.cascade = m_in.u8(pos + 0x106) != 0;
            link.fields = positions(pos + 0x10A, keyCount, 255, "une table dépendante");
            link.tableFields = key;
            rules.dependents.push_back(std::move(link));
        }
        return pos;
    }

    ValBytes m_in;
    const ValidityFile::Table& m_table;
    const CodePage& m_cp;
};

void reject(ValidityRules& rules, const std::string& message) {
    rules.checks.clear();
    rules.references.clear();
    rules.dependents.clear();
    rules.problems.push_back(message);
}

} // namespace

ValidityRules ValidityFile::parse(std::string_view bytes, const Table& table) {
    ValidityRules rules;
    rules.present = true;
    const std::string name = quoted(table.file);
    try {
        if (bytes.size() < kHeaderSize || bytes.size() > kMaxBytes)
            throw Damage{"taille impossible"};
        Parser parser(bytes, table);
        if (const std::uint8_t v = uint8_t(bytes[1]); v != 1 && v < 5)
            throw Damage{"disposition inconnue"};
        const std::string stale = parser.staleness();
        if (!stale.empty()) {
            rules.stale = true;
            reject(rules, "Le fichier de contrôles " + name + " ne correspond plus à sa table (" +
                              stale + ") : ses règles sont ignorées");
            return rules;
        }
        parser.read(rules);
    } catch (const Damage& d) {
        reject(rules, "Le fichier de contrôles " + name + " est endommagé (" + d.why +
                          ") : ses règles sont ignorées");
    } catch (const EngineError& e) { // a code page the system cannot convert
        reject(rules, e.what());
    }
    return rules;
}

ValidityFile::Table ValidityFile::tieTo(const TableHeader& h,
                                        const std::filesystem::path& valFile) {
    Table tie;
    tie.file = valFile;
    tie.stamp = h.familyStamp;
    tie.version = h.version;
    tie.keyFields = h.keyFields;
    tie.codePage = h.codePage;
    tie.fields = h.fields;
    return tie;
}

std::filesystem::path ValidityFile::findBeside(const std::filesystem::path& dir,
                                               const std::string& name) {
    if (name.empty() || name.find_first_of("/\\") != std::string::npos)
        return {};
    for (const std::filesystem::path& p : fileSystem().list(dir))
        if (strcasecmp(p.filename().c_str(), name.c_str()) == 0)
            return p;
    return {};
}

namespace {

std::string readAll(const std::filesystem::path& file) {
    auto f = fileSystem().open(file, OpenMode::ReadNoFollow);
    const uint64_t size = f->size();
    if (size > ValidityFile::kMaxBytes)
        return std::string(ValidityFile::kMaxBytes + 1, '\0'); // refused by parse()
    std::string bytes(size, '\0');
    bytes.resize(f->readAt(0, bytes.data(), bytes.size()));
    return bytes;
}

// The names of `positions` in `fields`; false when one lies outside.
bool nameFields(const std::vector<FieldInfo>& fields, const std::vector<int>& positions,
                std::vector<std::string>& names) {
    names.clear();
    for (int p : positions) {
        if (p < 0 || size_t(p) >= fields.size())
            return false;
        names.push_back(fields[size_t(p)].name);
    }
    return true;
}

// Finds the other table of a link beside this one and names its fields.
void resolveLink(TableLink& link, const TableFile& self, bool selfIsChild, ValidityRules& rules) {
    const auto dir = self.path().parent_path();
    nameFields(self.fields(), selfIsChild ? link.fields : link.tableFields,
               selfIsChild ? link.fieldNames : link.tableFieldNames);
    const std::string role = selfIsChild ? "parente" : "dépendante";
    const std::filesystem::path other = ValidityFile::findBeside(dir, link.table);
    if (other.empty()) {
        rules.problems.push_back("La table " + role + " « " + link.table + " » du lien « " +
                                 link.name + " » est introuvable");
        return;
    }
    try {
        const auto table = TableFile::open(other);
        auto& names = selfIsChild ? link.tableFieldNames : link.fieldNames;
        if (!nameFields(table->fields(), selfIsChild ? link.tableFields : link.fields, names))
            rules.problems.push_back("Le lien « " + link.name + " » vise des champs absents de " +
                                     quoted(other));
        link.file = other.string();
    } catch (const EngineError& e) {
        rules.problems.push_back(e.what());
    }
}

void resolveLookups(const TableFile& self, ValidityRules& rules) {
    for (FieldCheck& check : rules.checks) {
        if (!check.lookup)
            continue;
        const auto found = ValidityFile::findBeside(self.path().parent_path(), check.lookup->table);
        check.lookup->file = found.string();
        if (found.empty())
            rules.problems.push_back("La table de référence « " + check.lookup->table +
                                     " » du champ « " + self.fields()[size_t(check.field)].name +
                                     " » est introuvable");
    }
}

} // namespace

ValidityRules ValidityFile::readBeside(const TableFile& table) {
    const std::string stem = table.path().stem().string();
    const std::filesystem::path val = findBeside(table.path().parent_path(), stem + ".VAL");
    if (val.empty())
        return {};
    ValidityRules rules;
    try {
        rules = parse(readAll(val), tieTo(table.data().header, val));
    } catch (const EngineError& e) {
        rules.present = true;
        rules.problems.push_back(e.what());
        return rules;
    }
    resolveLookups(table, rules);
    for (TableLink& link : rules.references)
        resolveLink(link, table, true, rules);
    for (TableLink& link : rules.dependents)
        resolveLink(link, table, false, rules);
    return rules;
}

} // namespace engine
