// Creating, indexing and deleting tables.

#include "engine/TableDefinition.h"

#include "engine/CodePage.h"
#include "engine/CreationFolder.h"
#include "engine/EngineError.h"
#include "engine/HeaderBuilder.h"
#include "engine/IndexInfo.h"
#include "engine/IndexWriter.h"
#include "engine/TableData.h"
#include "engine/TableFamily.h"
#include "engine/TableFile.h"

#include <algorithm>
#include <ctime>
#include <random>
#include <set>

namespace engine {

namespace {

// Blocks of 32 KB, the largest the format gives level 5 and 7 tables (the level
// createTable writes).
constexpr uint8_t kLargestBlockCode = 32;

void refuseDefinition(const std::filesystem::path& file, const std::string& why) {
    throw EngineError(ErrorCode::InvalidArgument,
                      "Définition incorrecte pour " + quoted(file) + " : " + why);
}

void refuseIfOpen(const std::filesystem::path& file) {
    if (TableFile::isOpen(file))
        throw EngineError(ErrorCode::Locked,
                          "La table " + quoted(file) + " est en cours d'utilisation");
}

// The table's files, links to them included (the link goes, not what it leads
// to), and the temporary files of a write cut short; a temporary name held by
// anything but a plain file is not ours, and stays.
void removeFamily(const std::filesystem::path& file) {
    const std::string stem = upperAscii(file.stem().string());
    for (const auto& p : fileSystem().listAll(file.parent_path())) {
        if (!isFamilyFile(p, stem))
            continue;
        const EntryKind kind = fileSystem().status(p).kind;
        const bool temporary = isHiddenTemporary(p.filename().string());
        if (kind == EntryKind::Regular || (kind == EntryKind::Link && !temporary))
            fileSystem().remove(p);
    }
}

bool tableExistsInAnyCase(const std::filesystem::path& file) {
    if (fileSystem().exists(file))
        return true;
    const std::string want = upperAscii(file.filename().string());
    for (const auto& p : fileSystem().list(file.parent_path()))
        if (upperAscii(p.filename().string()) == want)
            return true;
    return false;
}

// The name is free, or its table may go: nobody else has it open.
void clearTheWay(const std::filesystem::path& file, ExistingTable existing) {
    if (existing == ExistingTable::Refuse && tableExistsInAnyCase(file))
        throw EngineError(ErrorCode::AlreadyExists, "La table " + quoted(file) + " existe déjà");
    if (fileSystem().exists(file))
        TableData::requireSoleUser(file);
}

void writeNewFile(const std::filesystem::path& file, const std::string& bytes) {
    auto f = fileSystem().open(file, OpenMode::CreateExclusive);
    f->writeAt(0, bytes.data(), bytes.size());
    f->sync();
    f->close();
}

FieldInfo checkedField(const std::filesystem::path& file, const FieldDef& d) {
    if (d.name.empty() || d.name.size() > 25 * 4)
        refuseDefinition(file, "nom de champ vide ou trop long");
    if (!isKnownFieldType(uint8_t(d.type)))
        refuseDefinition(file, "type inconnu pour le champ « " + d.name + " »");
    FieldInfo f;
    f.name = d.name;
    f.type = d.type;
    switch (d.type) {
    case FieldType::Alpha:
    case FieldType::Bytes:
        if (d.size < 1 || d.size > 255)
            refuseDefinition(file, "taille " + std::to_string(d.size) + " incorrecte pour « " +
                                       d.name + " »");
        f.size = d.size;
        break;
    case FieldType::Bcd:
        if (d.size < 0 || d.size > 32)
            refuseDefinition(file, "nombre de décimales incorrect pour « " + d.name + " »");
        f.size = d.size;
        break;
    case FieldType::Memo:
    case FieldType::Blob:
    case FieldType::FmtMemo:
    case FieldType::Ole:
    case FieldType::Graphic: {
        const int leader = d.size == 0 ? 10 : d.size;
        if (leader < 1 || leader > 240)
            refuseDefinition(file, "taille de préambule incorrecte pour « " + d.name + " »");
        f.size = leader + 10;
        break;
    }
    default:
        f.size = fieldWidth(d.type, 0);
        break;
    }
    f.width = fieldWidth(f.type, f.size);
    return f;
}

} // namespace

std::filesystem::path followLinks(const std::filesystem::path& file) {
    std::filesystem::path p = std::filesystem::absolute(file);
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code ec;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(p, ec)))
            return p;
        const std::filesystem::path target = std::filesystem::read_symlink(p, ec);
        if (ec)
            return p;
        p = (target.is_absolute() ? target : p.parent_path() / target).lexically_normal();
    }
    throw EngineError(ErrorCode::InvalidName,
                      "Trop de liens symboliques à suivre pour " + quoted(file));
}

