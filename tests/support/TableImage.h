// Builds the bytes of Paradox table families (.DB, .PX, .Xnn/.Ynn, .XGn/.YGn, .MB)
// in memory, independently of the engine. The fuzz seeds, the damaged-file corpus,
// the mutation tests and the benchmark fixtures all start from these images, so
// they never depend on the code they test. Header-only on purpose: the fuzz seed
// generator, the tests and the benchmarks include it without another library.
//
// The layout follows the engine's on-disk notes: little-endian control structures,
// big-endian sign-flipped field values, 6-byte block headers, level-1 index entries
// of key + block + count + 0.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tableimage {

using Bytes = std::vector<uint8_t>;

// ---- Field type codes as stored in the header's descriptor array -------------
enum Type : uint8_t {
    tAlpha = 0x01,
    tDate = 0x02,
    tShort = 0x03,
    tLong = 0x04,
    tMoney = 0x05,
    tNumber = 0x06,
    tLogical = 0x09,
    tMemo = 0x0C,
    tBlob = 0x0D,
    tFmtMemo = 0x0E,
    tOle = 0x0F,
    tGraphic = 0x10,
    tTime = 0x14,
    tTimestamp = 0x15,
    tAutoInc = 0x16,
    tBcd = 0x17,
    tBytes = 0x18
};

inline bool isBlobType(uint8_t t) {
    return t >= tMemo && t <= tGraphic;
}

// ---- Little-endian helpers for control structures ------------------------------
inline void put16(Bytes& b, size_t off, uint16_t v) {
    b[off] = uint8_t(v);
    b[off + 1] = uint8_t(v >> 8);
}
inline void put32(Bytes& b, size_t off, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[off + i] = uint8_t(v >> (8 * i));
}
inline uint16_t get16(const Bytes& b, size_t off) {
    return uint16_t(b[off] | (b[off + 1] << 8));
}
inline uint32_t get32(const Bytes& b, size_t off) {
    return uint32_t(b[off]) | uint32_t(b[off + 1]) << 8 | uint32_t(b[off + 2]) << 16 |
           uint32_t(b[off + 3]) << 24;
}

// ---- Field value images (order-preserving encodings) ---------------------------
inline Bytes nullValue(int width) {
    return Bytes(size_t(width), 0);
}

// Integers: big-endian two's complement with the top bit flipped (S, I, +, D, T).
inline Bytes encInt(int64_t v, int width) {
    Bytes out(static_cast<size_t>(width));
    uint64_t u = uint64_t(v);
    for (int i = width - 1; i >= 0; --i) {
        out[size_t(i)] = uint8_t(u);
        u >>= 8;
    }
    out[0] ^= 0x80;
    return out;
}

// Doubles (N, $, @): big-endian IEEE; positives get the sign bit, negatives are complemented.
inline Bytes encDouble(double v) {
    if (v == 0)
        v = 0.0; // -0.0 would encode as 7F FF..., store +0
    uint64_t u;
    std::memcpy(&u, &v, 8);
    Bytes out(8);
    for (int i = 7; i >= 0; --i) {
        out[size_t(i)] = uint8_t(u);
        u >>= 8;
    }
    if (out[0] & 0x80) {
        for (auto& c : out)
            c = uint8_t(~c);
    } else {
        out[0] |= 0x80;
    }
    return out;
}

inline Bytes encAlpha(std::string_view s, int width) {
    Bytes out(size_t(width), 0);
    std::memcpy(out.data(), s.data(), std::min(s.size(), out.size()));
    return out;
}

inline Bytes encLogical(bool v) {
    return Bytes{uint8_t(v ? 0x81 : 0x80)};
}

