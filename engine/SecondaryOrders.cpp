// Secondary indexes of an open table: finding their files, describing them, and
// building the in-memory orderings that cursors walk.
//
// Secondary index files sit beside the table with the same stem (any letter case):
//   NAME.Xnn / NAME.Ynn  single field nn (two hexadecimal digits), case-sensitive
//   NAME.XGn / NAME.YGn  composite and/or named, case-insensitive, unique, descending
// The .X* file is laid out like a table: one record per row holding the index fields,
// then the table's primary-key fields, then a Short "Blk Num" (the data block of the
// row). Its header says:
//   0x15  first index field (table field number, 1-based; the only source in level 3)
//   0x23  fields of its sort key: index fields + primary-key fields
//   0x55  0x01 case-insensitive, 0x10 descending, 0x20 unique
//   field-number array: table field numbers of the index fields, bit 15 = descending
//   (.XGn) the index name after the sort-order name
// The .Y* file is a tree over the .X* blocks, like the .PX over the table, keyed on the
// X records' sort fields. While both files match the rows, lookups and short walks read
// them in place (IndexTreeReader); an order is loaded in memory only when a walk cannot
// trust them (the rows were changed since), or just before a write, which keeps it in
// step from then on.

#include "engine/TableData.h"

#include "engine/Database.h"
#include "engine/DirectoryListing.h"
#include "engine/EngineError.h"
#include "engine/IndexFiles.h"
#include "engine/IndexTreeReader.h"
#include "engine/KeyBytes.h"

#include <algorithm>
#include <cstring>

namespace engine {

namespace {

bool equalNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(uint8_t(x)) == std::tolower(uint8_t(y));
           });
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = char(std::toupper(uint8_t(c)));
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Kind and number of a secondary index file from its extension; false if none.
bool indexFileKind(const std::string& ext, bool& composite, int& number) {
    if (ext.size() == 4 && std::toupper(uint8_t(ext[1])) == 'X' &&
        std::toupper(uint8_t(ext[2])) == 'G') {
        const char c = char(std::toupper(uint8_t(ext[3])));
        if (!std::isalnum(uint8_t(c)))
            return false;
        composite = true;
        number = c <= '9' ? c - '0' : 10 + (c - 'A');
        return true;
    }
    if (ext.size() == 4 && std::toupper(uint8_t(ext[1])) == 'X') {
        const int hi = hexDigit(ext[2]), lo = hexDigit(ext[3]);
        if (hi < 0 || lo < 0)
            return false;
        composite = false;
        number = hi * 16 + lo;
        return true;
    }
    return false;
}

} // namespace

void TableData::discoverIndexes() {
    if (m_indexesDiscovered)
        return;
    m_indexesDiscovered = true;
    const std::string stem = path.stem().string();
    std::vector<std::filesystem::path> found;
    for (const auto& p : DirectoryListing::filesOfStem(path.parent_path(), stem)) {
        bool composite;
        int number;
        if (indexFileKind(p.extension().string(), composite, number))
            found.push_back(p);
    }
    for (const auto& p : found)
        addSecondary(p);
    std::sort(m_secondary.begin(), m_secondary.end(),
              [](const SecondaryOrder& a, const SecondaryOrder& b) {
                  if (a.composite != b.composite)
                      return !a.composite;
                  return a.number < b.number;
              });
}

