#include "engine/IndexFiles.h"

#include "engine/Bytes.h"
#include "engine/Database.h"
#include "engine/IndexWriter.h"
#include "engine/TableData.h"

#include <algorithm>
#include <cstring>

namespace engine {

using namespace bytes;

namespace {

std::filesystem::path treePathOf(const std::filesystem::path& xPath) {
    std::string ext = xPath.extension().string();
    ext[1] = ext[1] == 'x' ? 'y' : 'Y';
    std::filesystem::path y = xPath;
    y.replace_extension(ext);
    return y;
}

// The comparable form of an X key (index fields as stored, then the primary key), as
// the in-memory orders compare them (TableData::sortKeyInto).
IndexTreeWriter::SortKey xSortKey(const TableData& d, const SecondaryOrder& o) {
    struct Part {
        size_t width;
        bool fold;
        bool descending;
    };
    std::vector<Part> parts;
    size_t width = d.keyWidth;
    for (size_t i = 0; i < o.fields.size(); ++i) {
        const FieldInfo& f = d.header.fields[size_t(o.fields[i])];
        parts.push_back(
            {size_t(f.width), o.caseInsensitive && f.type == FieldType::Alpha, o.descending[i]});
        width += size_t(f.width);
    }
    const CodePage* cp = d.cp;
    return [parts, cp, width](const char* raw, std::string& out) {
        out.assign(raw, width);
        size_t at = 0;
        for (const Part& p : parts) {
            if (p.fold)
                cp->foldInPlace(out.data() + at, p.width);
            if (p.descending)
                for (size_t k = at; k < at + p.width; ++k)
                    out[k] = char(~uint8_t(out[k]));
            at += p.width;
        }
    };
}

} // namespace

IndexFiles::IndexFiles(TableData& d) : m_d(d) {
    const int codePage = d.header.extended ? d.header.codePage : level3CodePage();
    m_px = std::make_unique<IndexBlockFile>(companionPath(d.path, ".PX"), codePage);
    const size_t keyWidth = d.keyWidth;
    for (const SecondaryOrder& o : d.secondaries())
        m_secondaries.push_back(
            {&o, std::make_unique<SecondaryIndexWriter>(o.xPath, treePathOf(o.xPath), codePage,
                                                        o.indexWidth + keyWidth, xSortKey(d, o))});
}

std::vector<IndexBlockFile*> IndexFiles::files() {
    std::vector<IndexBlockFile*> out{m_px.get()};
    for (Secondary& s : m_secondaries) {
        out.push_back(&s.writer->x());
        out.push_back(&s.writer->y());
    }
    return out;
}

bool IndexFiles::dirty() {
    for (IndexBlockFile* f : files())
        if (f->file().dirty())
            return true;
    return false;
}

void IndexFiles::discard() {
    for (IndexBlockFile* f : files())
        f->file().discard();
}

bool IndexFiles::reload() noexcept {
    try {
        for (IndexBlockFile* f : files())
            f->reload();
        return true;
    } catch (...) {
        return false;
    }
}

void IndexFiles::writePrimary() {
    if (!m_primaryChanged)
        return;
    const std::string image = primaryIndexImage(m_d);
    BufferedFile& f = m_px->file();
    const size_t headerSize = u16(image.data(), 2), step = m_px->blockSize();
    std::string now;
    for (size_t at = 0; at < image.size();) {
        const size_t n = std::min(at == 0 ? headerSize : step, image.size() - at);
        now.assign(n, '\0');
        now.resize(f.readAt(at, now.data(), n));
        if (now.size() != n || std::memcmp(now.data(), image.data() + at, n) != 0)
            f.writeAt(at, image.data() + at, n);
        at += n;
    }
    m_primaryChanged = false;
}

void IndexFiles::rowAdded(const char* rec, uint16_t block, WriteTxn& txn) {
    for (Secondary& s : m_secondaries)
        s.writer->insert(secondaryRecord(m_d, *s.order, rec, block), txn);
}

void IndexFiles::rowRemoved(const char* rec, WriteTxn& txn) {
    for (Secondary& s : m_secondaries)
        s.writer->remove(secondaryRecord(m_d, *s.order, rec, 0), txn);
}

void IndexFiles::rowChanged(const char* oldRec, const char* newRec, uint16_t block, WriteTxn& txn) {
    for (Secondary& s : m_secondaries) {
        const std::string before = secondaryRecord(m_d, *s.order, oldRec, block);
        const std::string after = secondaryRecord(m_d, *s.order, newRec, block);
        if (before == after)
            continue;
        s.writer->remove(before, txn);
        s.writer->insert(after, txn);
    }
}

void IndexFiles::rowMoved(const char* rec, uint16_t block, WriteTxn& txn) {
    for (Secondary& s : m_secondaries)
        s.writer->rehint(secondaryRecord(m_d, *s.order, rec, block), block, txn);
}

SecondaryIndexWriter* IndexFiles::writerFor(const SecondaryOrder& order) {
    for (Secondary& s : m_secondaries)
        if (s.order == &order)
            return s.writer.get();
    return nullptr;
}

bool IndexFiles::valueTaken(const SecondaryOrder& order, const char* rec, const char* replaced) {
    for (Secondary& s : m_secondaries) {
        if (s.order != &order)
            continue;
        const std::string prefix = m_d.sortKey(order, rec, 0).substr(0, order.indexWidth);
        return s.writer->holdsOther(prefix, replaced ? std::string_view(replaced, m_d.keyWidth)
                                                     : std::string_view());
    }
    return false;
}

} // namespace engine