// Days with 0001-01-01 = 1.
inline int64_t dayNumber(int y, int m, int d) {
    auto daysBeforeYear = [](int64_t yy) { return yy * 365 + yy / 4 - yy / 100 + yy / 400; };
    static const int before[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return daysBeforeYear(y - 1) + before[m - 1] + (m > 2 && leap ? 1 : 0) + d;
}
inline Bytes encDate(int y, int m, int d) {
    return encInt(dayNumber(y, m, d), 4);
}
inline Bytes encTime(int h, int mi, int s, int ms) {
    return encInt(((h * 60 + mi) * 60 + s) * 1000LL + ms, 4);
}
inline Bytes encTimestamp(int y, int m, int d, int h, int mi, int s, int ms) {
    return encDouble(double(dayNumber(y, m, d)) * 86400000.0 +
                     double(((h * 60 + mi) * 60 + s) * 1000LL + ms));
}

// BCD: sign/scale byte then 32 digit nibbles; negatives complement every digit byte.
inline Bytes encBcd(std::string_view decimal, int scale) {
    bool negative = !decimal.empty() && decimal[0] == '-';
    if (negative)
        decimal.remove_prefix(1);
    std::string intPart(decimal.substr(0, decimal.find('.')));
    std::string frac = decimal.find('.') == std::string_view::npos
                           ? std::string()
                           : std::string(decimal.substr(decimal.find('.') + 1));
    frac.resize(size_t(scale), '0');
    std::string digits =
        std::string(size_t(32 - scale) - std::min(intPart.size(), size_t(32 - scale)), '0') +
        intPart + frac;
    Bytes out(17, 0);
    out[0] = uint8_t((negative ? 0x00 : 0x80) | 0x40 | scale);
    for (size_t i = 0; i < 32; ++i) {
        uint8_t digit = uint8_t(digits[i] - '0');
        out[1 + i / 2] |= uint8_t(i % 2 ? digit : digit << 4);
    }
    if (negative)
        for (size_t i = 1; i < 17; ++i)
            out[i] = uint8_t(~out[i]);
    return out;
}

// ---- Table description ----------------------------------------------------------
struct FieldSpec {
    std::string name;
    uint8_t type = tAlpha;
    uint8_t size = 10; // Alpha/Bytes length, BCD decimals, BLOB leader + 10; fixed types: ignored
    int width() const {
        switch (type) {
        case tAlpha:
        case tBytes:
            return size;
        case tBcd:
            return 17;
        case tShort:
            return 2;
        case tLogical:
            return 1;
        case tMoney:
        case tNumber:
        case tTimestamp:
            return 8;
        case tDate:
        case tLong:
        case tTime:
        case tAutoInc:
            return 4;
        default:
            return isBlobType(type) ? size : size;
        }
    }
    uint8_t descriptorSize() const {
        return type == tBcd || type == tAlpha || type == tBytes || isBlobType(type)
                   ? size
                   : uint8_t(width());
    }
};

struct TableSpec {
    std::vector<FieldSpec> fields;
    int keyFields = 0; // the first k fields form the primary key; 0 = unkeyed table
    uint8_t version = 0x0C;
    int blockKb = 2;
    uint16_t codePage = 1252;
    std::string sortOrder = "DBWINUS0";
    uint8_t sortByte = 0x4C;
    std::string tableName = "T.DB";
    uint32_t autoInc = 0;
    uint8_t stamp = 0x21;       // family stamp at 0x2E, copied into the .X* files
    bool reverseBlocks = false; // physical block order opposite to the chain order
};

// A secondary index: maintained .XGn (composite/named/options) or .Xnn (single field, plain).
struct SecondarySpec {
    std::string name;        // .XGn index name; ignored for .Xnn
    std::vector<int> fields; // 0-based table field numbers
    uint8_t options = 0;     // byte 0x55: 0x01 case-insensitive, 0x10 descending, 0x20 unique
    bool composite = true;   // true: .XGn/.YGn, false: .Xnn/.Ynn
};

// Files of one family by extension ("DB", "PX", "XG0", "YG0", "X02", "Y02", "MB").
using Family = std::map<std::string, Bytes>;

inline void writeFamily(const std::filesystem::path& dir, const std::string& stem,
                        const Family& family) {
    for (const auto& [ext, bytes] : family) {
        std::ofstream out(dir / (stem + "." + ext), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!out)
            throw std::runtime_error("cannot write " + (dir / (stem + "." + ext)).string());
    }
}

// ---- The .MB file ------------------------------------------------------------------
class MbWriter {
public:
    MbWriter() : m_file(4096, 0) {
        m_file[0] = 0;
        put16(m_file, 1, 1);
        put16(m_file, 3, 1);
        const uint8_t magic[] = {0x82, 0x73, 0x02, 0x00, 0x29, 0x00};
        std::memcpy(&m_file[5], magic, sizeof magic);
        put16(m_file, 0x0B, 0x1000);
        put16(m_file, 0x0D, 0x1000);
        m_file[0x10] = 0x10;
        put16(m_file, 0x11, 0x40);
        put16(m_file, 0x13, 0x800);
        put16(m_file, 0x29, 0x02A1);
    }
    bool used() const { return m_file.size() > 4096; }
    const Bytes& bytes() const { return m_file; }

    // The record image of a BLOB field of fSize `fieldSize` holding `value`.
    // `prefixLen` bytes of the value are skipped for the leader copy (8 for Graphic).
    Bytes field(int fieldSize, const Bytes& value, size_t prefixLen = 0) {
        size_t leader = size_t(fieldSize - 10);
        Bytes out(size_t(fieldSize), 0);
        if (value.empty())
            return out;
        uint32_t ref = 0;
        uint16_t mod = 0;
        if (value.size() > leader) {
            ref = value.size() > 2048 ? single(value) : suballocated(value);
            mod = 1;
        }
        size_t copyFrom = ref ? prefixLen : 0;
        size_t n = std::min(leader, value.size() > copyFrom ? value.size() - copyFrom : 0);
        std::memcpy(out.data(), value.data() + copyFrom, n);
        put32(out, leader, ref);
        put32(out, leader + 4, uint32_t(value.size()));
        put16(out, leader + 8, mod);
        return out;
    }

private:
    uint32_t single(const Bytes& value) {
        size_t units = (9 + value.size() + 4095) / 4096;
        size_t off = m_file.size();
        m_file.resize(off + units * 4096, 0);
        m_file[off] = 2;
        put16(m_file, off + 1, uint16_t(units));
        put32(m_file, off + 3, uint32_t(value.size()));
        put16(m_file, off + 7, 1);
        std::memcpy(&m_file[off + 9], value.data(), value.size());
        return uint32_t(off) | 0xFF;
    }
    uint32_t suballocated(const Bytes& value) {
        size_t chunks = (value.size() + 15) / 16;
        if (m_subBlock == 0 || m_nextSlot < 0 || m_nextChunk + chunks > 256) {
            m_subBlock = m_file.size();
            m_file.resize(m_subBlock + 4096, 0);
            m_file[m_subBlock] = 3;
            put16(m_file, m_subBlock + 1, 1);
            m_nextSlot = 63;
            m_nextChunk = 0x150 / 16;
        }
        size_t slot = m_subBlock + 12 + size_t(m_nextSlot) * 5;
        m_file[slot] = uint8_t(m_nextChunk);
        m_file[slot + 1] = uint8_t(chunks);
        put16(m_file, slot + 2, 1);
        m_file[slot + 4] = uint8_t(value.size() % 16 ? value.size() % 16 : 16);
        std::memcpy(&m_file[m_subBlock + m_nextChunk * 16], value.data(), value.size());
        m_nextChunk += chunks;
        return uint32_t(m_subBlock) | uint32_t(m_nextSlot--);
    }
    Bytes m_file;
    size_t m_subBlock = 0;
    int m_nextSlot = -1;
    size_t m_nextChunk = 0;
};

// ---- Headers ---------------------------------------------------------------------
struct HeaderArgs {
    uint8_t fileType = 0;
    std::vector<FieldSpec> fields;      // fields described in this file
    std::vector<uint16_t> fieldNumbers; // level 4+ data-like files
    uint16_t recordSize = 0;
    uint8_t blockKb = 2;
    uint32_t numRecords = 0;
    uint16_t blocks = 0, firstBlock = 0, lastBlock = 0;
    uint16_t keyFields = 0;       // 0x23
    uint8_t indexFieldNumber = 0; // 0x15
    uint16_t indexRoot = 0;       // 0x1E
    uint8_t indexLevels = 0;      // 0x20
    uint8_t flags55 = 0;
    uint32_t autoInc = 0;
    std::string fileName;
    std::string indexName;
};

inline bool isIndexFileType(uint8_t t) {
    return t == 1 || t == 4 || t == 7;
}

inline Bytes makeHeader(const TableSpec& t, const HeaderArgs& a) {
    const bool indexFile = isIndexFileType(a.fileType);
    const bool ext = !indexFile && t.version >= 0x05;
    const size_t tableNameLen = t.version == 0x0C ? 261 : 79;
    const size_t n = a.fields.size();
    Bytes h(0x78, 0);
    size_t p = ext ? 0x78 : 0x58;
    h.resize(p);
    for (const auto& f : a.fields) {
        h.push_back(f.type);
        h.push_back(f.descriptorSize());
    }
    h.resize(h.size() + 4 + (indexFile ? 0 : 4 * n), 0);
    Bytes name(tableNameLen, 0);
    std::memcpy(name.data(), a.fileName.data(), std::min(a.fileName.size(), tableNameLen - 1));
    h.insert(h.end(), name.begin(), name.end());
    size_t fieldNumbersAt = 0, sortNameAt = 0, indexNameAt = 0;
    if (!indexFile) {
        for (const auto& f : a.fields) {
            h.insert(h.end(), f.name.begin(), f.name.end());
            h.push_back(0);
        }
        if (t.version >= 0x05) {
            fieldNumbersAt = h.size();
            for (size_t i = 0; i < n; ++i) {
                uint16_t v = i < a.fieldNumbers.size() ? a.fieldNumbers[i] : uint16_t(i + 1);
                h.push_back(uint8_t(v));
                h.push_back(uint8_t(v >> 8));
            }
            sortNameAt = h.size();
            h.insert(h.end(), t.sortOrder.begin(), t.sortOrder.end());
            h.push_back(0);
            if (!a.indexName.empty()) {
                indexNameAt = h.size();
                h.insert(h.end(), a.indexName.begin(), a.indexName.end());
                h.push_back(0);
            }
        }
    }
    const size_t realEnd = h.size();
    const size_t headerSize = t.version == 0x03 ? realEnd : (realEnd + 0x7FF) / 0x800 * 0x800;
    h.resize(std::max(headerSize, size_t(0x78)), 0);
    put16(h, 0x00, a.recordSize);
    put16(h, 0x02, uint16_t(headerSize));
    h[0x04] = a.fileType;
    h[0x05] = a.blockKb;
    put32(h, 0x06, a.numRecords);
    put16(h, 0x0A, a.blocks);
    put16(h, 0x0C, a.blocks);
    put16(h, 0x0E, a.firstBlock);
    put16(h, 0x10, a.lastBlock);
    put16(h, 0x12, indexFile ? 4 : 3);
    h[0x15] = a.indexFieldNumber;
    put16(h, 0x1E, a.indexRoot);
    h[0x20] = a.indexLevels;
    put16(h, 0x21, uint16_t(n));
    put16(h, 0x23, a.keyFields);
    put32(h, 0x25, !indexFile && t.version >= 0x05 ? 0xFF00FF00u : 0);
    h[0x29] = t.sortByte;
    h[0x2C] = (a.fileType == 3 || a.fileType == 5 || a.fileType == 6 || a.fileType == 8) ? 0xFF : 0;
    h[0x2E] = t.stamp;
    h[0x39] = t.version;
    put16(h, 0x3A, a.blocks);
    if (!indexFile) {
        h[0x3E] = 0x1F;
        h[0x3F] = 0x0F;
    }
    put32(h, 0x49, indexFile ? 1 : a.autoInc);
    if (t.version > 0x03)
        put16(h, 0x51, uint16_t(realEnd));
    h[0x55] = a.flags55;
    if (!indexFile && t.version >= 0x05)
        h[0x56] = 0x20;
    if (ext) {
        put16(h, 0x58, uint16_t(0x100 + t.version));
        put16(h, 0x5A, uint16_t(0x100 + t.version));
        put32(h, 0x60, 1700000000u);
        put16(h, 0x64, uint16_t(n + 1));
        put16(h, 0x66, uint16_t(fieldNumbersAt - 0x58));
        put16(h, 0x68, uint16_t(indexNameAt ? indexNameAt - 0x58 : 0));
        put16(h, 0x6A, t.codePage);
        h[0x6C] = 1;
        h[0x6D] = 1;
        put16(h, 0x6E, uint16_t(sortNameAt - 0x58));
    }
    if (t.version == 0x03)
        h.resize(headerSize);
    return h;
}

// ---- Blocks of a data-like file -----------------------------------------------------
struct BlockLayout {
    std::vector<uint16_t> physical; // physical block number of the i-th chained block
    std::vector<size_t> counts;     // records in the i-th chained block
};

// Appends the records, `capacity` per block, to `file` (which holds the header) and
// returns where each chained block went. Empty input gives no block.
inline BlockLayout appendBlocks(Bytes& file, const std::vector<Bytes>& records, size_t recordSize,
                                size_t blockSize, bool reverse) {
    BlockLayout layout;
    size_t capacity = (blockSize - 6) / recordSize;
    size_t nBlocks = (records.size() + capacity - 1) / capacity;
    for (size_t i = 0; i < nBlocks; ++i) {
        layout.physical.push_back(uint16_t(reverse ? nBlocks - i : i + 1));
        layout.counts.push_back(std::min(capacity, records.size() - i * capacity));
    }
    size_t headerSize = file.size();
    file.resize(headerSize + nBlocks * blockSize, 0);
    for (size_t i = 0; i < nBlocks; ++i) {
        size_t at = headerSize + (layout.physical[i] - 1u) * blockSize;
        put16(file, at, i + 1 < nBlocks ? layout.physical[i + 1] : 0);
        put16(file, at + 2, i > 0 ? layout.physical[i - 1] : 0);
        put16(file, at + 4, uint16_t(int16_t((layout.counts[i] - 1) * recordSize)));
        for (size_t r = 0; r < layout.counts[i]; ++r)
            std::memcpy(&file[at + 6 + r * recordSize], records[i * capacity + r].data(),
                        recordSize);
    }
    return layout;
}

// ---- Index files (.PX, .Ynn, .YGn): a B-tree of key + block + count + 0 entries ----
struct IndexEntry {
    Bytes key;
    uint16_t block;
    uint32_t count;
};

inline Bytes buildIndexFile(const TableSpec& t, uint8_t fileType,
                            const std::vector<FieldSpec>& keyFields, std::vector<IndexEntry> level,
                            const std::string& fileName) {
    size_t keyWidth = 0;
    for (const auto& f : keyFields)
        keyWidth += size_t(f.width());
    const size_t recordSize = keyWidth + 6;
    const size_t blockSize = 2048;
    const size_t capacity = (blockSize - 6) / recordSize;
    struct Block {
        std::vector<IndexEntry> entries;
        int level;
    };
    std::vector<Block> blocks;
    int levels = 0;
    uint16_t root = 1;
    size_t totalEntries = 0;
    while (!level.empty()) {
        ++levels;
        std::vector<IndexEntry> upper;
        for (size_t i = 0; i < level.size(); i += capacity) {
            Block b{{level.begin() + long(i),
                     level.begin() + long(std::min(level.size(), i + capacity))},
                    levels};
            uint32_t sum = 0;
            for (const auto& e : b.entries)
                sum += e.count;
            totalEntries += b.entries.size();
            blocks.push_back(b);
            // 16-bit counts: a sum past 32767 is kept at 32767, as the engine writes it.
            upper.push_back(
                {b.entries.front().key, uint16_t(blocks.size()), std::min<uint32_t>(sum, 32767)});
        }
        if (upper.size() == 1) {
            root = upper.front().block;
            break;
        }
        level = upper;
    }
    HeaderArgs a;
    a.fileType = fileType;
    a.fields = keyFields;
    a.recordSize = uint16_t(recordSize);
    a.blockKb = 2;
    a.numRecords = uint32_t(totalEntries);
    a.blocks = uint16_t(blocks.size());
    a.indexRoot = root;
    a.indexLevels = uint8_t(levels);
    a.fileName = fileName;
    // Chain every block in first-key order, an upper block before the leaf sharing its key.
    std::vector<uint16_t> order(blocks.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = uint16_t(i + 1);
    std::stable_sort(order.begin(), order.end(), [&](uint16_t x, uint16_t y) {
        const auto& bx = blocks[x - 1u];
        const auto& by = blocks[y - 1u];
        if (bx.entries.front().key != by.entries.front().key)
            return bx.entries.front().key < by.entries.front().key;
        return bx.level > by.level;
    });
    a.firstBlock = order.empty() ? 0 : order.front();
    a.lastBlock = order.empty() ? 0 : order.back();
    Bytes file = makeHeader(t, a);
    size_t headerSize = file.size();
    file.resize(headerSize + blocks.size() * blockSize, 0);
    for (size_t i = 0; i < order.size(); ++i) {
        size_t at = headerSize + (order[i] - 1u) * blockSize;
        const auto& b = blocks[order[i] - 1u];
        put16(file, at, i + 1 < order.size() ? order[i + 1] : 0);
        put16(file, at + 2, i > 0 ? order[i - 1] : 0);
        put16(file, at + 4, uint16_t(int16_t((b.entries.size() - 1) * recordSize)));
        for (size_t e = 0; e < b.entries.size(); ++e) {
            size_t r = at + 6 + e * recordSize;
            std::memcpy(&file[r], b.entries[e].key.data(), keyWidth);
            Bytes blk = encInt(b.entries[e].block, 2), cnt = encInt(b.entries[e].count, 2),
                  zero = encInt(0, 2);
            std::memcpy(&file[r + keyWidth], blk.data(), 2);
            std::memcpy(&file[r + keyWidth + 2], cnt.data(), 2);
            std::memcpy(&file[r + keyWidth + 4], zero.data(), 2);
        }
    }
    return file;
}

// ---- A whole family -------------------------------------------------------------------
class Builder {
public:
    explicit Builder(TableSpec spec) : m_t(std::move(spec)) {}
    const TableSpec& spec() const { return m_t; }
    MbWriter& mb() { return m_mb; }

    size_t recordSize() const {
        size_t s = 0;
        for (const auto& f : m_t.fields)
            s += size_t(f.width());
        return s;
    }
    // One row given as the field images (encInt, encAlpha, mb().field(...), ...).
    void addRow(const std::vector<Bytes>& values) {
        Bytes r;
        for (size_t i = 0; i < m_t.fields.size(); ++i) {
            Bytes v = i < values.size() ? values[i] : nullValue(m_t.fields[i].width());
            v.resize(size_t(m_t.fields[i].width()), 0);
            r.insert(r.end(), v.begin(), v.end());
        }
        m_rows.push_back(std::move(r));
    }

    Family build(const std::vector<SecondarySpec>& secondaries = {}) const {
        Family fam;
        std::vector<Bytes> rows = m_rows;
        size_t keyWidth = fieldOffset(size_t(m_t.keyFields));
        if (m_t.keyFields > 0)
            std::stable_sort(rows.begin(), rows.end(), [&](const Bytes& x, const Bytes& y) {
                return std::memcmp(x.data(), y.data(), keyWidth) < 0;
            });
        HeaderArgs a = dataArgs(m_t.keyFields > 0 ? 0 : 2, rows.size());
        Bytes db = makeHeader(m_t, a);
        BlockLayout layout = appendBlocks(db, rows, recordSize(), blockSize(), m_t.reverseBlocks);
        setChain(db, layout);
        fam["DB"] = db;
        if (m_t.keyFields > 0) {
            std::vector<IndexEntry> leaves;
            size_t r = 0;
            for (size_t i = 0; i < layout.physical.size(); ++i) {
                leaves.push_back({Bytes(rows[r].begin(), rows[r].begin() + long(keyWidth)),
                                  layout.physical[i], uint32_t(layout.counts[i])});
                r += layout.counts[i];
            }
            std::vector<FieldSpec> keys(m_t.fields.begin(), m_t.fields.begin() + m_t.keyFields);
            fam["PX"] = buildIndexFile(m_t, 1, keys, leaves, stem() + ".PX");
        }
        int groupNo = 0;
        for (const auto& s : secondaries)
            addSecondary(fam, s, rows, layout, groupNo);
        if (m_mb.used())
            fam["MB"] = m_mb.bytes();
        return fam;
    }

    std::string stem() const { return m_t.tableName.substr(0, m_t.tableName.find('.')); }
    size_t blockSize() const { return size_t(m_t.blockKb) * 1024; }

private:
    size_t fieldOffset(size_t index) const {
        size_t s = 0;
        for (size_t i = 0; i < index && i < m_t.fields.size(); ++i)
            s += size_t(m_t.fields[i].width());
        return s;
    }
    HeaderArgs dataArgs(uint8_t fileType, size_t nRecords) const {
        HeaderArgs a;
        a.fileType = fileType;
        a.fields = m_t.fields;
        a.recordSize = uint16_t(recordSize());
        a.blockKb = uint8_t(m_t.blockKb);
        a.numRecords = uint32_t(nRecords);
        a.keyFields = uint16_t(m_t.keyFields);
        a.autoInc = m_t.autoInc;
        a.fileName = m_t.tableName;
        return a;
    }
    static void setChain(Bytes& file, const BlockLayout& layout) {
        uint16_t n = uint16_t(layout.physical.size());
        put16(file, 0x0A, n);
        put16(file, 0x0C, n);
        put16(file, 0x3A, n);
        put16(file, 0x0E, n ? layout.physical.front() : 0);
        put16(file, 0x10, n ? layout.physical.back() : 0);
    }

    // Folds ASCII letters for case-insensitive ordering of Alpha images.
    static Bytes folded(const Bytes& image) {
        Bytes out = image;
        for (auto& c : out)
            if (c >= 'a' && c <= 'z')
                c = uint8_t(c - 32);
        return out;
    }

    void addSecondary(Family& fam, const SecondarySpec& s, const std::vector<Bytes>& rows,
                      const BlockLayout& layout, int& groupNo) const {
        std::vector<FieldSpec> xfields;
        std::vector<uint16_t> numbers;
        for (int f : s.fields) {
            xfields.push_back(m_t.fields[size_t(f)]);
            numbers.push_back(uint16_t((f + 1) | ((s.options & 0x10) ? 0x8000 : 0)));
        }
        for (int k = 0; k < m_t.keyFields; ++k)
            xfields.push_back(m_t.fields[size_t(k)]);
        xfields.push_back({"Blk Num", tShort, 2});
        for (size_t i = numbers.size(); i < xfields.size(); ++i)
            numbers.push_back(uint16_t(i + 1));
        // X records: index fields, key fields, hint block; kept with their sort images.
        struct XRec {
            Bytes sortKey;
            Bytes record;
        };
        std::vector<XRec> xrecs;
        size_t r = 0;
        for (size_t b = 0; b < layout.physical.size(); ++b)
            for (size_t i = 0; i < layout.counts[b]; ++i, ++r) {
                XRec x;
                for (int f : s.fields) {
                    Bytes v(rows[r].begin() + long(fieldOffset(size_t(f))),
                            rows[r].begin() + long(fieldOffset(size_t(f) + 1)));
                    Bytes sk =
                        (s.options & 0x01) && m_t.fields[size_t(f)].type == tAlpha ? folded(v) : v;
                    if (s.options & 0x10)
                        for (auto& c : sk)
                            c = uint8_t(~c);
                    x.sortKey.insert(x.sortKey.end(), sk.begin(), sk.end());
                    x.record.insert(x.record.end(), v.begin(), v.end());
                }
                size_t kw = fieldOffset(size_t(m_t.keyFields));
                x.sortKey.insert(x.sortKey.end(), rows[r].begin(), rows[r].begin() + long(kw));
                x.record.insert(x.record.end(), rows[r].begin(), rows[r].begin() + long(kw));
                Bytes hint = encInt(layout.physical[b], 2);
                x.record.insert(x.record.end(), hint.begin(), hint.end());
                xrecs.push_back(std::move(x));
            }
        std::stable_sort(xrecs.begin(), xrecs.end(),
                         [](const XRec& x, const XRec& y) { return x.sortKey < y.sortKey; });
        std::vector<Bytes> records;
        for (auto& x : xrecs)
            records.push_back(x.record);
        size_t xRecordSize = 0;
        for (const auto& f : xfields)
            xRecordSize += size_t(f.width());

        std::string xExt, yExt;
        if (s.composite) {
            xExt = "XG" + std::to_string(groupNo);
            yExt = "YG" + std::to_string(groupNo);
            ++groupNo;
        } else {
            static const char hex[] = "0123456789ABCDEF";
            int no = s.fields.front() + 1;
            xExt = std::string("X") + hex[no / 16] + hex[no % 16];
            yExt = std::string("Y") + hex[no / 16] + hex[no % 16];
        }
        HeaderArgs a;
        a.fileType = s.composite ? 8 : 5;
        a.fields = xfields;
        a.fieldNumbers = numbers;
        a.recordSize = uint16_t(xRecordSize);
        a.blockKb = uint8_t(m_t.blockKb);
        a.numRecords = uint32_t(records.size());
        a.keyFields = uint16_t(s.fields.size() + size_t(m_t.keyFields));
        a.indexFieldNumber = uint8_t(s.fields.front() + 1);
        a.flags55 = s.options;
        a.fileName = stem() + "." + xExt;
        a.indexName = s.composite ? s.name : std::string();
        Bytes x = makeHeader(m_t, a);
        BlockLayout xl = appendBlocks(x, records, xRecordSize, blockSize(), false);
        setChain(x, xl);
        fam[xExt] = x;

        std::vector<FieldSpec> ykeys(xfields.begin(), xfields.end() - 1);
        size_t ykw = xRecordSize - 2;
        std::vector<IndexEntry> leaves;
        size_t at = 0;
        for (size_t i = 0; i < xl.physical.size(); ++i) {
            leaves.push_back({Bytes(records[at].begin(), records[at].begin() + long(ykw)),
                              xl.physical[i], uint32_t(xl.counts[i])});
            at += xl.counts[i];
        }
        fam[yExt] = buildIndexFile(m_t, s.composite ? 7 : 4, ykeys, leaves, stem() + "." + yExt);
    }

    TableSpec m_t;
    std::vector<Bytes> m_rows;
    mutable MbWriter m_mb;
};

} // namespace tableimage