// Reads the header of one .X* file and adds its index when it belongs to this table.
// A file that cannot be read or that describes other fields is left out.
void TableData::addSecondary(const std::filesystem::path& xPath) {
    SecondaryOrder order;
    const std::string ext = xPath.extension().string();
    indexFileKind(ext, order.composite, order.number);
    TableHeader x;
    try {
        auto f = fileSystem().open(xPath, OpenMode::Read);
        x = TableHeader::read(*f, header.extended ? header.codePage : level3CodePage());
    } catch (const EngineError&) {
        return;
    }
    const bool typeFits = order.composite
                              ? (x.fileType == ftXGnPlain || x.fileType == ftXGnMaintained)
                              : (x.fileType == ftXnnPlain || x.fileType == ftXnnMaintained);
    if (!typeFits)
        return;
    // The index fields come first; after them either the primary-key fields and
    // "Blk Num" (maintained index of a keyed table) or "Tup No", "Blk Num",
    // "Tup Offset" (non-maintained indexes, unkeyed tables).
    const size_t n = x.fields.size();
    const bool tupleLayout =
        n >= 4 && x.fields[n - 3].name == "Tup No" && x.fields[n - 1].name == "Tup Offset";
    int m = int(n) - (tupleLayout ? 3 : 1 + (keyed ? header.keyFields : 0));
    if (!order.composite)
        m = 1;
    if (m < 1 || m > int(x.numFields))
        return;
    for (int i = 0; i < m; ++i) {
        int fieldNumber = 0;
        bool desc = false;
        if (!x.fieldNumbers.empty()) {
            fieldNumber = x.fieldNumbers[size_t(i)] & 0x7FFF;
            desc = (x.fieldNumbers[size_t(i)] & 0x8000) != 0;
        } else if (i == 0) {
            fieldNumber = x.indexFieldNumber;
        }
        if (!order.composite && i == 0 && fieldNumber == 0)
            fieldNumber = x.indexFieldNumber;
        const FieldInfo& xf = x.fields[size_t(i)];
        auto fits = [&](int number) {
            if (number < 1 || number > int(header.fields.size()))
                return false;
            const FieldInfo& tf = header.fields[size_t(number - 1)];
            return tf.type == xf.type && tf.size == xf.size;
        };
        if (!fits(fieldNumber)) {
            // Written before the table was restructured: the numbers are out of step;
            // the field whose name and type match is the one indexed.
            fieldNumber = 0;
            for (size_t k = 0; k < header.fields.size() && fieldNumber == 0; ++k)
                if (header.fields[k].name == xf.name && fits(int(k) + 1))
                    fieldNumber = int(k) + 1;
            if (fieldNumber == 0)
                return; // describes another table
        }
        const FieldInfo& tf = header.fields[size_t(fieldNumber - 1)];
        order.fields.push_back(fieldNumber - 1);
        order.descending.push_back(desc);
        order.indexWidth += size_t(tf.width);
    }
    if (!order.composite && order.number != order.fields[0] + 1)
        return; // .Xnn names its field
    const bool flagsKnown = x.version >= 5;
    order.caseInsensitive = flagsKnown && (x.indexFlags & 0x01);
    const bool allDesc = flagsKnown && (x.indexFlags & 0x10);
    if (allDesc)
        std::fill(order.descending.begin(), order.descending.end(), true);
    order.maintained = x.fileType == ftXnnMaintained || x.fileType == ftXGnMaintained;
    order.xPath = xPath;

    IndexInfo& info = order.info;
    for (size_t i = 0; i < order.fields.size(); ++i) {
        if (i)
            info.fields += ';';
        info.fields += header.fields[size_t(order.fields[i])].name;
    }
    info.name = order.composite ? x.indexName : header.fields[size_t(order.fields[0])].name;
    if (info.name.empty())
        info.name = info.fields;
    if (order.caseInsensitive)
        info.options |= ixCaseInsensitive;
    if (std::find(order.descending.begin(), order.descending.end(), true) != order.descending.end())
        info.options |= ixDescending;
    if (flagsKnown && (x.indexFlags & 0x20))
        info.options |= ixUnique;
    info.maintained = order.maintained;
    info.fileName = ext.substr(1);
    m_secondary.push_back(std::move(order));
}

SecondaryOrder* TableData::orderFor(const std::vector<std::string>& names) {
    if (names.empty())
        return nullptr;
    std::vector<int> wanted;
    for (const std::string& n : names) {
        int found = -1;
        for (size_t i = 0; i < header.fields.size() && found < 0; ++i)
            if (equalNoCase(header.fields[i].name, n))
                found = int(i);
        if (found < 0)
            throw EngineError(ErrorCode::IndexNotFound,
                              "Champ « " + n + " » introuvable dans la table " + quoted(path));
        wanted.push_back(found);
    }
    if (keyed && wanted.size() <= size_t(header.keyFields)) {
        bool primary = true;
        for (size_t i = 0; i < wanted.size(); ++i)
            primary = primary && wanted[i] == int(i);
        if (primary)
            return nullptr;
    }
    discoverIndexes();
    SecondaryOrder* prefixMatch = nullptr;
    for (SecondaryOrder& o : m_secondary) {
        if (o.fields == wanted)
            return &o;
        if (!prefixMatch && o.fields.size() > wanted.size() &&
            std::equal(wanted.begin(), wanted.end(), o.fields.begin()))
            prefixMatch = &o;
    }
    if (prefixMatch)
        return prefixMatch;
    std::string list;
    for (const std::string& n : names)
        list += (list.empty() ? "" : ";") + n;
    throw EngineError(ErrorCode::IndexNotFound,
                      "Aucun index sur « " + list + " » dans la table " + quoted(path));
}

