#include "engine/TableData.h"

#include "engine/Bytes.h"
#include "engine/Database.h"
#include "engine/DirectoryListing.h"
#include "engine/EngineError.h"
#include "engine/PrimaryIndexLayout.h"
#include "engine/ValueCodec.h"

#include <algorithm>
#include <cstring>

namespace engine {

using namespace bytes;

std::filesystem::path companionPath(const std::filesystem::path& table, const char* ext) {
    // Companion files may use any letter case. The two usual spellings cost one
    // look each; any other is found in the directory's listing, which is shared by
    // every table of the directory (DirectoryListing).
    const std::string stem = table.stem().string();
    const std::filesystem::path dir = table.parent_path();
    std::string lower = ext;
    for (char& c : lower)
        c = char(std::tolower(uint8_t(c)));
    for (const std::string& cand : {std::string(ext), lower}) {
        std::filesystem::path p = dir / (stem + cand);
        if (fileSystem().exists(p))
            return p;
    }
    std::filesystem::path odd = DirectoryListing::findNoCase(dir, stem + ext);
    if (!odd.empty())
        return odd;
    const std::string tableExt = table.extension().string();
    if (!tableExt.empty() && std::islower(uint8_t(tableExt.back())))
        return dir / (stem + lower);
    return dir / (stem + ext);
}

namespace {

// What the header says of the chain must be what the walk found, unless the header
// is marked as lagging (0x4F, a session that did not finish): then the chain is the
// truth and the counters are recomputed from it.
void checkChainAgainstHeader(const TableHeader& h, uint64_t rows, uint16_t last) {
    if (h.indexUpdateRequired != 0)
        return;
    if (rows != h.numRecords)
        throwCorrupt(h.file, "l'en-tête annonce " + std::to_string(h.numRecords) +
                                 " lignes mais la chaîne des blocs en contient " +
                                 std::to_string(rows));
    if (last != h.lastBlock)
        throwCorrupt(h.file, "la chaîne des blocs s'arrête au bloc " + std::to_string(last) +
                                 " au lieu du bloc " + std::to_string(h.lastBlock));
}

// A block may end early in the file, but never before its last record.
void checkBlockLength(const std::filesystem::path& file, uint16_t number, size_t got,
                      const char* image, int recordSize) {
    const int lastOffset = got >= 6 ? s16(image, 4) : 0;
    const size_t needed = 6 + (lastOffset >= 0 ? size_t(lastOffset) + size_t(recordSize) : 0);
    if (got < 6 || got < needed)
        throwCorrupt(file, "le bloc " + std::to_string(number) + " est tronqué");
}

} // namespace

TableData::TableData(std::filesystem::path canonical, std::unique_ptr<File> f, TableHeader h,
                     TableLock lock)
    : path(std::move(canonical)), file(std::make_unique<BufferedFile>(std::move(f))),
      header(std::move(h)), m_lock(std::move(lock)) {
    m_lock.attach(file->disk());
    try {
        cp = &CodePage::get(header.codePage);
    } catch (const EngineError&) {
        cp = &CodePage::get(1252);
    }
    recordSize = header.recordSize;
    blockSize = header.blockSize();
    capacity = (blockSize - 6) / recordSize;
    keyed = header.fileType == ftKeyedTable && header.keyFields > 0;
    if (keyed)
        for (int i = 0; i < header.keyFields; ++i)
            keyWidth += size_t(header.fields[size_t(i)].width);
    bool hasBlobs = false;
    for (const FieldInfo& fi : header.fields)
        hasBlobs = hasBlobs || isBlobType(fi.type);
    if (hasBlobs)
        blobs = std::make_unique<BlobFile>(companionPath(path, ".MB"), path);
    codec = std::make_unique<ValueCodec>(*cp, blobs.get());
}

TableData::~TableData() = default;

void TableData::checkReadable() const {
    if (header.encryption != 0)
        throw EngineError(
            ErrorCode::Encrypted,
            "La table " + quoted(path) +
                " est protégée par un mot de passe : ses lignes ne peuvent pas être lues");
}

void TableData::readBlock(uint16_t number, std::string& image) {
    image.assign(size_t(blockSize), '\0');
    const uint64_t off = header.headerSize + uint64_t(number - 1) * uint64_t(blockSize);
    checkBlockLength(path, number, file->readAt(off, image.data(), image.size()), image.data(),
                     recordSize);
}

void TableData::walkBlocks(File& f, const TableHeader& h,
                           const std::function<bool(uint16_t, const char*, uint32_t)>& visit) {
    const uint32_t available = h.availableBlocks(f.size());
    const int bs = h.blockSize();
    const uint32_t cap = uint32_t((bs - 6) / h.recordSize);
    std::vector<bool> seen(size_t(available) + 1, false);
    std::string image(size_t(bs), '\0');
    if (h.firstBlock == 0 && h.numRecords != 0)
        throwCorrupt(h.file, "l'en-tête annonce " + std::to_string(h.numRecords) +
                                 " lignes mais aucun bloc de données");
    uint16_t prev = 0;
    uint64_t rows = 0;
    for (uint16_t b = h.firstBlock; b != 0;) {
        if (b > available) {
            if (prev == 0)
                throwCorrupt(h.file, "le premier bloc (" + std::to_string(b) +
                                         ") est au-delà de la fin du fichier");
            throwCorrupt(h.file, "le bloc " + std::to_string(prev) +
                                     " pointe au-delà de la fin du fichier (bloc " +
                                     std::to_string(b) + ")");
        }
        if (seen[b])
            throwCorrupt(h.file, "la chaîne des blocs revient au bloc " + std::to_string(b));
        seen[b] = true;
        const uint64_t off = h.headerSize + uint64_t(b - 1) * uint64_t(bs);
        std::memset(image.data(), 0, image.size());
        checkBlockLength(h.file, b, f.readAt(off, image.data(), image.size()), image.data(),
                         h.recordSize);
        const int lastOffset = s16(image.data(), 4);
        uint32_t count = 0;
        if (lastOffset < 0 && lastOffset != -int(h.recordSize))
            throwCorrupt(h.file, "le bloc " + std::to_string(b) +
                                     " a une position de dernier enregistrement incorrecte");
        if (lastOffset >= 0) {
            if (lastOffset % h.recordSize != 0)
                throwCorrupt(h.file, "le bloc " + std::to_string(b) +
                                         " a une position de dernier enregistrement incorrecte");
            count = uint32_t(lastOffset / h.recordSize) + 1;
            if (count > cap)
                throwCorrupt(h.file, "le bloc " + std::to_string(b) + " annonce " +
                                         std::to_string(count) + " enregistrements pour " +
                                         std::to_string(cap) + " au plus");
        }
        if (count > 0 && !visit(b, image.data() + 6, count))
            return;
        rows += count;
        prev = b;
        b = u16(image.data(), 0);
    }
    checkChainAgainstHeader(h, rows, prev);
}

void TableData::decodeRow(const char* rec, Row& out) const {
    out.resize(header.fields.size());
    for (size_t i = 0; i < header.fields.size(); ++i)
        codec->decode(header.fields[i], rec, out[i]);
}

void TableData::decodeColumns(const char* rec, const std::vector<size_t>& columns, Row& out) const {
    out.resize(header.fields.size());
    for (size_t i : columns)
        if (i < header.fields.size())
            codec->decode(header.fields[i], rec, out[i]);
}

void TableData::streamRows(const std::function<bool(const Row&)>& visit,
                           const std::vector<size_t>* columns) {
    settle();
    checkReadable();
    Row row;
    auto decode = [&](const char* rec) {
        if (columns)
            decodeColumns(rec, *columns, row);
        else
            decodeRow(rec, row);
    };
    if (m_haveDirectory) {
        for (size_t i = 0; i < m_chain.size(); ++i) {
            loadBlock(m_chain[i]);
            for (uint32_t s = 0; s < m_chain[i].count; ++s) {
                decode(m_chain[i].records.data() + size_t(s) * size_t(recordSize));
                if (!visit(row))
                    return;
            }
        }
        return;
    }
    walkBlocks(*file, header, [&](uint16_t, const char* recs, uint32_t count) {
        for (uint32_t s = 0; s < count; ++s) {
            decode(recs + size_t(s) * size_t(recordSize));
            if (!visit(row))
                return false;
        }
        return true;
    });
}

void TableData::checkChain() {
    settle();
    checkReadable();
    walkBlocks(*file, header, [](uint16_t, const char*, uint32_t) { return true; });
}

} // namespace engine
