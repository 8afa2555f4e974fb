#include "engine/IndexWriter.h"

#include "engine/Bytes.h"
#include "engine/EngineError.h"
#include "engine/HeaderBuilder.h"
#include "engine/PrimaryIndexLayout.h"
#include "engine/TableData.h"

#include <algorithm>

namespace engine {

using namespace bytes;

namespace {

struct Node {
    int level = 1;
    std::vector<TreeEntry> entries; // child blocks: data blocks (level 1) or node indexes
    std::vector<size_t> children;   // upper levels: indexes into the node list
    uint16_t number = 0;
};

// The 2-byte order-preserving integers of tree entries (80 01 = 1), written inline:
// a tree of a large table has tens of thousands of them.
void putTreeInt(char* p, uint32_t v) {
    const uint16_t u = uint16_t(v ^ 0x8000);
    p[0] = char(u >> 8);
    p[1] = char(u & 0xFF);
}

void putBlockHeader(char* b, uint16_t next, uint16_t prev, size_t count, size_t recordSize) {
    put16(b, 0, next);
    put16(b, 2, prev);
    put16(b, 4, uint16_t(int16_t((int(count) - 1) * int(recordSize))));
}

} // namespace

uint8_t indexBlockSizeCode(size_t entryWidth) {
    for (uint8_t code : {2, 4, 8, 16, 32})
        if ((size_t(code) * 1024 - 6) / entryWidth >= 3)
            return code;
    return 32;
}

IndexTree buildIndexTree(const std::vector<TreeEntry>& leaves, size_t keyWidth, int blockSize) {
    IndexTree t;
    const size_t entrySize = keyWidth + 6;
    const size_t cap = (size_t(blockSize) - 6) / entrySize;
    if (leaves.empty()) {
        t.blocks.assign(size_t(blockSize), '\0');
        putBlockHeader(t.blocks.data(), 0, 0, 0, entrySize);
        t.totalBlocks = 1;
        t.root = 1;
        t.firstBlock = t.lastBlock = 1;
        return t;
    }
    std::vector<Node> nodes;
    std::vector<TreeEntry> level = leaves;
    std::vector<size_t> levelChildren; // for upper levels: node index per entry
    int lvl = 1;
    std::vector<std::vector<size_t>> madeByLevel;
    for (;;) {
        std::vector<size_t> made;
        for (size_t i = 0; i < level.size(); i += cap) {
            Node n;
            n.level = lvl;
            const size_t end = std::min(level.size(), i + cap);
            n.entries.assign(level.begin() + ptrdiff_t(i), level.begin() + ptrdiff_t(end));
            if (lvl > 1)
                n.children.assign(levelChildren.begin() + ptrdiff_t(i),
                                  levelChildren.begin() + ptrdiff_t(end));
            made.push_back(nodes.size());
            nodes.push_back(std::move(n));
        }
        t.levels = uint8_t(lvl);
        madeByLevel.push_back(made);
        if (made.size() == 1)
            break;
        std::vector<TreeEntry> up;
        for (size_t idx : made) {
            TreeEntry e;
            e.key = nodes[idx].entries.front().key;
            uint64_t sum = 0;
            for (const TreeEntry& c : nodes[idx].entries)
                sum += c.count;
            e.count = uint32_t(std::min<uint64_t>(sum, 32767));
            up.push_back(e);
        }
        level = std::move(up);
        levelChildren = made;
        ++lvl;
    }
    if (nodes.size() > 0xFFFF)
        throw EngineError(ErrorCode::InvalidArgument, "Index trop grand");
    // One chain of all blocks ordered by first key, upper levels first among equals.
    std::vector<size_t> order(nodes.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const int c = nodes[a].entries.front().key.compare(nodes[b].entries.front().key);
        return c != 0 ? c < 0 : nodes[a].level > nodes[b].level;
    });
    for (size_t i = 0; i < order.size(); ++i)
        nodes[order[i]].number = uint16_t(i + 1);
    t.totalBlocks = uint16_t(nodes.size());
    t.blocks.assign(size_t(t.totalBlocks) * size_t(blockSize), '\0');
    for (size_t i = 0; i < order.size(); ++i) {
        const Node& n = nodes[order[i]];
        char* b = t.blocks.data() + size_t(n.number - 1) * size_t(blockSize);
        const uint16_t next = i + 1 < order.size() ? uint16_t(i + 2) : 0;
        const uint16_t prev = i > 0 ? uint16_t(i) : 0;
        putBlockHeader(b, next, prev, n.entries.size(), entrySize);
        char* e = b + 6;
        for (size_t k = 0; k < n.entries.size(); ++k, e += entrySize) {
            const TreeEntry& te = n.entries[k];
            std::memcpy(e, te.key.data(), std::min(keyWidth, te.key.size()));
            const uint16_t target = n.level == 1 ? te.block : nodes[n.children[k]].number;
            putTreeInt(e + keyWidth, target);
            putTreeInt(e + keyWidth + 2, std::min<uint32_t>(te.count, 32767));
            putTreeInt(e + keyWidth + 4, 0);
        }
        t.entries += uint32_t(n.entries.size());
    }
    for (const std::vector<size_t>& made : madeByLevel) {
        t.levelBlocks.emplace_back();
        for (size_t idx : made)
            t.levelBlocks.back().push_back(nodes[idx].number);
    }
    t.root = nodes.back().number;
    t.firstBlock = 1;
    t.lastBlock = t.totalBlocks;
    return t;
}