std::string TableData::sortKey(const SecondaryOrder& order, const char* rec,
                               uint64_t ordinal) const {
    std::string key;
    sortKeyInto(order, rec, ordinal, key);
    return key;
}

void TableData::sortKeyInto(const SecondaryOrder& order, const char* rec, uint64_t ordinal,
                            std::string& key) const {
    key.clear();
    for (size_t i = 0; i < order.fields.size(); ++i) {
        const FieldInfo& f = header.fields[size_t(order.fields[i])];
        const size_t at = key.size();
        key.append(rec + f.offset, size_t(f.width));
        if (order.caseInsensitive && f.type == FieldType::Alpha)
            cp->foldInPlace(key.data() + at, size_t(f.width));
        if (order.descending[i])
            for (size_t k = at; k < key.size(); ++k)
                key[k] = char(~uint8_t(key[k]));
    }
    if (keyed) {
        key.append(rec, keyWidth);
    } else {
        for (int s = 56; s >= 0; s -= 8)
            key += char((ordinal >> s) & 0xFF);
    }
}

bool TableData::entryHoldsRow(const SecondaryOrder& order, std::string_view entry,
                              const char* rec) const {
    if (!keyed || entry.size() < order.indexWidth + keyWidth)
        return false;
    size_t at = 0;
    for (int field : order.fields) {
        const FieldInfo& f = header.fields[size_t(field)];
        if (keybytes::compare(entry.data() + at, rec + f.offset, size_t(f.width)) != 0)
            return false;
        at += size_t(f.width);
    }
    return at == order.indexWidth && keybytes::compare(entry.data() + at, rec, keyWidth) == 0;
}

std::string TableData::orderImage(const SecondaryOrder& order, size_t fieldPos,
                                  const Value& v) const {
    const FieldInfo& f = header.fields[size_t(order.fields[fieldPos])];
    std::string image = codec->keyImage(f, v);
    if (order.caseInsensitive && f.type == FieldType::Alpha)
        cp->foldInPlace(image.data(), image.size());
    if (order.descending[fieldPos])
        for (char& c : image)
            c = char(~uint8_t(c));
    return image;
}

void TableData::buildOrderFromData(SecondaryOrder& order) {
    order.entries.reset(order.entryWidth(keyWidth, keyed));
    const uint64_t n = rowCount();
    order.entries.reserve(size_t(n));
    uint64_t ordinal = 0;
    std::string key;
    for (BlockRef& b : m_chain) {
        loadBlock(b);
        for (uint32_t s = 0; s < b.count; ++s, ++ordinal) {
            sortKeyInto(order, b.records.data() + size_t(s) * size_t(recordSize), ordinal, key);
            order.entries.append(key);
        }
    }
    order.entries.sort();
}

// Index files can stand for the rows only while nothing is pending: no index update
// announced in the header (unless this process announced it for rows it rewrote in
// place), no index entry moved by this process since they were written, and no change
// of theirs waiting for the commit of this transaction (IndexFiles.h): the readers
// read the disk.
bool TableData::indexFilesCurrent() const {
    return keyed && !m_entriesMoved && (header.indexUpdateRequired == 0 || m_ownLag) &&
           !(m_indexFiles && m_indexFiles->dirty());
}

// The index files were changed in place by this transaction and stand for its rows:
// the trees are read through their pending writes (never loaded from the disk).
bool TableData::filesFollowedInTransaction() const {
    return keyed && m_indexFiles && !m_indexUpkeepRefused && m_indexFiles->dirty() &&
           !m_entriesMoved && header.indexUpdateRequired == 0;
}

