#include "engine/IndexBlockFile.h"

#include "engine/Bytes.h"
#include "engine/EngineError.h"
#include "engine/WriteTxn.h"

#include <algorithm>
#include <cstring>

namespace engine {

using namespace bytes;

namespace {

// Blocks kept read in one transaction before the oldest are read again from the file.
constexpr size_t kKeptBlocks = 512;

} // namespace

IndexBlockFile::IndexBlockFile(const std::filesystem::path& p, int codePage)
    : m_file(std::make_unique<BufferedFile>(fileSystem().open(p, OpenMode::ReadWriteNoFollow))),
      m_codePage(codePage) {
    header = TableHeader::read(*m_file, codePage);
    if (header.recordSize == 0 || header.blockSizeCode == 0 || capacity() < 2)
        damaged("taille d'enregistrement ou de bloc impossible");
}

void IndexBlockFile::reload() {
    m_blocks.clear();
    header = TableHeader::read(*m_file, m_codePage);
}

void IndexBlockFile::damaged(const std::string& what) const {
    throw EngineError(ErrorCode::IndexOutOfDate,
                      "Index " + quoted(m_file->path()) + " à reconstruire : " + what);
}

const std::string& IndexBlockFile::block(uint16_t n) {
    auto it = m_blocks.find(n);
    if (it != m_blocks.end())
        return it->second;
    if (n == 0 || n > header.totalBlocks)
        damaged("bloc " + std::to_string(n) + " hors du fichier");
    std::string b(blockSize(), '\0');
    if (m_file->readAt(offsetOf(n), b.data(), b.size()) != b.size())
        damaged("bloc " + std::to_string(n) + " tronqué");
    const int last = int16_t(u16(b.data(), 4));
    if (last >= 0 && (last % int(recordSize()) != 0 || size_t(last) / recordSize() >= capacity()))
        damaged("compte du bloc " + std::to_string(n));
    if (m_blocks.size() >= kKeptBlocks)
        m_blocks.clear();
    return m_blocks.emplace(n, std::move(b)).first->second;
}

uint16_t IndexBlockFile::next(const std::string& b) {
    return u16(b.data(), 0);
}

uint16_t IndexBlockFile::prev(const std::string& b) {
    return u16(b.data(), 2);
}

size_t IndexBlockFile::count(const std::string& b) const {
    const int last = int16_t(u16(b.data(), 4));
    return last < 0 ? 0 : size_t(last) / recordSize() + 1;
}

// Bytes at the ends of [from, to) that the block already holds need not be written nor
// journalled: a tree entry whose count alone changed writes its count, not its block.
// A block past the file's end is written whole, so that the file reaches its end.
void IndexBlockFile::trimUnchanged(uint16_t n, const std::string& image, size_t& from, size_t& to) {
    const auto known = m_blocks.find(n);
    if (known == m_blocks.end() || known->second.size() != image.size() ||
        offsetOf(n) + image.size() > m_file->size())
        return;
    const std::string& old = known->second;
    to = std::min(to, image.size());
    constexpr size_t kStride = 64; // whole strides first: memcmp is far faster than a byte loop
    while (from + kStride <= to &&
           std::memcmp(old.data() + from, image.data() + from, kStride) == 0)
        from += kStride;
    while (from < to && old[from] == image[from])
        ++from;
    while (to >= from + kStride &&
           std::memcmp(old.data() + to - kStride, image.data() + to - kStride, kStride) == 0)
        to -= kStride;
    while (to > from && old[to - 1] == image[to - 1])
        --to;
}

void IndexBlockFile::write(uint16_t n, std::string image, size_t from, size_t to, WriteTxn& txn) {
    from = std::max<size_t>(from, 6); // the header goes on its own
    trimUnchanged(n, image, from, to);
    txn.writeTo(*m_file, offsetOf(n), image.substr(0, 6));
    if (to > from)
        txn.writeTo(*m_file, offsetOf(n) + from, image.substr(from, to - from));
    if (m_blocks.size() >= kKeptBlocks)
        m_blocks.clear();
    m_blocks[n] = std::move(image);
}

std::string& IndexBlockFile::edit(uint16_t n) {
    block(n);
    return m_blocks[n];
}

void IndexBlockFile::writeEdited(uint16_t n, size_t from, size_t to, WriteTxn& txn) {
    const std::string& image = m_blocks.at(n);
    try {
        txn.writeTo(*m_file, offsetOf(n), image.substr(0, 6));
        if (to > from)
            txn.writeTo(*m_file, offsetOf(n) + from, image.substr(from, to - from));
    } catch (...) {
        m_blocks.erase(n); // the edited image never reached the file
        throw;
    }
}

void IndexBlockFile::writeHeader(WriteTxn& txn) {
    header.storeFixedPart();
    if (!header.isDataLike()) { // a tree: its root and depth too
        put16(header.raw.data(), 0x1E, header.indexRoot);
        put8(header.raw.data(), 0x20, header.indexLevels);
    }
    txn.writeTo(*m_file, 0, header.raw.substr(0, header.extended ? 0x78 : 0x58));
}

uint16_t IndexBlockFile::allocate(WriteTxn& txn) {
    uint16_t n = header.firstFreeBlock;
    if (n != 0 && n <= header.totalBlocks) {
        uint16_t after = next(block(n));
        header.firstFreeBlock = after <= header.totalBlocks ? after : 0;
    } else {
        header.firstFreeBlock = 0;
        if (header.totalBlocks == 0xFFFF)
            throw EngineError(ErrorCode::InvalidArgument,
                              "L'index " + quoted(m_file->path()) +
                                  " a atteint sa taille limite de 65535 blocs");
        n = ++header.totalBlocks;
        m_blocks.erase(n); // whatever lies there is written over whole below
    }
    std::string empty(blockSize(), '\0');
    put16(empty.data(), 4, uint16_t(-int16_t(recordSize())));
    write(n, std::move(empty), 0, blockSize(), txn);
    ++header.usedBlocks;
    return n;
}

void IndexBlockFile::setLinks(uint16_t n, uint16_t nextBlock, uint16_t prevBlock, WriteTxn& txn) {
    std::string b = block(n);
    put16(b.data(), 0, nextBlock);
    put16(b.data(), 2, prevBlock);
    write(n, std::move(b), 0, 0, txn);
}

void IndexBlockFile::linkAfter(uint16_t after, uint16_t n, WriteTxn& txn) {
    if (after == 0) {
        const uint16_t first = header.firstBlock;
        setLinks(n, first, 0, txn);
        if (first)
            setLinks(first, next(block(first)), n, txn);
        header.firstBlock = n;
        if (!header.lastBlock)
            header.lastBlock = n;
        return;
    }
    const uint16_t following = next(block(after));
    setLinks(n, following, after, txn);
    setLinks(after, n, prev(block(after)), txn);
    if (following)
        setLinks(following, next(block(following)), n, txn);
    else
        header.lastBlock = n;
}

void IndexBlockFile::linkBefore(uint16_t before, uint16_t n, WriteTxn& txn) {
    if (before == 0) {
        linkAfter(header.lastBlock, n, txn);
        return;
    }
    linkAfter(prev(block(before)), n, txn);
}

void IndexBlockFile::unlink(uint16_t n, WriteTxn& txn) {
    const std::string& b = block(n);
    const uint16_t before = prev(b), after = next(b);
    if (before)
        setLinks(before, after, prev(block(before)), txn);
    else
        header.firstBlock = after;
    if (after)
        setLinks(after, next(block(after)), before, txn);
    else
        header.lastBlock = before;
    std::string freed(blockSize(), '\0');
    put16(freed.data(), 0, header.firstFreeBlock);
    put16(freed.data(), 4, uint16_t(-int16_t(recordSize())));
    write(n, std::move(freed), 0, blockSize(), txn); // a freed entry's bytes do not stay
    header.firstFreeBlock = n;
    --header.usedBlocks;
}

} // namespace engine