namespace {

// The file is made whole under a temporary name, then renamed over the old one: a
// reader sees the old index or the new one, never an empty or half-written file.
// The temporary name is new each time and cannot be guessed, so nothing planted
// beside the table (a link, a file) is ever opened or written in its place.
void writeWhole(const std::filesystem::path& file, const std::string& header,
                const std::string& blocks) {
    auto f = fileSystem().createReplacement(file);
    const std::filesystem::path tmp = f->path();
    try {
        f->writeAt(0, (header + blocks).data(), header.size() + blocks.size());
        f->sync();
        f->close();
        fileSystem().rename(tmp, file);
    } catch (...) {
        f.reset();
        try {
            fileSystem().remove(tmp);
        } catch (...) {
            // The error being reported is the first one; a leftover temporary file is
            // never read, and goes with the table's family.
        }
        throw;
    }
}

HeaderSpec indexSpec(const TableData& d, uint8_t fileType, const std::vector<FieldInfo>& keyFields,
                     const std::string& name, const IndexTree& tree, uint8_t blockCode) {
    HeaderSpec s;
    s.fileType = fileType;
    s.version = d.header.version;
    s.blockSizeCode = blockCode;
    s.sortOrderId = d.header.sortOrderId;
    s.fields = keyFields;
    s.tableName = name;
    s.familyStamp = d.header.familyStamp;
    s.numRecords = tree.entries;
    s.blocks = tree.totalBlocks;
    s.firstBlock = tree.firstBlock;
    s.lastBlock = tree.lastBlock;
    s.indexRoot = tree.root;
    s.indexLevels = tree.levels;
    return s;
}

} // namespace

namespace {

void primaryIndexParts(TableData& d, std::string& header, std::string& blocks) {
    const uint8_t code = indexBlockSizeCode(d.keyWidth + 6);
    if (!d.primaryLayout)
        d.primaryLayout = std::make_unique<PrimaryIndexLayout>();
    const IndexTree& tree = d.primaryLayout->layOut(d.chain(), d.keyWidth, code * 1024);
    std::vector<FieldInfo> keys(d.header.fields.begin(),
                                d.header.fields.begin() + d.header.keyFields);
    const std::filesystem::path px = companionPath(d.path, ".PX");
    const HeaderSpec spec = indexSpec(d, ftPrimaryIndex, keys, px.filename().string(), tree, code);
    header = buildHeader(spec, *d.cp);
    blocks = tree.blocks;
}

} // namespace

std::string primaryIndexImage(TableData& d) {
    std::string header, blocks;
    primaryIndexParts(d, header, blocks);
    return header + blocks;
}

void writePrimaryIndex(TableData& d) {
    std::string header, blocks;
    primaryIndexParts(d, header, blocks);
    writeWhole(companionPath(d.path, ".PX"), header, blocks);
}

std::string secondaryRecord(const TableData& d, const SecondaryOrder& o, const char* rec,
                            uint16_t block) {
    std::string x;
    x.reserve(o.indexWidth + d.keyWidth + 2);
    for (int fi : o.fields) {
        const FieldInfo& f = d.header.fields[size_t(fi)];
        x.append(rec + f.offset, size_t(f.width));
    }
    x.append(rec, d.keyWidth);
    char num[2];
    codec::encodeInt(num, 2, block);
    x.append(num, 2);
    return x;
}