void createTable(const std::filesystem::path& named, const std::vector<FieldDef>& defs,
                 const std::vector<IndexDef>& indexes, ExistingTable existing) {
    const std::filesystem::path file = followLinks(named);
    refuseIfOpen(file);
    if (defs.empty() || defs.size() > 255)
        refuseDefinition(file, "il faut de 1 à 255 champs");
    const CodePage& cp = CodePage::get(1252);
    std::vector<FieldInfo> fields;
    std::set<std::string> names;
    int recordSize = 0;
    for (const FieldDef& d : defs) {
        FieldInfo f = checkedField(file, d);
        f.offset = recordSize;
        recordSize += f.width;
        std::string encoded;
        if (!cp.encode(f.name, encoded))
            refuseDefinition(file, "le nom « " + f.name +
                                       " » ne peut pas être écrit en page de codes 1252");
        if (!names.insert(upperAscii(f.name)).second)
            refuseDefinition(file, "champ « " + f.name + " » en double");
        fields.push_back(f);
    }
    // The primary key: the first fields, in order.
    int keyFields = 0;
    std::vector<IndexDef> secondary;
    for (const IndexDef& ix : indexes) {
        if (!(ix.options & ixPrimary)) {
            secondary.push_back(ix);
            continue;
        }
        if (keyFields != 0)
            refuseDefinition(file, "plusieurs clés primaires");
        if (ix.fields.empty() || ix.fields.size() > 16)
            refuseDefinition(file, "la clé primaire doit avoir de 1 à 16 champs");
        for (size_t i = 0; i < ix.fields.size(); ++i)
            if (upperAscii(ix.fields[i]) != upperAscii(fields[i].name))
                refuseDefinition(
                    file, "la clé primaire doit porter sur les premiers champs, dans l'ordre");
        keyFields = int(ix.fields.size());
        for (int i = 0; i < keyFields; ++i)
            if (isBlobType(fields[size_t(i)].type) || fields[size_t(i)].type == FieldType::Logical)
                refuseDefinition(file, "le champ « " + fields[size_t(i)].name +
                                           " » ne peut pas faire partie de la clé");
    }
    // A file holds at most 65,535 blocks: with 2 KB blocks a table stopped at 134 MB.
    // The largest block the level accepts lets it grow to the 2 GB a file can hold;
    // a keyed table still needs three rows in a block for its splits.
    const uint8_t code = kLargestBlockCode;
    if ((code * 1024 - 6) / recordSize < (keyFields ? 3 : 1))
        refuseDefinition(file,
                         "enregistrement trop grand (" + std::to_string(recordSize) + " octets)");

    HeaderSpec s;
    s.fileType = keyFields ? ftKeyedTable : ftTable;
    s.blockSizeCode = code;
    s.fields = fields;
    s.keyFields = uint16_t(keyFields);
    s.tableName = file.filename().string();
    s.familyStamp = uint8_t(std::random_device{}() & 0xFF);
    s.updateTime = uint32_t(std::time(nullptr));
    for (size_t i = 0; i < fields.size(); ++i)
        s.fieldNumbers.push_back(uint16_t(i + 1));
    const std::string headerBytes = buildHeader(s, cp);

    bool hasBlobs = false;
    for (const FieldInfo& f : fields)
        hasBlobs = hasBlobs || isBlobType(f.type);
    // The whole family is made aside, then moved in: after a crash at any point
    // there is either no table of this name or a whole one.
    CreationFolder folder(file);
    const std::filesystem::path staged = folder.staged();
    clearTheWay(file, existing);
    writeNewFile(staged, headerBytes);
    if (hasBlobs)
        BlobFile::create(companionPath(staged, ".MB"));
    if (keyFields) {
        auto t = TableFile::open(staged);
        writePrimaryIndex(t->data());
    }
    for (const IndexDef& ix : secondary)
        addIndex(staged, ix);
    clearTheWay(file, existing); // again: someone may have opened it meanwhile
    folder.moveIntoPlace(removeFamily);
}

