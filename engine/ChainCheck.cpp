// What a write checks before it touches the chain: the header's counters against the
// block directory, and the on-disk links of every block it writes or relinks together
// with its neighbours. A write that trusted a damaged link would bury rows where no
// reader finds them, so damage is refused before anything is written. Only the blocks
// near the write are read (six bytes each, once per directory), never the whole chain.

#include "engine/TableData.h"

#include "engine/Bytes.h"
#include "engine/EngineError.h"

#include <string>

namespace engine {

using namespace bytes;

namespace {

std::string blockText(uint16_t number) {
    return "le bloc " + std::to_string(number);
}

} // namespace

void TableData::checkHeaderAgainstChain() {
    const uint64_t rows = rowCount();
    if (rows != header.numRecords)
        throwCorrupt(path, "l'en-tête annonce " + std::to_string(header.numRecords) +
                               " lignes mais la chaîne des blocs en contient " +
                               std::to_string(rows));
    if (m_chain.size() != header.usedBlocks)
        throwCorrupt(path, "l'en-tête annonce " + std::to_string(header.usedBlocks) +
                               " blocs en usage mais la chaîne des blocs en compte " +
                               std::to_string(m_chain.size()));
    const uint16_t first = m_chain.empty() ? 0 : m_chain.front().number;
    const uint16_t last = m_chain.empty() ? 0 : m_chain.back().number;
    if (first != header.firstBlock)
        throwCorrupt(path, "la chaîne des blocs commence au bloc " + std::to_string(first) +
                               " au lieu du bloc " + std::to_string(header.firstBlock));
    if (last != header.lastBlock)
        throwCorrupt(path, "la chaîne des blocs s'arrête au bloc " + std::to_string(last) +
                               " au lieu du bloc " + std::to_string(header.lastBlock));
    checkFileSizeAgainstHeader();
}

// A new block goes right after the blocks the header counts: a file that holds fewer
// of them lost rows, one that holds more has blocks the header forgot.
void TableData::checkFileSizeAgainstHeader() {
    const uint64_t size = file->size();
    const uint32_t present = header.availableBlocks(size);
    const uint64_t counted = header.headerSize + uint64_t(header.totalBlocks) * uint64_t(blockSize);
    const uint64_t extra = size > counted ? (size - counted) / uint64_t(blockSize) : 0;
    if (present < header.totalBlocks || extra > 0)
        throwCorrupt(path, "l'en-tête annonce " + std::to_string(header.totalBlocks) +
                               " blocs mais le fichier en contient " +
                               std::to_string(extra > 0 ? header.totalBlocks + extra : present));
}

// The damage the six-byte header of chained block i shows against the directory, or
// nothing.
std::string TableData::linkDamage(size_t i, const char* blockHeader) {
    const BlockRef& b = m_chain[i];
    const uint16_t next = u16(blockHeader, 0), prev = u16(blockHeader, 2);
    const int lastOffset = s16(blockHeader, 4);
    const uint16_t wantNext = i + 1 < m_chain.size() ? m_chain[i + 1].number : 0;
    const uint16_t wantPrev = i > 0 ? m_chain[i - 1].number : 0;
    if (next != wantNext) {
        if (next > header.availableBlocks(file->size()))
            return blockText(b.number) + " pointe au-delà de la fin du fichier (bloc " +
                   std::to_string(next) + ")";
        return blockText(b.number) + " pointe vers le bloc " + std::to_string(next) +
               " au lieu du bloc " + std::to_string(wantNext);
    }
    if (prev != wantPrev)
        return blockText(b.number) + " désigne le bloc " + std::to_string(prev) +
               " comme précédent au lieu du bloc " + std::to_string(wantPrev);
    if (lastOffset < 0 || lastOffset % recordSize != 0 ||
        uint32_t(lastOffset / recordSize) + 1 > uint32_t(capacity))
        return blockText(b.number) + " a une position de dernier enregistrement incorrecte";
    const uint32_t count = uint32_t(lastOffset / recordSize) + 1;
    if (count != b.count)
        return blockText(b.number) + " annonce " + std::to_string(count) +
               " enregistrements au lieu de " + std::to_string(b.count);
    return {};
}

void TableData::checkLinksOnDisk(size_t i) {
    const uint16_t number = m_chain[i].number;
    if (number < m_linksChecked.size() && m_linksChecked[number])
        return;
    if (number == 0 || number > header.availableBlocks(file->size()))
        throwCorrupt(path, blockText(number) + " est au-delà de la fin du fichier");
    char blockHeader[6] = {};
    if (file->readAt(headerOffsetOf(number), blockHeader, sizeof blockHeader) < 6)
        throwCorrupt(path, blockText(number) + " est tronqué");
    const std::string damage = linkDamage(i, blockHeader);
    if (!damage.empty()) {
        if (m_directoryFromIndex)
            rewalkAfterMismatch(number, damage);
        throwCorrupt(path, damage);
    }
    if (m_linksChecked.size() <= number)
        m_linksChecked.resize(size_t(number) + 1, false);
    m_linksChecked[number] = true;
}

void TableData::checkNeighbourhood(size_t i) {
    for (size_t j = i > 0 ? i - 1 : 0; j <= i + 1 && j < m_chain.size(); ++j)
        checkLinksOnDisk(j);
}

void TableData::checkAppendPoint() {
    settle();
    checkReadable();
    const auto check = [this] {
        checkHeaderAgainstChain();
        if (!m_chain.empty())
            checkNeighbourhood(m_chain.size() - 1);
    };
    try {
        check();
    } catch (const EngineError& e) {
        if (e.code() != ErrorCode::IndexOutOfDate)
            throw;
        check(); // the .PX alone was stale: the chain just walked is checked instead
    }
}

// The directory came from the .PX and a block disagrees with it: the chain on disk
// decides. Walking it reports the damage a reader meets; a chain that walks cleanly
// but still disagrees around this block is damaged where only a writer looks (back
// link, record count); otherwise the .PX alone was stale, and the write is refused
// this once, the next one going by the chain.
void TableData::rewalkAfterMismatch(uint16_t number, const std::string& damage) {
    m_primaryIndexUntrusted = true; // the .PX tree goes with the generation
    for (SecondaryOrder& o : m_secondary)
        o.built = false;
    ++generation;
    walkChain();
    for (size_t i = 0; i < m_chain.size(); ++i)
        if (m_chain[i].number == number)
            checkNeighbourhood(i);
    throw EngineError(ErrorCode::IndexOutOfDate,
                      "Index primaire périmé pour " + quoted(path) + " : " + damage);
}

} // namespace engine
