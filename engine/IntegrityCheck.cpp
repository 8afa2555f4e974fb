#include "engine/IntegrityCheck.h"

#include "engine/Bytes.h"
#include "engine/EngineError.h"
#include "engine/FileSystem.h"
#include "engine/TableData.h"
#include "engine/TableFile.h"
#include "engine/ValueCodec.h"

#include <algorithm>

namespace engine {

using namespace bytes;

namespace {

// Past this many, more findings repeat what is already said.
constexpr size_t kMaxFindings = 50;
// Deeper than any tree a 16-bit block number allows: a loop between levels.
constexpr int kMaxLevels = 16;

std::string block(uint16_t number) {
    return "le bloc " + std::to_string(number);
}

std::string n(uint64_t v) {
    return std::to_string(v);
}

std::filesystem::path treeOf(const std::filesystem::path& x) {
    std::string ext = x.extension().string();
    ext[1] = ext[1] == 'x' ? 'y' : 'Y';
    return std::filesystem::path(x).replace_extension(ext);
}

// The order-preserving 2-byte integers of tree entries (80 01 = 1).
uint32_t entryNumber(const char* p) {
    int64_t v = 0;
    return codec::decodeInt(p, 2, v) && v >= 0 ? uint32_t(v) : 0;
}

} // namespace

void IntegrityCheck::add(const std::filesystem::path& file, std::string what) {
    if (m_findings.size() < kMaxFindings)
        m_findings.push_back({file.filename().string(), std::move(what)});
}

std::vector<IntegrityFinding> IntegrityCheck::of(const std::filesystem::path& table) {
    try {
        const auto t = TableFile::open(table);
        TableData& d = t->data();
        d.beginRead();
        try {
            auto findings = IntegrityCheck(d).run(true);
            d.endRead();
            return findings;
        } catch (...) {
            d.endRead();
            throw;
        }
    } catch (const EngineError& e) {
        if (e.code() != ErrorCode::Corrupt)
            throw;
        return {{table.filename().string(), e.what()}}; // damage seen before the check could start
    }
}

std::vector<IntegrityFinding> IntegrityCheck::run(bool readBlobs) {
    TableData& d = m_table;
    d.checkReadable();
    m_findings.clear();
    auto f = fileSystem().open(d.path, OpenMode::Read);
    m_header = TableHeader::read(*f, d.header.codePage);
    const bool indexesCurrent = m_header.indexUpdateRequired == 0;
    std::vector<SecondaryOrder*> orders;
    if (indexesCurrent)
        for (SecondaryOrder& o : d.secondaries())
            if (o.maintained && !o.xPath.empty())
                orders.push_back(&o);
    m_expected.assign(orders.size(), {});
    m_lastKey.clear();
    m_rowOrdinal = 0;
    if (readBlobs && d.blobs && !fileSystem().exists(d.blobs->path())) {
        add(d.blobs->path(), "le fichier des BLOB est absent");
        readBlobs = false; // one finding, not one per row
    }
    const Walked rows = walkChain(*f, m_header, d.keyWidth, [&](const char* recs, uint32_t count) {
        checkRows(recs, count, readBlobs);
        for (size_t i = 0; i < orders.size(); ++i)
            for (uint32_t s = 0; s < count; ++s)
                m_expected[i].push_back(d.sortKey(*orders[i], recs + size_t(s) * d.recordSize, 0));
    });
    checkCounters(*f, m_header, rows);
    checkFreeList(*f, m_header, rows);
    if (!indexesCurrent || !rows.whole)
        return m_findings;
    if (d.keyed)
        checkTree(companionPath(d.path, ".PX"), rows, d.keyWidth);
    for (size_t i = 0; i < orders.size(); ++i)
        checkSecondary(*orders[i], std::move(m_expected[i]));
    return m_findings;
}

bool IntegrityCheck::readBlock(File& f, const TableHeader& h, uint16_t number, std::string& image) {
    image.assign(size_t(h.blockSize()), '\0');
    const uint64_t at = h.headerSize + uint64_t(number - 1) * uint64_t(h.blockSize());
    const size_t got = f.readAt(at, image.data(), image.size());
    if (got < 6)
        return false;
    // The records the block announces are there (an announcement past the block is
    // said by the caller).
    const int last = s16(image.data(), 4);
    return last < 0 || size_t(last) + 6 + h.recordSize <= got ||
           size_t(last) + 6 + h.recordSize > image.size();
}

// Walks the chain from the header; a link that leaves the file or loops ends the walk.
IntegrityCheck::Walked IntegrityCheck::walkChain(File& f, const TableHeader& h, size_t keyLen,
                                                 const RecordVisit& visit) {
    Walked w;
    if (h.recordSize == 0 || h.recordSize > h.blockSize() - 6) {
        add(h.file, "enregistrements de " + n(h.recordSize) + " octets dans des blocs de " +
                        n(h.blockSize()));
        w.whole = false;
        return w;
    }
    const uint32_t available = h.availableBlocks(f.size());
    const int capacity = (h.blockSize() - 6) / std::max<int>(1, h.recordSize);
    std::vector<bool> seen(size_t(available) + 1, false);
    std::string image;
    uint16_t prev = 0;
    for (uint16_t b = h.firstBlock; b != 0; prev = b, b = u16(image.data(), 0)) {
        if (b > available || seen[b] || !readBlock(f, h, b, image)) {
            add(h.file, b > available ? "la chaîne mène au bloc " + n(b) + ", hors du fichier"
                        : seen[b]     ? "la chaîne repasse par " + block(b)
                                      : block(b) + " est tronqué");
            w.whole = false;
            return w;
        }
        seen[b] = true;
        if (u16(image.data(), 2) != prev)
            add(h.file, block(b) + " désigne le bloc " + n(u16(image.data(), 2)) +
                            " comme précédent au lieu du bloc " + n(prev));
        const int last = s16(image.data(), 4);
        const bool alone = b == h.firstBlock && u16(image.data(), 0) == 0;
        if (last == -int(h.recordSize)) {
            if (!alone)
                add(h.file, block(b) + " est vide mais reste dans la chaîne");
        } else if (last < 0 || last % h.recordSize != 0 || last / h.recordSize >= capacity) {
            add(h.file, block(b) + " a une position de dernier enregistrement incorrecte");
            w.whole = false;
            return w;
        }
        w.chained.push_back(b);
        if (last < 0)
            continue;
        const uint32_t count = uint32_t(last / h.recordSize) + 1;
        w.blocks.push_back(b);
        w.counts.push_back(count);
        w.firstKeys.push_back(image.substr(6, keyLen));
        w.records += count;
        visit(image.data() + 6, count);
    }
    return w;
}

// The header's counters describe the chain on disk, and the file holds the blocks
// the header counts, no more.
void IntegrityCheck::checkCounters(File& f, const TableHeader& h, const Walked& w) {
    if (!w.whole)
        return;
    if (h.numRecords != w.records)
        add(h.file, "l'en-tête annonce " + n(h.numRecords) + " lignes mais la chaîne en contient " +
                        n(w.records));
    if (h.usedBlocks != w.chained.size())
        add(h.file, "l'en-tête annonce " + n(h.usedBlocks) +
                        " blocs en usage mais la chaîne en compte " + n(w.chained.size()));
    const uint16_t last = w.chained.empty() ? 0 : w.chained.back();
    if (h.lastBlock != last)
        add(h.file, "la chaîne s'arrête au bloc " + n(last) + " au lieu du bloc " + n(h.lastBlock));
    const uint64_t size = f.size();
    const uint64_t counted = h.headerSize + uint64_t(h.totalBlocks) * uint64_t(h.blockSize());
    if (h.availableBlocks(size) < h.totalBlocks || size >= counted + uint64_t(h.blockSize()))
        add(h.file, "l'en-tête annonce " + n(h.totalBlocks) + " blocs pour un fichier de " +
                        n(size) + " octets");
}

// Free blocks are linked by their first two bytes, outside the chain.
void IntegrityCheck::checkFreeList(File& f, const TableHeader& h, const Walked& w) {
    const uint32_t available = h.availableBlocks(f.size());
    std::vector<bool> used(size_t(available) + 1, false);
    for (uint16_t b : w.chained)
        used[b] = true;
    char link[2];
    for (uint16_t b = h.firstFreeBlock; b != 0; b = u16(link, 0)) {
        if (b > available || used[b]) {
            add(h.file, b > available
                            ? "la liste des blocs libres mène hors du fichier (bloc " + n(b) + ")"
                            : block(b) + " est à la fois libre et " +
                                  (std::count(w.chained.begin(), w.chained.end(), b)
                                       ? "dans la chaîne"
                                       : "deux fois dans la liste des blocs libres"));
            return;
        }
        used[b] = true;
        const uint64_t at = h.headerSize + uint64_t(b - 1) * uint64_t(h.blockSize());
        if (f.readAt(at, link, 2) < 2)
            return add(h.file, block(b) + ", libre, est tronqué");
    }
}

void IntegrityCheck::checkRows(const char* records, uint32_t count, bool readBlobs) {
    TableData& d = m_table;
    Row row;
    for (uint32_t s = 0; s < count; ++s, ++m_rowOrdinal) {
        const char* rec = records + size_t(s) * size_t(d.recordSize);
        if (d.keyed) {
            const std::string key(rec, d.keyWidth);
            if (m_rowOrdinal > 0 && key <= m_lastKey)
                add(d.path, "la ligne " + n(m_rowOrdinal + 1) +
                                (key == m_lastKey ? " répète la clé de la précédente"
                                                  : " a une clé inférieure à la précédente"));
            m_lastKey = key;
        }
        if (!readBlobs || !d.blobs)
            continue;
        try {
            d.decodeRow(rec, row);
        } catch (const EngineError& e) {
            add(d.blobs->path(), "ligne " + n(m_rowOrdinal + 1) + " : " + e.what());
        }
    }
}

void IntegrityCheck::checkSecondary(const SecondaryOrder& order,
                                    std::vector<std::string> expected) {
    TableData& d = m_table;
    const size_t imageWidth = order.indexWidth + d.keyWidth;
    std::unique_ptr<File> f;
    TableHeader h;
    try {
        f = fileSystem().open(order.xPath, OpenMode::Read);
        h = TableHeader::read(*f, d.header.codePage);
    } catch (const EngineError& e) {
        return add(order.xPath, e.what());
    }
    if (h.recordSize != imageWidth + 2)
        return add(order.xPath, "enregistrements de " + n(h.recordSize) + " octets au lieu de " +
                                    n(imageWidth + 2));
    std::vector<std::string> found;
    std::string rec(size_t(d.recordSize), '\0'), key, previous;
    bool ordered = true;
    const Walked w = walkChain(*f, h, imageWidth, [&](const char* recs, uint32_t count) {
        for (uint32_t s = 0; s < count; ++s) {
            const char* xr = recs + size_t(s) * h.recordSize;
            size_t at = 0; // the sort key of the row this entry stands for
            for (int fi : order.fields) {
                const FieldInfo& tf = d.header.fields[size_t(fi)];
                std::copy_n(xr + at, tf.width, rec.data() + tf.offset);
                at += size_t(tf.width);
            }
            std::copy_n(xr + at, d.keyWidth, rec.data());
            d.sortKeyInto(order, rec.data(), 0, key);
            found.push_back(key);
            ordered =
                ordered && (found.size() == 1 || previous < key || (!d.keyed && previous == key));
            previous = key;
        }
    });
    if (!ordered)
        add(order.xPath, "les entrées ne suivent pas l'ordre de l'index");
    checkCounters(*f, h, w);
    std::sort(found.begin(), found.end());
    std::sort(expected.begin(), expected.end());
    if (found != expected)
        add(order.xPath, n(found.size()) + " entrées pour " + n(expected.size()) +
                             " lignes, ou des entrées qui ne sont pas celles des lignes");
    if (w.whole)
        checkTree(treeOf(order.xPath), w, imageWidth);
}

// A tree over a sorted file: its level-1 entries name the file's blocks in chain
// order with their first keys and counts.
void IntegrityCheck::checkTree(const std::filesystem::path& tree, const Walked& below,
                               size_t keyLen) {
    std::unique_ptr<File> f;
    TableHeader h;
    try {
        f = fileSystem().open(tree, OpenMode::Read);
        h = TableHeader::read(*f, m_table.header.codePage);
    } catch (const EngineError& e) {
        return add(tree, e.what());
    }
    if (h.recordSize != keyLen + 6)
        return add(tree, "entrées de " + n(h.recordSize) + " octets au lieu de " + n(keyLen + 6));
    std::vector<std::string> level1;
    uint64_t entries = 0;
    if (h.indexLevels > kMaxLevels)
        return add(tree, "l'arbre annonce " + n(h.indexLevels) + " niveaux");
    if (h.indexLevels > 0) {
        std::vector<bool> seen(size_t(h.availableBlocks(f->size())) + 1, false);
        std::string firstKey;
        uint64_t sum = 0;
        if (!descend(*f, h, h.indexRoot, h.indexLevels, seen, level1, firstKey, sum, entries))
            return;
    }
    std::vector<std::string> wanted;
    for (size_t i = 0; i < below.blocks.size(); ++i) {
        char numbers[4];
        codec::encodeInt(numbers, 2, below.blocks[i]);
        codec::encodeInt(numbers + 2, 2, below.counts[i]);
        wanted.push_back(below.firstKeys[i] + std::string(numbers, 4));
    }
    if (level1 != wanted)
        add(tree, "l'arbre nomme " + n(level1.size()) + " blocs pour " + n(wanted.size()) +
                      ", ou pas leurs premières clés, leurs numéros et leurs comptes dans l'ordre "
                      "de la chaîne");
    if (h.numRecords != entries)
        add(tree, "l'en-tête annonce " + n(h.numRecords) + " entrées mais l'arbre en contient " +
                      n(entries));
}

// One index block at `level` and what is under it: collects the level-1 entries (key,
// block, count), and the block's first key and the sum of its counts for its parent.
bool IntegrityCheck::descend(File& f, const TableHeader& h, uint16_t number, int level,
                             std::vector<bool>& seen, std::vector<std::string>& level1,
                             std::string& firstKey, uint64_t& sum, uint64_t& entries) {
    std::string image;
    const int capacity = (h.blockSize() - 6) / h.recordSize;
    if (number == 0 || number >= seen.size() || seen[number] || !readBlock(f, h, number, image) ||
        s16(image.data(), 4) < 0 || s16(image.data(), 4) % h.recordSize != 0 ||
        s16(image.data(), 4) / h.recordSize >= capacity) {
        add(h.file, "l'arbre passe par " + block(number) + ", absent, déjà vu ou illisible");
        return false;
    }
    seen[number] = true;
    const size_t keyLen = size_t(h.recordSize) - 6;
    const uint32_t count = uint32_t(s16(image.data(), 4) / h.recordSize) + 1;
    firstKey = image.substr(6, keyLen);
    entries += count;
    for (uint32_t i = 0; i < count; ++i) {
        const char* e = image.data() + 6 + size_t(i) * h.recordSize;
        const uint32_t entryCount = entryNumber(e + keyLen + 2);
        sum += entryCount;
        if (level == 1) {
            level1.emplace_back(e, keyLen + 4);
            continue;
        }
        std::string childKey;
        uint64_t childSum = 0;
        if (!descend(f, h, uint16_t(entryNumber(e + keyLen)), level - 1, seen, level1, childKey,
                     childSum, entries))
            return false;
        if (childKey != std::string(e, keyLen) || entryCount != std::min<uint64_t>(childSum, 32767))
            add(h.file, block(number) + " : l'entrée " + n(i + 1) +
                            " ne rend pas la première clé ou le compte du bloc qu'elle désigne");
    }
    return true;
}

} // namespace engine