// An .X* header written for the table's current rows with this order's layout: same
// row count, stamp and level, index fields then primary-key fields then "Blk Num".
bool TableData::secondaryHeaderFits(const SecondaryOrder& order, const TableHeader& x) const {
    const size_t expectWidth = order.indexWidth + keyWidth + 2;
    if (x.numRecords != header.numRecords || x.familyStamp != header.familyStamp ||
        size_t(x.recordSize) != expectWidth || x.version != header.version ||
        x.numFields != order.fields.size() + size_t(header.keyFields) + 1 ||
        x.fields.size() != size_t(x.numFields))
        return false;
    for (int i = 0; i < header.keyFields; ++i) {
        const FieldInfo& xf = x.fields[order.fields.size() + size_t(i)];
        if (xf.type != header.fields[size_t(i)].type || xf.size != header.fields[size_t(i)].size)
            return false;
    }
    return true;
}

// Uses the .X* records when the file is known to match the rows (indexFilesCurrent,
// secondaryHeaderFits) and was not found damaged. Any doubt, and the order is built
// from the rows instead.
bool TableData::buildOrderFromIndexFile(SecondaryOrder& order) {
    if (!order.maintained || order.xPath.empty() || order.treeUntrusted || !indexFilesCurrent())
        return false;
    try {
        auto f = fileSystem().open(order.xPath, OpenMode::Read);
        TableHeader x = TableHeader::read(*f, header.codePage);
        if (!secondaryHeaderFits(order, x))
            return false;
        KeyList entries;
        entries.reset(order.entryWidth(keyWidth, keyed));
        entries.reserve(
            std::min<uint64_t>(x.numRecords, f->size() / x.recordSize)); // never trust a count
        std::string rec(size_t(recordSize), '\0');
        std::string key;
        walkBlocks(*f, x, [&](uint16_t, const char* recs, uint32_t count) {
            for (uint32_t s = 0; s < count; ++s) {
                const char* xr = recs + size_t(s) * size_t(x.recordSize);
                // Rebuild a partial table record: index fields at their table offsets,
                // key fields at the start.
                size_t at = 0;
                for (int fi : order.fields) {
                    const FieldInfo& tf = header.fields[size_t(fi)];
                    std::memcpy(rec.data() + tf.offset, xr + at, size_t(tf.width));
                    at += size_t(tf.width);
                }
                std::memcpy(rec.data(), xr + at, keyWidth); // an index field that is also
                                                            // a key field holds the same bytes
                sortKeyInto(order, rec.data(), 0, key);
                entries.append(key);
            }
            return entries.size() <= x.numRecords;
        });
        // The file is sorted on these keys when it says what the rows say; out of order,
        // it is damaged or sorted by another rule, and the rows decide.
        if (entries.size() != header.numRecords || !entries.isSorted())
            return false;
        order.entries = std::move(entries);
        return true;
    } catch (const EngineError&) {
        return false;
    }
}

namespace {

// The .Y* beside an .X*: the same name with Y for X, in the letter case of the X.
std::filesystem::path treePathOf(const std::filesystem::path& xPath) {
    std::string ext = xPath.extension().string();
    ext[1] = ext[1] == 'x' ? 'y' : 'Y';
    std::filesystem::path y = xPath;
    y.replace_extension(ext);
    return y;
}

// X records hold the index fields as stored: they are folded and complemented the way
// the in-memory order does it (sortKeyInto), so that sort keys compare alike in both.
IndexTreeReader::KeyTransform sortKeyTransform(const SecondaryOrder& order,
                                               const TableHeader& table, const CodePage& cp,
                                               size_t primaryKeyWidth) {
    struct Part {
        size_t width;
        bool fold;
        bool descending;
    };
    std::vector<Part> parts;
    size_t width = primaryKeyWidth;
    for (size_t i = 0; i < order.fields.size(); ++i) {
        const FieldInfo& f = table.fields[size_t(order.fields[i])];
        parts.push_back({size_t(f.width), order.caseInsensitive && f.type == FieldType::Alpha,
                         bool(order.descending[i])});
        width += size_t(f.width);
    }
    const CodePage* codePage = &cp;
    return [parts, codePage, width](const char* raw, char* key) {
        std::memcpy(key, raw, width); // the primary key after the index fields stays as is
        size_t at = 0;
        for (const Part& p : parts) {
            if (p.fold)
                codePage->foldInPlace(key + at, p.width);
            if (p.descending)
                for (size_t k = at; k < at + p.width; ++k)
                    key[k] = char(~uint8_t(key[k]));
            at += p.width;
        }
    };
}

} // namespace