void writeSecondaryIndex(TableData& d, SecondaryOrder& o) {
    // X records: index fields as stored, the primary key, the data block number.
    std::vector<FieldInfo> xFields;
    for (int fi : o.fields)
        xFields.push_back(d.header.fields[size_t(fi)]);
    for (int i = 0; i < d.header.keyFields; ++i)
        xFields.push_back(d.header.fields[size_t(i)]);
    FieldInfo hint;
    hint.name = "Blk Num";
    hint.type = FieldType::Short;
    hint.size = 2;
    xFields.push_back(hint);
    const size_t xWidth = o.indexWidth + d.keyWidth + 2;

    std::vector<std::pair<std::string, std::string>> recs;
    recs.reserve(size_t(d.rowCount()));
    const auto& chain = d.chain();
    for (size_t bi = 0; bi < chain.size(); ++bi) {
        for (size_t s = 0; s < chain[bi].count; ++s) {
            const char* rec = d.record({bi, s});
            recs.emplace_back(d.sortKey(o, rec, 0), secondaryRecord(d, o, rec, chain[bi].number));
        }
    }
    std::sort(recs.begin(), recs.end());

    const int bs = d.blockSize;
    const size_t cap = (size_t(bs) - 6) / xWidth;
    const size_t nBlocks = (recs.size() + cap - 1) / cap;
    if (nBlocks > 0xFFFF)
        throw EngineError(ErrorCode::InvalidArgument, "Index secondaire trop grand");
    std::string xBlocks(nBlocks * size_t(bs), '\0');
    std::vector<TreeEntry> leaves;
    for (size_t b = 0; b < nBlocks; ++b) {
        char* blk = xBlocks.data() + b * size_t(bs);
        const size_t first = b * cap, count = std::min(cap, recs.size() - first);
        putBlockHeader(blk, b + 1 < nBlocks ? uint16_t(b + 2) : 0, uint16_t(b), count, xWidth);
        for (size_t k = 0; k < count; ++k)
            std::memcpy(blk + 6 + k * xWidth, recs[first + k].second.data(), xWidth);
        leaves.push_back({std::string_view(recs[first].second).substr(0, o.indexWidth + d.keyWidth),
                          uint16_t(b + 1), uint32_t(count)});
    }

    const uint8_t xType = o.composite ? (o.maintained ? ftXGnMaintained : ftXGnPlain)
                                      : (o.maintained ? ftXnnMaintained : ftXnnPlain);
    HeaderSpec xs;
    xs.fileType = xType;
    xs.version = d.header.version;
    xs.blockSizeCode = d.header.blockSizeCode;
    xs.sortOrderId = d.header.sortOrderId;
    xs.codePage = d.header.codePage;
    xs.sortOrderName = d.header.sortOrderName;
    xs.fields = xFields;
    for (size_t i = 0; i < o.fields.size(); ++i)
        xs.fieldNumbers.push_back(uint16_t((o.fields[i] + 1) | (o.descending[i] ? 0x8000 : 0)));
    for (size_t i = o.fields.size(); i < xFields.size(); ++i)
        xs.fieldNumbers.push_back(uint16_t(i + 1));
    xs.keyFields = uint16_t(o.fields.size() + size_t(d.header.keyFields));
    xs.indexName = o.composite ? o.info.name : std::string();
    xs.indexFieldNumber = uint8_t(o.fields[0] + 1);
    xs.indexFlags = uint8_t(
        (o.caseInsensitive ? 0x01 : 0) |
        ((o.info.options & ixDescending) &&
                 std::all_of(o.descending.begin(), o.descending.end(), [](bool b) { return b; })
             ? 0x10
             : 0) |
        ((o.info.options & ixUnique) ? 0x20 : 0));
    xs.familyStamp = d.header.familyStamp;
    xs.updateTime = d.header.updateTime;
    xs.numRecords = uint32_t(recs.size());
    xs.blocks = uint16_t(nBlocks);
    xs.firstBlock = nBlocks ? 1 : 0;
    xs.lastBlock = uint16_t(nBlocks);
    xs.tableName = o.xPath.filename().string();

    const size_t yKey = o.indexWidth + d.keyWidth;
    const uint8_t code = indexBlockSizeCode(yKey + 6);
    const IndexTree tree = buildIndexTree(leaves, yKey, code * 1024);
    std::vector<FieldInfo> yFields(xFields.begin(), xFields.end() - 1);
    std::filesystem::path yPath = o.xPath;
    std::string ext = o.xPath.extension().string();
    ext[1] = ext[1] == 'x' ? 'y' : 'Y';
    yPath.replace_extension(ext);
    const HeaderSpec ys =
        indexSpec(d, o.composite ? ftYGn : ftYnn, yFields, yPath.filename().string(), tree, code);
    // The .Y* first: an index exists for a reader once its .X* file does.
    writeWhole(yPath, buildHeader(ys, *d.cp), tree.blocks);
    writeWhole(o.xPath, buildHeader(xs, *d.cp), xBlocks);
}

} // namespace engine