void addIndex(const std::filesystem::path& tableFile, const IndexDef& def) {
    refuseIfOpen(tableFile);
    auto t = TableFile::open(tableFile);
    TableData& d = t->data();
    if (!d.keyed)
        throw EngineError(ErrorCode::NotSupported,
                          "Un index secondaire maintenu demande une table à clé : " +
                              quoted(tableFile));
    if (def.fields.empty() || def.fields.size() > 16)
        refuseDefinition(tableFile, "un index porte sur 1 à 16 champs");
    if (def.options & (ixPrimary | ixExpression))
        refuseDefinition(tableFile, "seul un index secondaire sur des champs peut être ajouté");
    SecondaryOrder o;
    for (const std::string& name : def.fields) {
        const int fi = t->fieldIndex(name);
        if (fi < 0)
            refuseDefinition(tableFile, "champ « " + name + " » introuvable");
        if (isBlobType(d.header.fields[size_t(fi)].type))
            refuseDefinition(tableFile, "un champ BLOB ne peut pas être indexé");
        o.fields.push_back(fi);
        o.descending.push_back((def.options & ixDescending) != 0);
        o.indexWidth += size_t(d.header.fields[size_t(fi)].width);
    }
    o.caseInsensitive = (def.options & ixCaseInsensitive) != 0;
    const std::string& firstName = d.header.fields[size_t(o.fields[0])].name;
    o.composite = o.fields.size() > 1 ||
                  (def.options & (ixCaseInsensitive | ixDescending | ixUnique)) ||
                  (!def.name.empty() && upperAscii(def.name) != upperAscii(firstName));
    auto& existing = d.secondaries();
    for (const SecondaryOrder& e : existing)
        if (!def.name.empty() && upperAscii(e.info.name) == upperAscii(def.name))
            refuseDefinition(tableFile, "un index nommé « " + def.name + " » existe déjà");
    char ext[8];
    if (o.composite) {
        int n = 0;
        while (std::any_of(existing.begin(), existing.end(),
                           [&](const SecondaryOrder& e) { return e.composite && e.number == n; }))
            ++n;
        if (n > 35)
            refuseDefinition(tableFile, "trop d'index");
        o.number = n;
        std::snprintf(ext, sizeof ext, ".XG%c", n < 10 ? char('0' + n) : char('A' + n - 10));
    } else {
        o.number = o.fields[0] + 1;
        std::snprintf(ext, sizeof ext, ".X%02X", unsigned(o.number));
    }
    const std::string tableExt = tableFile.extension().string();
    std::string e = ext;
    if (!tableExt.empty() && std::islower(uint8_t(tableExt.back())))
        for (char& c : e)
            c = char(std::tolower(uint8_t(c)));
    o.xPath = tableFile.parent_path() / (tableFile.stem().string() + e);
    o.maintained = true;
    o.info.name = o.composite ? (def.name.empty() ? firstName : def.name) : firstName;
    for (size_t i = 0; i < o.fields.size(); ++i)
        o.info.fields += (i ? ";" : "") + d.header.fields[size_t(o.fields[i])].name;
    o.info.options = def.options & (ixUnique | ixDescending | ixCaseInsensitive);
    o.info.fileName = e.substr(1);
    if (o.info.options & ixUnique) {
        d.ensureBuilt(o);
        for (size_t i = 1; i < o.entries.size(); ++i)
            if (o.entries[i].substr(0, o.indexWidth) == o.entries[i - 1].substr(0, o.indexWidth))
                throw EngineError(ErrorCode::KeyViolation, keyViolationText(tableFile));
    }
    writeSecondaryIndex(d, o);
}

void deleteTable(const std::filesystem::path& named) {
    const std::filesystem::path tableFile = followLinks(named);
    refuseIfOpen(tableFile);
    if (!fileSystem().exists(tableFile))
        throw EngineError(ErrorCode::NotFound, "Table introuvable : " + quoted(named));
    TableData::requireSoleUser(tableFile);
    removeFamily(tableFile);
    if (tableFile != std::filesystem::absolute(named))
        fileSystem().remove(named); // the link that named it
}

} // namespace engine
