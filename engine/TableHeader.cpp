#include "engine/TableHeader.h"

#include "engine/Bytes.h"
#include "engine/CodePage.h"
#include "engine/EngineError.h"
#include "engine/FileSystem.h"

namespace engine {

using namespace bytes;

int levelOfVersion(int version) {
    if (version <= 4)
        return 3;
    if (version <= 9)
        return 4;
    if (version <= 11)
        return 5;
    return 7;
}

bool TableHeader::isDataLike() const {
    switch (fileType) {
    case ftKeyedTable:
    case ftTable:
    case ftXnnPlain:
    case ftXnnMaintained:
    case ftXGnPlain:
    case ftXGnMaintained:
        return true;
    default:
        return false;
    }
}

int TableHeader::level() const {
    return levelOfVersion(version);
}

uint32_t TableHeader::availableBlocks(uint64_t fileSize) const {
    if (fileSize <= headerSize)
        return 0;
    // A last block may be cut short after its last record (seen in real files): it
    // counts when its 6-byte header is there; its records are checked when read.
    const uint64_t present =
        (fileSize - headerSize + uint64_t(blockSize()) - 6) / uint64_t(blockSize());
    return uint32_t(std::min<uint64_t>(present, totalBlocks));
}

namespace {

[[noreturn]] void notATable(const std::filesystem::path& file, const std::string& why) {
    throw EngineError(ErrorCode::NotParadox,
                      quoted(file) + " n'est pas un fichier de table valide : " + why);
}

// Reads a NUL-terminated string starting at pos, inside [0, end).
bool readCString(const std::string& raw, size_t& pos, size_t end, std::string& out) {
    size_t stop = pos;
    while (stop < end && raw[stop] != '\0')
        ++stop;
    if (stop >= end)
        return false;
    out.assign(raw, pos, stop - pos);
    pos = stop + 1;
    return true;
}

// Checks the size byte of a field descriptor for its type.
bool legalSize(FieldType t, int size) {
    switch (t) {
    case FieldType::Alpha:
    case FieldType::Bytes:
        return size >= 1 && size <= 255;
    case FieldType::Bcd:
        return size <= 32;
    case FieldType::Memo:
    case FieldType::Blob:
    case FieldType::FmtMemo:
    case FieldType::Ole:
    case FieldType::Graphic:
        return size >= 10 && size <= 250;
    default:
        return size == fieldWidth(t, size);
    }
}

void parseFixedPart(TableHeader& h) {
    const std::string& r = h.raw;
    h.recordSize = u16(r.data(), 0x00);
    h.headerSize = u16(r.data(), 0x02);
    h.fileType = u8(r.data(), 0x04);
    h.blockSizeCode = u8(r.data(), 0x05);
    h.numRecords = u32(r.data(), 0x06);
    h.usedBlocks = u16(r.data(), 0x0A);
    h.totalBlocks = u16(r.data(), 0x0C);
    h.firstBlock = u16(r.data(), 0x0E);
    h.lastBlock = u16(r.data(), 0x10);
    h.indexFieldNumber = u8(r.data(), 0x15);
    h.indexRoot = u16(r.data(), 0x1E);
    h.indexLevels = u8(r.data(), 0x20);
    h.numFields = u16(r.data(), 0x21);
    h.keyFields = u16(r.data(), 0x23);
    h.encryption = u32(r.data(), 0x25);
    h.sortOrderId = u8(r.data(), 0x29);
    h.familyStamp = u8(r.data(), 0x2E);
    h.version = u8(r.data(), 0x39);
    h.autoInc = u32(r.data(), 0x49);
    h.firstFreeBlock = u16(r.data(), 0x4D);
    h.indexUpdateRequired = u8(r.data(), 0x4F);
    h.indexFlags = u8(r.data(), 0x55);
}

void checkFixedPart(const TableHeader& h) {
    if (h.fileType > ftXGnMaintained)
        notATable(h.file, "type de fichier " + std::to_string(h.fileType) + " inconnu");
    if (h.blockSizeCode < 1 || h.blockSizeCode > 32)
        notATable(h.file, "taille de bloc " + std::to_string(h.blockSizeCode) + " Kio incorrecte");
    if (h.version < 3 || h.version > 12)
        notATable(h.file, "version " + std::to_string(h.version) + " inconnue");
    if (h.recordSize == 0)
        notATable(h.file, "taille d'enregistrement nulle");
    if (h.headerSize < 0x58)
        notATable(h.file, "en-tête trop court");
    if (h.numFields == 0 || h.numFields > 1024)
        throwCorrupt(h.file, "nombre de champs " + std::to_string(h.numFields) + " incorrect");
    if (h.keyFields > h.numFields)
        throwCorrupt(h.file, "plus de champs de clé que de champs");
    if (int(h.recordSize) + 6 > h.blockSize())
        throwCorrupt(h.file, "un enregistrement de " + std::to_string(h.recordSize) +
                                 " octets ne tient pas dans un bloc");
}

// Parses the descriptors, names, field numbers and names that follow the fixed part.
void parseVariablePart(TableHeader& h, int level3CodePage) {
    const std::string& r = h.raw;
    const size_t end = r.size();
    size_t pos = h.extended ? 0x78 : 0x58;
    auto need = [&](size_t n, const char* what) {
        if (pos + n > end)
            throwCorrupt(h.file, std::string("en-tête tronqué (") + what + ")");
    };
    need(size_t(h.numFields) * 2, "descripteurs de champs");
    int offset = 0;
    h.fields.resize(h.numFields);
    for (size_t i = 0; i < h.numFields; ++i) {
        const uint8_t type = u8(r.data(), pos + 2 * i);
        const int size = u8(r.data(), pos + 2 * i + 1);
        FieldInfo& f = h.fields[i];
        if (!isKnownFieldType(type) || !legalSize(FieldType(type), size))
            throwCorrupt(h.file, "le champ " + std::to_string(i + 1) + " a un type (" +
                                     std::to_string(type) + ") ou une taille (" +
                                     std::to_string(size) + ") incorrects");
        f.type = FieldType(type);
        f.size = size;
        f.offset = offset;
        f.width = fieldWidth(f.type, size);
        offset += f.width;
    }
    const int expected = offset + (h.isDataLike() ? 0 : 6);
    if (expected != h.recordSize)
        throwCorrupt(h.file, "la taille d'enregistrement (" + std::to_string(h.recordSize) +
                                 ") ne correspond pas aux champs (" + std::to_string(expected) +
                                 ")");
    pos += size_t(h.numFields) * 2 + 4;
    if (h.isDataLike())
        pos += size_t(h.numFields) * 4;
    const size_t nameArea = h.version >= 12 ? 261 : 79;
    need(nameArea, "nom de table");
    size_t stop = pos;
    while (stop < pos + nameArea && r[stop] != '\0')
        ++stop;
    h.tableName.assign(r, pos, stop - pos);
    pos += nameArea;
    if (!h.isDataLike())
        return;

    h.codePage = h.extended ? u16(r.data(), 0x6A) : level3CodePage;
    const CodePage* cp = nullptr;
    try {
        cp = &CodePage::get(h.codePage);
    } catch (const EngineError&) {
        cp = &CodePage::get(1252); // an unknown page still lets the structure be read
    }
    for (FieldInfo& f : h.fields) {
        std::string name;
        if (!readCString(r, pos, end, name))
            throwCorrupt(h.file, "en-tête tronqué (noms de champs)");
        f.name = cp->decode(name);
    }
    if (h.version < 5)
        return;
    const size_t numbersAt = h.extended ? 0x58 + size_t(u16(r.data(), 0x66)) : pos;
    if (numbersAt + size_t(h.numFields) * 2 <= end) {
        h.fieldNumbers.resize(h.numFields);
        for (size_t i = 0; i < h.numFields; ++i)
            h.fieldNumbers[i] = u16(r.data(), numbersAt + 2 * i);
        pos = numbersAt + size_t(h.numFields) * 2;
    }
    if (h.extended) {
        size_t sortAt = 0x58 + size_t(u16(r.data(), 0x6E));
        if (sortAt < end && readCString(r, sortAt, end, h.sortOrderName))
            pos = sortAt;
        const size_t nameOff = u16(r.data(), 0x68);
        size_t indexAt = 0x58 + nameOff;
        if (nameOff != 0 && indexAt < end) {
            std::string name;
            if (readCString(r, indexAt, end, name))
                h.indexName = cp->decode(name);
        }
    }
}

} // namespace

TableHeader TableHeader::read(File& f, int level3CodePage) {
    TableHeader h;
    h.file = f.path();
    const uint64_t fileSize = f.size();
    if (fileSize < 0x58)
        notATable(h.file, "fichier trop court (" + std::to_string(fileSize) + " octets)");
    std::string fixed(0x58, '\0');
    f.readAt(0, fixed.data(), fixed.size());
    h.raw = fixed;
    parseFixedPart(h);
    checkFixedPart(h);
    if (h.headerSize > fileSize)
        throwCorrupt(h.file, "l'en-tête (" + std::to_string(h.headerSize) +
                                 " octets) dépasse la fin du fichier (" + std::to_string(fileSize) +
                                 " octets)");
    h.raw.resize(h.headerSize);
    if (f.readAt(0, h.raw.data(), h.raw.size()) != h.raw.size())
        throwCorrupt(h.file, "en-tête tronqué");
    h.extended = h.isDataLike() && h.version >= 5;
    if (h.extended && h.headerSize < 0x78)
        throwCorrupt(h.file, "en-tête trop court pour la version du fichier");
    if (h.extended) {
        if (h.encryption == 0xFF00FF00u)
            h.encryption = u32(h.raw.data(), 0x5C);
        h.updateTime = u32(h.raw.data(), 0x60);
    }
    parseVariablePart(h, level3CodePage);
    return h;
}

void TableHeader::storeFixedPart() {
    char* r = raw.data();
    put16(r, 0x00, recordSize);
    put16(r, 0x02, headerSize);
    put8(r, 0x04, fileType);
    put8(r, 0x05, blockSizeCode);
    put32(r, 0x06, numRecords);
    put16(r, 0x0A, usedBlocks);
    put16(r, 0x0C, totalBlocks);
    put16(r, 0x0E, firstBlock);
    put16(r, 0x10, lastBlock);
    put16(r, 0x3A, totalBlocks);
    put32(r, 0x49, autoInc);
    put16(r, 0x4D, firstFreeBlock);
    put8(r, 0x4F, indexUpdateRequired);
    if (extended)
        put32(r, 0x60, updateTime);
}

} // namespace engine
