#include "engine/Cursor.h"

#include "engine/DiskBarrier.h"
#include "engine/EngineError.h"
#include "engine/IndexTreeReader.h"
#include "engine/KeyBytes.h"
#include "engine/RowImage.h"
#include "engine/TableData.h"
#include "engine/TableFile.h"
#include "engine/ValueCodec.h"

#include <algorithm>
#include <cstring>

namespace engine {

// Where a cursor is and how it finds its place again after a write.
//
// The view is a slice [lo, hi) of its order: ordinals of the chain for the primary
// order, positions in SecondaryOrder::entries otherwise. The cursor remembers the key
// of its row (primary key image, secondary entry, or ordinal for an unkeyed table);
// when the table's generation moved it looks that key up again, which lands on the
// row itself or, when the row went away, on the row that followed it.
//
// A secondary order that is not loaded is walked in its index files while they match
// the rows (TableData::treeFor): the position is then a spot in the .X* file, each move
// reads at most the next block, and the row comes from its primary key. When the
// files stop matching (a write, another program's commit) or turn out damaged, the
// cursor finds its row again by key in the in-memory order.
class CursorState {
public:
    std::shared_ptr<TableFile> table;
    TableData* d = nullptr;
    SecondaryOrder* order = nullptr; // nullptr: primary order
    IndexInfo info;
    bool hasRange = false;
    std::string rangeImage;
    bool positioned = false;
    uint64_t pos = 0;
    std::string savedKey;
    std::string scratchKey; // setSpot's, kept for their room
    std::string entryKey;
    std::string entryBytes;     // the entry as stored, beside its sort key
    bool entryIsRowKey = false; // rowOfEntry found the row's key in entryKey (else scratchKey)
    Value shownScratch;         // the field a filtered step tests
    uint64_t generation = 0;
    static constexpr uint64_t kStale = UINT64_MAX; // generation of a cursor to find again
    RowImage heldRow;
    bool warm = false;               // an operation ran: its blocks are likely in memory
    IndexTreeReader* tree = nullptr; // the order's files being walked, or nullptr
    TreeSpot spot;                   // the position when tree is set
    TreeSpot primaryNear;            // where this cursor's last row was found in the .PX