// Opens the .X*/.Y* pair of a maintained order; nullptr when either file is missing or
// was written for other rows or another layout.
std::shared_ptr<IndexTreeReader> TableData::openSecondaryTree(const SecondaryOrder& order) {
    const std::filesystem::path yPath = treePathOf(order.xPath);
    if (!fileSystem().exists(yPath))
        return nullptr;
    IndexTreeReader::Source x, y;
    x.path = order.xPath;
    y.path = yPath;
    if (SecondaryIndexWriter* w =
            filesFollowedInTransaction() ? m_indexFiles->writerFor(order) : nullptr) {
        // Changed in this transaction: read through its pending writes.
        x.file = &w->x().file();
        x.header = w->x().header;
        y.file = &w->y().file();
        y.header = w->y().header;
    } else {
        x.owned = fileSystem().open(order.xPath, OpenMode::Read);
        x.header = TableHeader::read(*x.owned, header.codePage);
        y.owned = fileSystem().open(yPath, OpenMode::Read);
        y.header = TableHeader::read(*y.owned, header.codePage);
    }
    const size_t rawKey = order.indexWidth + keyWidth;
    if (!secondaryHeaderFits(order, x.header) ||
        y.header.fileType != (order.composite ? ftYGn : ftYnn) ||
        y.header.version != header.version || y.header.familyStamp != header.familyStamp ||
        size_t(y.header.recordSize) != rawKey + 6 ||
        (x.header.numRecords > 0) != (y.header.indexLevels > 0))
        return nullptr;
    return std::make_shared<IndexTreeReader>(std::move(y), std::move(x), rawKey,
                                             sortKeyTransform(order, header, *cp, keyWidth));
}

IndexTreeReader* TableData::treeFor(SecondaryOrder& order) {
    if (order.treeLooked && order.treeGeneration == generation)
        return order.tree.get();
    dropReader(order.tree);
    order.treeLooked = false; // until the look ends (a step from memory may cut it short)
    if (!order.treeUntrusted && order.maintained && !order.xPath.empty() &&
        (indexFilesCurrent() || filesFollowedInTransaction())) {
        checkReadable();
        try {
            order.tree = openSecondaryTree(order);
        } catch (const EngineError&) {
            dropReader(order.tree); // unreadable files: the rows are read instead
        }
    }
    order.treeLooked = true;
    order.treeGeneration = generation;
    return order.tree.get();
}

void TableData::distrustTree(SecondaryOrder& order) {
    order.treeUntrusted = true;
    dropReader(order.tree);
    order.treeLooked = false;
}

// An order walked in its files would otherwise be built from every row after the write
// (the files no longer match then); loaded now, noteEntries keeps it in step. Files kept
// in place by the write (IndexFiles.h) still match after it: nothing to load. (Should
// they not open after all, the order is built from the rows when next walked.)
void TableData::loadWalkedOrders() {
    if (!m_indexUpkeepRefused && indexUpkeepPossible())
        return;
    for (SecondaryOrder& o : m_secondary)
        if (!o.built && o.tree && treeFor(o))
            ensureBuilt(o);
}

void TableData::ensureBuilt(SecondaryOrder& order) {
    if (order.built)
        return;
    checkReadable();
    if (!buildOrderFromIndexFile(order))
        buildOrderFromData(order);
    order.built = true;
}

uint64_t TableData::ordinalOfEntry(const SecondaryOrder& order, std::string_view entry) {
    if (keyed) {
        uint64_t ordinal;
        if (!find(std::string(entry.substr(entry.size() - keyWidth)), ordinal))
            return UINT64_MAX;
        return ordinal;
    }
    uint64_t ordinal = 0;
    for (size_t i = entry.size() - 8; i < entry.size(); ++i)
        ordinal = (ordinal << 8) | uint8_t(entry[i]);
    (void)order;
    return ordinal < rowCount() ? ordinal : UINT64_MAX;
}

} // namespace engine