    void sync();
    bool first();
    bool fromEdge(bool placed, bool forward, const Cursor::Shown* only);
    bool firstInPlace();
    bool lastInPlace();
    void holdAt(const char* rec, uint64_t ordinal); // a primary-order row, keyed table
    bool last();
    bool next(const Cursor::Shown* only = nullptr);
    bool prior(const Cursor::Shown* only = nullptr);
    bool step(bool forward, const Cursor::Shown* only = nullptr);
    bool treeStep(bool forward, const Cursor::Shown* only);
    bool orderStep(bool forward, const Cursor::Shown* only);
    bool shows(const Cursor::Shown* only, const char* rec);
    template <class Op> auto read(TableData::MemoryCheck check, Op op);
    bool findKey(const std::vector<Value>& key);
    int64_t count();
    IndexTreeReader* currentTree();
    template <class Op> auto withTreeFallback(Op op);
    bool inRange(std::string_view key) const;
    bool treeFirst(TreeSpot& at);
    bool treeLast(TreeSpot& at);
    void setSpot(const TreeSpot& at);
    void setSpot(const TreeSpot& at, std::string_view sortKey);
    const char* rowOfEntry(const TreeSpot& at, std::string_view sortKey);
    void land(const TreeSpot& at, const char* rec);
    void aimAtNamedBlock();
    void reseekTree();
    bool treeFind(const std::string& image);
    int64_t treeCount(IndexTreeReader& files);
    void bounds(uint64_t& lo, uint64_t& hi);
    void setPosition(uint64_t p);
    const char* entryRecord(size_t p);
    void reseek();
    uint64_t currentOrdinal();
    void remember(uint64_t ordinal);
    uint64_t seekKey(const std::string& key);
    void requireSameRow();
    void hold(const char* rec) {
        heldRow.hold(*d->codec, d->header.fields, rec, size_t(d->recordSize));
    }
};

void CursorState::bounds(uint64_t& lo, uint64_t& hi) {
    if (!order) {
        if (!hasRange) {
            lo = 0;
            hi = d->rowCount();
            return;
        }
        lo = d->lowerBound(rangeImage);
        hi = d->upperBound(rangeImage);
        return;
    }
    d->ensureBuilt(*order);
    const KeyList& e = order->entries;
    if (!hasRange) {
        lo = 0;
        hi = e.size();
        return;
    }
    lo = e.lowerBound(rangeImage);
    hi = e.upperBound(rangeImage);
}

uint64_t CursorState::seekKey(const std::string& key) {
    if (!order) {
        if (d->keyed)
            return d->lowerBound(key);
        uint64_t ordinal = 0;
        for (char c : key)
            ordinal = (ordinal << 8) | uint8_t(c);
        return ordinal;
    }
    d->ensureBuilt(*order);
    return order->entries.lowerBound(key);
}

void CursorState::remember(uint64_t ordinal) {
    if (!order && d->keyed) {
        savedKey = d->keyOf(d->locate(ordinal));
    } else if (!order) {
        savedKey.clear();
        for (int s = 56; s >= 0; s -= 8)
            savedKey += char((ordinal >> s) & 0xFF);
    } else {
        savedKey = d->sortKey(*order, d->record(d->locate(ordinal)), ordinal);
    }
}

void CursorState::reseek() {
    generation = kStale; // a reseek cut short (a step that needs the disk) is done again
    tree = currentTree();
    if (tree)
        return reseekTree();
    uint64_t lo, hi;
    bounds(lo, hi);
    if (!positioned || lo >= hi) {
        positioned = false;
        generation = d->generation;
        return;
    }
    uint64_t p = seekKey(savedKey);
    p = std::clamp(p, lo, hi - 1);
    setPosition(p);
}

void CursorState::sync() {
    if (generation != d->generation || currentTree() != tree)
        reseek();
}

IndexTreeReader* CursorState::currentTree() {
    return order && !order->built ? d->treeFor(*order) : nullptr;
}

// Runs a positioning on a secondary order; when its files turn out damaged, the order
// is built from the rows and the positioning runs again on it.
template <class Op> auto CursorState::withTreeFallback(Op op) {
    try {
        return op();
    } catch (const EngineError& e) {
        if (!order || e.code() != ErrorCode::IndexOutOfDate)
            throw;
        d->distrustTree(*order);
        return op();
    }
}

// A read operation from memory while the table allows it (TableData::mayReadFromMemory),
// else, or when it turns out to need the disk, under the read lock.
template <class Op> auto CursorState::read(TableData::MemoryCheck check, Op op) {
    // A cursor's first operation reads what nothing has read yet: straight to the disk.
    const bool tryMemory = warm && d->mayReadFromMemory(check);
    warm = true;
    if (tryMemory) {
        try {
            DiskBarrier barrier;
            return withTreeFallback(op);
        } catch (const DiskBarrier::Needed&) {
            // the same operation again, with the disk
        }
    }
    ReadAccess access(*d);
    return withTreeFallback(op);
}

bool CursorState::inRange(std::string_view key) const {
    return !hasRange || keybytes::same(key.substr(0, rangeImage.size()), rangeImage);
}

bool CursorState::treeFirst(TreeSpot& at) {
    at = spot; // where the last range ended, a likely block for this one
    return tree->lowerBoundNear(hasRange ? std::string_view(rangeImage) : std::string_view(), at) &&
           inRange(tree->keyAt(at));
}

bool CursorState::treeLast(TreeSpot& at) {
    if (!hasRange)
        return tree->last(at);
    TreeSpot after;
    if (tree->upperBound(rangeImage, after)) {
        at = after;
        if (!tree->prior(at))
            return false;
    } else if (!tree->last(at)) {
        return false;
    }
    return inRange(tree->keyAt(at));
}

// Reads the row an entry names, which must carry the entry's own sort key (else the
// file does not describe the rows).
void CursorState::setSpot(const TreeSpot& at) {
    setSpot(at, tree->keyAt(at));
}

// `sortKey`: the entry's key as keyAt just gave it.
void CursorState::setSpot(const TreeSpot& at, std::string_view sortKey) {
    land(at, rowOfEntry(at, sortKey));
}

// The row an entry names, checked to carry the entry's sort key (else the file does not
// describe the rows). Leaves the position alone: a filtered step tests rows it may pass.
const char* CursorState::rowOfEntry(const TreeSpot& at, std::string_view sortKey) {
    // Copied: finding the row may recover a journal, which drops the readers' blocks.
    // Same-sized copies into the room kept from the last entry: no reallocation.
    entryKey.resize(sortKey.size());
    std::memcpy(entryKey.data(), sortKey.data(), sortKey.size());
    if (const char* known = d->rowReachedAt(*tree, at)) {
        entryIsRowKey = true; // checked when it was noted
        return known;
    }
    entryBytes.resize(tree->recordSize());
    std::memcpy(entryBytes.data(), tree->recordAt(at), entryBytes.size());
    aimAtNamedBlock();
    const std::string_view key = entryKey;
    const char* rec = d->recordByKey(key.substr(key.size() - d->keyWidth), primaryNear);
    // An entry holding the row's own bytes carries its sort key; else the key is made
    // from the row (the same key from other bytes: letter case, padding) and compared.
    entryIsRowKey = rec && d->entryHoldsRow(*order, entryBytes, rec);
    if (entryIsRowKey) {
        d->noteRowReached(*tree, at, rec);
        return rec;
    }
    std::string& rowKey = scratchKey; // savedKey stays whole until the entry proves right
    rowKey.clear();
    if (rec)
        d->sortKeyInto(*order, rec, 0, rowKey);
    if (rowKey != key)
        throw EngineError(ErrorCode::IndexOutOfDate, "Index " + quoted(order->xPath) +
                                                         " : une entrée ne correspond à "
                                                         "aucune ligne de la table");
    return rec;
}

// Makes the row rowOfEntry just gave the current one.
void CursorState::land(const TreeSpot& at, const char* rec) {
    savedKey.swap(entryIsRowKey ? entryKey : scratchKey);
    hold(rec);
    spot = at;
    positioned = true;
    generation = d->generation;
}

// An entry ends with the number of the data block that held its row when it was
// written: the row's lookup starts there when the last row found lies elsewhere. It is
// only a hint (TableData::recordByKey uses it in a block its tree reached, for a key
// within that block's keys), so a stale or hostile number costs a descent, nothing more.
void CursorState::aimAtNamedBlock() {
    const size_t at = order->indexWidth + d->keyWidth;
    int64_t block = 0;
    if (entryBytes.size() >= at + 2 && codec::decodeInt(entryBytes.data() + at, 2, block) &&
        block > 0 && block <= 0xFFFF && uint16_t(block) != primaryNear.block)
        primaryNear = {uint16_t(block), 0};
}

// As reseek: the row with the saved key, else the one that followed it, kept inside
// the view.
void CursorState::reseekTree() {
    if (!positioned) {
        generation = d->generation;
        return;
    }
    TreeSpot at;
    const bool found = tree->lowerBound(savedKey, at);
    const std::string_view key = found ? tree->keyAt(at) : std::string_view();
    if (found && inRange(key))
        return setSpot(at);
    const bool beforeView = found && key.substr(0, rangeImage.size()) < rangeImage;
    if (beforeView ? treeFirst(at) : treeLast(at))
        return setSpot(at);
    positioned = false;
    generation = d->generation;
}

bool CursorState::treeFind(const std::string& image) {
    std::string seek = image;
    if (hasRange) {
        if (rangeImage.compare(0, image.size(), image) == 0)
            seek = rangeImage; // the first match is the first row of the view
        else if (image.compare(0, rangeImage.size(), rangeImage) != 0)
            return false;
    }
    TreeSpot at;
    if (!tree->lowerBound(seek, at))
        return false;
    const std::string_view key = tree->keyAt(at);
    if (key.substr(0, image.size()) != image || !inRange(key))
        return false;
    setSpot(at);
    return true;
}

// Counting leaves the position alone: it works on the reader of the moment.
int64_t CursorState::treeCount(IndexTreeReader& files) {
    if (!hasRange)
        return int64_t(d->header.numRecords); // the .X* header says the same (treeFor)
    TreeSpot at;
    if (!files.lowerBound(rangeImage, at) || !inRange(files.keyAt(at)))
        return 0;
    return int64_t(files.countWithPrefix(at, rangeImage));
}

void CursorState::setPosition(uint64_t p) {
    for (int attempt = 0;; ++attempt) {
        const char* rec = order ? entryRecord(size_t(p)) : d->record(d->locate(p));
        if (!rec) {
            // The index file the order came from does not describe the rows: build the
            // order from the rows (and write the file again at the next flush).
            if (attempt > 0)
                throwCorrupt(d->path, "index secondaire incohérent");
            d->distrustTree(*order);
            order->built = false;
            d->ensureBuilt(*order);
            uint64_t lo, hi;
            bounds(lo, hi);
            if (lo >= hi) {
                positioned = false;
                return;
            }
            p = std::clamp(p, lo, hi - 1);
            continue;
        }
        hold(rec);
        pos = p;
        positioned = true;
        generation = d->generation;
        if (order)
            savedKey = std::string(order->entries[size_t(p)]);
        else
            remember(p);
        return;
    }
}

// The row an entry of the order names, when it exists and carries the entry's key.
const char* CursorState::entryRecord(size_t p) {
    const std::string_view entry = order->entries[p];
    const uint64_t ordinal = d->ordinalOfEntry(*order, entry);
    if (ordinal == UINT64_MAX)
        return nullptr;
    const char* rec = d->record(d->locate(ordinal));
    return d->sortKey(*order, rec, ordinal) == entry ? rec : nullptr;
}

// Before a change of the current row: after a write elsewhere (another cursor, or
// another program) the cursor found its place again by key; if that is another
// row, the one the caller means is gone and nothing may be written over its
// neighbour.
void CursorState::requireSameRow() {
    if (generation == d->generation || !positioned)
        return;
    const std::string wanted = savedKey; // reseek remembers the row it lands on
    reseek();
    if (!positioned)
        return; // currentOrdinal reports it
    if ((order || d->keyed) && savedKey != wanted)
        throw EngineError(ErrorCode::NoCurrentRow,
                          "La ligne courante de " + quoted(d->path) +
                              " a été supprimée entre-temps (par une autre vue ou un autre "
                              "programme) : rien n'est écrit");
}

uint64_t CursorState::currentOrdinal() {
    sync();
    if (!positioned)
        throw EngineError(ErrorCode::NoCurrentRow, "Aucune ligne courante dans " + quoted(d->path));
    if (!order)
        return pos;
    if (tree)
        return d->ordinalOfEntry(*order, savedKey);
    return d->ordinalOfEntry(*order, order->entries[size_t(pos)]);
}

Cursor::Cursor(std::shared_ptr<TableFile> table, const std::vector<std::string>& indexFieldNames)
    : m_state(std::make_unique<CursorState>()) {
    CursorState& s = *m_state;
    s.d = &table->data();
    s.table = std::move(table);
    ReadAccess access(*s.d);
    s.order = s.d->orderFor(indexFieldNames);
    if (s.order) {
        s.info = s.order->info;
    } else if (s.d->keyed) {
        s.info = s.table->indexes().front();
    }
    s.generation = s.d->generation;
}

Cursor::~Cursor() = default;

const std::shared_ptr<TableFile>& Cursor::table() const {
    return m_state->table;
}
const IndexInfo& Cursor::index() const {
    return m_state->info;
}
bool Cursor::hasRange() const {
    return m_state->hasRange;
}
bool Cursor::atRow() const {
    return m_state->positioned;
}

void Cursor::setRange(const Value& firstFieldValue) {
    CursorState& s = *m_state;
    if (!s.order && !s.d->keyed)
        throw EngineError(ErrorCode::InvalidArgument,
                          "Une table sans clé ne peut être limitée que par un index secondaire : " +
                              quoted(s.d->path));
    if (s.order)
        s.rangeImage = s.d->orderImage(*s.order, 0, firstFieldValue);
    else
        s.rangeImage = s.d->codec->keyImage(s.d->header.fields[0], firstFieldValue);
    s.hasRange = true;
    s.positioned = false;
}

void Cursor::clearRange() {
    m_state->hasRange = false;
    m_state->positioned = false;
}

bool Cursor::first() {
    CursorState& s = *m_state;
    return s.read(TableData::MemoryCheck::Header, [&] { return s.first(); });
}

bool Cursor::firstInWalk(const Shown* only) {
    CursorState& s = *m_state;
    return s.read(TableData::MemoryCheck::Batch, [&] { return s.fromEdge(s.first(), true, only); });
}

// After first() or last() (`placed`: it found a row): on to the nearest row `only` shows,
// inward; no row at all when none does.
bool CursorState::fromEdge(bool placed, bool forward, const Cursor::Shown* only) {
    if (!placed || !only || shows(only, heldRow.record()))
        return placed;
    if (forward ? next(only) : prior(only))
        return true;
    positioned = false;
    return false;
}

bool CursorState::first() {
    generation = d->generation;
    tree = currentTree();
    if (tree) {
        TreeSpot at;
        if (!treeFirst(at)) {
            positioned = false;
            return false;
        }
        setSpot(at);
        return true;
    }
    if (!order && !hasRange && d->keyed && firstInPlace())
        return true;
    CursorState& s = *this;
    uint64_t lo, hi;
    s.bounds(lo, hi);
    if (lo >= hi) {
        s.positioned = false;
        return false;
    }
    s.setPosition(lo);
    return true;
}

// Opening a table on its first row reads a descent of the .PX, not all of it: the
// directory is built when the walk goes on.
bool CursorState::firstInPlace() {
    const char* rec = d->firstRecordInPlace();
    if (!rec)
        return false;
    hold(rec);
    pos = 0;
    positioned = true;
    generation = d->generation;
    savedKey.assign(rec, d->keyWidth);
    return true;
}

bool Cursor::last() {
    CursorState& s = *m_state;
    return s.read(TableData::MemoryCheck::Header, [&] { return s.last(); });
}

bool CursorState::last() {
    generation = d->generation;
    tree = currentTree();
    if (tree) {
        TreeSpot at;
        if (!treeLast(at)) {
            positioned = false;
            return false;
        }
        setSpot(at);
        return true;
    }
    if (!order && !hasRange && d->keyed && lastInPlace())
        return true;
    CursorState& s = *this;
    uint64_t lo, hi;
    s.bounds(lo, hi);
    if (lo >= hi) {
        s.positioned = false;
        return false;
    }
    s.setPosition(hi - 1);
    return true;
}

// As firstInPlace, for numbering after the last key: a descent of the .PX.
bool CursorState::lastInPlace() {
    uint64_t rows = 0;
    const char* rec = d->lastRecordInPlace(rows);
    if (!rec)
        return false;
    holdAt(rec, rows - 1);
    return true;
}

void CursorState::holdAt(const char* rec, uint64_t ordinal) {
    hold(rec);
    pos = ordinal;
    positioned = true;
    generation = d->generation;
    savedKey.assign(rec, d->keyWidth);
}

bool Cursor::next() {
    return m_state->step(true);
}

bool CursorState::next(const Cursor::Shown* only) {
    sync();
    if (!positioned)
        return fromEdge(first(), true, only);
    return tree ? treeStep(true, only) : orderStep(true, only);
}

bool CursorState::treeStep(bool forward, const Cursor::Shown* only) {
    TreeSpot at = spot;
    for (;;) {
        std::string_view key;
        if (!(forward ? tree->next(at, key) : tree->prior(at, key)))
            return false;
        if (!inRange(key))
            return false;
        const char* rec = rowOfEntry(at, key);
        if (shows(only, rec)) {
            land(at, rec);
            return true;
        }
    }
}

bool CursorState::orderStep(bool forward, const Cursor::Shown* only) {
    uint64_t lo, hi;
    bounds(lo, hi);
    uint64_t p = pos;
    for (;;) {
        if (forward ? p + 1 >= hi : p <= lo)
            return false;
        p = forward ? p + 1 : p - 1;
        // A row that cannot be read here is left to setPosition, which knows what to do.
        const char* rec = !only   ? nullptr
                          : order ? entryRecord(size_t(p))
                                  : d->record(d->locate(p));
        if (!rec || shows(only, rec)) {
            setPosition(p);
            return true;
        }
    }
}

bool CursorState::shows(const Cursor::Shown* only, const char* rec) {
    if (!only)
        return true;
    if (only->column >= d->header.fields.size())
        return false;
    const FieldInfo& f = d->header.fields[only->column];
    if (f.type == FieldType::Logical) { // the byte itself, as the codec reads it
        const uint8_t b = uint8_t(rec[f.offset]);
        return b != 0 && ((b & 0x7F) != 0) == only->shown;
    }
    d->codec->decode(f, rec, shownScratch);
    return shownScratch.kind == Value::Kind::Boolean && shownScratch.boolean == only->shown;
}

bool Cursor::prior() {
    return m_state->step(false);
}

bool Cursor::step(bool forward, const Shown& only) {
    return m_state->step(forward, &only);
}

bool CursorState::step(bool forward, const Cursor::Shown* only) {
    return read(TableData::MemoryCheck::Batch, [&] { return forward ? next(only) : prior(only); });
}

bool CursorState::prior(const Cursor::Shown* only) {
    sync();
    if (!positioned)
        return fromEdge(last(), false, only);
    return tree ? treeStep(false, only) : orderStep(false, only);
}

void Cursor::catchUp() {
    CursorState& s = *m_state;
    if (!s.positioned) {
        (void)first();
        return;
    }
    if (s.d->mayReadFromMemory(TableData::MemoryCheck::Batch) && s.generation == s.d->generation)
        return; // nothing written since the row was read, as far as a step may know
    ReadAccess access(*s.d);
    s.withTreeFallback([&] { s.sync(); });
}

const Row& Cursor::row() const {
    return image().row();
}

const RowImage& Cursor::image() const {
    if (!m_state->positioned)
        throw EngineError(ErrorCode::NoCurrentRow,
                          "Aucune ligne courante dans " + quoted(m_state->d->path));
    return m_state->heldRow;
}

bool Cursor::findKey(const std::vector<Value>& key) {
    CursorState& s = *m_state;
    return s.read(TableData::MemoryCheck::Header, [&] { return s.findKey(key); });
}

bool CursorState::findKey(const std::vector<Value>& key) {
    CursorState& s = *this;
    s.sync();
    std::string image;
    if (!s.order) {
        if (!s.d->keyed)
            throw EngineError(ErrorCode::InvalidArgument,
                              "Recherche par clé impossible dans une table sans clé : " +
                                  quoted(s.d->path));
        const size_t n = std::min(key.size(), size_t(s.d->header.keyFields));
        for (size_t i = 0; i < n; ++i)
            image += s.d->codec->keyImage(s.d->header.fields[i], key[i]);
    } else {
        const size_t n = std::min(key.size(), s.order->fields.size());
        for (size_t i = 0; i < n; ++i)
            image += s.d->orderImage(*s.order, i, key[i]);
    }
    if (tree)
        return treeFind(image);
    uint64_t lo, hi;
    s.bounds(lo, hi);
    uint64_t p;
    if (!s.order) {
        p = s.d->lowerBound(image);
        if (p >= hi || p < lo || s.d->keyOf(s.d->locate(p)).compare(0, image.size(), image) != 0)
            return false;
    } else {
        const KeyList& e = s.order->entries;
        p = e.lowerBound(image, size_t(lo), size_t(hi));
        if (p >= hi || !e.startsWith(size_t(p), image))
            return false;
    }
    s.setPosition(p);
    return true;
}

int64_t Cursor::count() const {
    CursorState& s = *m_state;
    return s.read(TableData::MemoryCheck::Header, [&] { return s.count(); });
}

// The view's rows; through the order's files, a range costs the blocks it spans.
int64_t CursorState::count() {
    CursorState& s = *this;
    if (IndexTreeReader* files = currentTree())
        return treeCount(*files);
    uint64_t rows = 0;
    if (!order && !hasRange && d->rowCountFromHeader(rows))
        return int64_t(rows);
    uint64_t lo, hi;
    s.bounds(lo, hi);
    return int64_t(hi - lo);
}

void Cursor::insert(const Row& row) {
    WriteAccess access(*m_state->d);
    CursorState& s = *m_state;
    s.d->loadWalkedOrders();
    const uint64_t ordinal = s.d->insertRow(row);
    if (const char* appended = s.order || s.hasRange ? nullptr : s.d->appendedRecord(ordinal)) {
        s.holdAt(appended, ordinal); // the row is where it was written: no directory
        return;
    }
    s.remember(ordinal);
    s.positioned = true;
    s.reseek();
}

void Cursor::update(const Row& row) {
    WriteAccess access(*m_state->d);
    CursorState& s = *m_state;
    s.requireSameRow(); // the update itself loads the orders whose entries it changes
    const uint64_t ordinal = s.d->updateRow(s.currentOrdinal(), row);
    s.remember(ordinal);
    s.reseek();
}

void Cursor::remove() {
    WriteAccess access(*m_state->d);
    CursorState& s = *m_state;
    s.d->loadWalkedOrders();
    s.requireSameRow();
    s.d->removeRow(s.currentOrdinal());
    s.reseek();
}

} // namespace engine
