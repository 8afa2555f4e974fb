#include "engine/TableFile.h"

#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/Journal.h"
#include "engine/TableData.h"

#include <map>
#include <mutex>

#include <sys/stat.h>

namespace engine {

namespace {

std::mutex g_registryMutex;
std::map<std::filesystem::path, std::weak_ptr<TableFile>>& registry() {
    static std::map<std::filesystem::path, std::weak_ptr<TableFile>> r;
    return r;
}

// Resolving a path costs a readlink per component, and the same tables are opened
// again and again (a dictionary once per captured table). A path resolved before is
// trusted again while it still names the same file as its resolution: one stat of
// each instead of a walk, and a link changed since is seen and resolved anew.
struct Resolved {
    std::filesystem::path canonical;
    dev_t device = 0;
    ino_t inode = 0;
};
std::map<std::filesystem::path, Resolved> g_resolved; // under g_registryMutex
constexpr size_t kMaxResolved = 512;

bool identify(const std::filesystem::path& p, dev_t& device, ino_t& inode) {
    struct stat st {};
    if (::stat(p.c_str(), &st) != 0)
        return false;
    device = st.st_dev;
    inode = st.st_ino;
    return true;
}

std::filesystem::path resolve(const std::filesystem::path& file) {
    std::error_code ec;
    std::filesystem::path p =
        std::filesystem::weakly_canonical(std::filesystem::absolute(file), ec);
    return ec ? file.lexically_normal() : p;
}

std::filesystem::path canonicalOf(const std::filesystem::path& file) {
    std::error_code ec;
    const std::filesystem::path given = std::filesystem::absolute(file, ec).lexically_normal();
    Resolved now;
    if (ec || !identify(given, now.device, now.inode))
        return resolve(file); // not there (yet): nothing to remember
    auto it = g_resolved.find(given);
    if (it != g_resolved.end() && it->second.device == now.device &&
        it->second.inode == now.inode) {
        dev_t device;
        ino_t inode;
        if (identify(it->second.canonical, device, inode) && device == now.device &&
            inode == now.inode)
            return it->second.canonical;
    }
    now.canonical = resolve(file);
    if (g_resolved.size() >= kMaxResolved)
        g_resolved.clear();
    g_resolved[given] = now;
    return now.canonical;
}

} // namespace

TableFile::TableFile(std::unique_ptr<TableData> d) : m_data(std::move(d)) {}

std::shared_ptr<TableFile> TableFile::open(const std::filesystem::path& file) {
    std::lock_guard lock(g_registryMutex);
    const std::filesystem::path canonical = canonicalOf(file);
    auto& slot = registry()[canonical];
    if (auto existing = slot.lock())
        return existing;
    // A change that a crash cut short is undone before anything is read.
    std::shared_ptr<TableFile> table(new TableFile(TableData::open(canonical)));
    slot = table;
    return table;
}

bool TableFile::isOpen(const std::filesystem::path& file) {
    std::lock_guard lock(g_registryMutex);
    const std::filesystem::path canonical = canonicalOf(file);
    auto it = registry().find(canonical);
    return it != registry().end() && !it->second.expired();
}

TableFile::~TableFile() {
    // Nothing is written here: rows are on disk from their commit, and index files
    // not flushed by the owner stay marked as lagging (rebuilt at the next open).
    // A transaction still open is dropped with the pending writes.
    std::lock_guard lock(g_registryMutex);
    auto it = registry().find(m_data->path);
    if (it != registry().end() && it->second.expired())
        registry().erase(it);
}

const std::filesystem::path& TableFile::path() const {
    return m_data->path;
}
int TableFile::versionByte() const {
    return m_data->header.version;
}
int TableFile::level() const {
    return m_data->header.level();
}
int TableFile::codePage() const {
    return m_data->header.codePage;
}
const std::string& TableFile::sortOrder() const {
    return m_data->header.sortOrderName;
}
int TableFile::sortOrderId() const {
    return m_data->header.sortOrderId;
}
bool TableFile::isKeyed() const {
    return m_data->keyed;
}
bool TableFile::isEncrypted() const {
    return m_data->header.encryption != 0;
}
int TableFile::keyFieldCount() const {
    return m_data->keyed ? m_data->header.keyFields : 0;
}
uint32_t TableFile::lastAutoIncrement() const {
    return m_data->header.autoInc;
}
int TableFile::blockSize() const {
    return m_data->blockSize;
}
int TableFile::recordSize() const {
    return m_data->recordSize;
}
const std::vector<FieldInfo>& TableFile::fields() const {
    return m_data->header.fields;
}
void TableFile::useCodePage(int codePage) {
    const CodePage& page = CodePage::get(codePage);
    m_data->cp = &page;
    m_data->codec = std::make_unique<ValueCodec>(page, m_data->blobs.get());
}
int TableFile::textCodePage() const {
    return m_data->cp->number();
}
void TableFile::readMissingBlobsAsNull() {
    if (m_data->blobs)
        m_data->blobs->readMissingFileAsEmpty();
}
uint64_t TableFile::blobValuesLost() const {
    return m_data->blobs ? m_data->blobs->valuesLostToMissingFile() : 0;
}
uint64_t TableFile::generation() const {
    return m_data->generation;
}
TableData& TableFile::data() const {
    return *m_data;
}

uint32_t TableFile::recordCount() const {
    ReadAccess access(*m_data);
    // Once the rows were read, the chain is the truth. A header left marked by a
    // session that did not finish (crash, failed write) may count a row that never
    // reached its block: then the chain is walked (and the counters recovered) first.
    if (m_data->haveDirectory() || m_data->header.indexUpdateRequired != 0)
        return uint32_t(m_data->rowCount());
    return m_data->header.numRecords;
}

int TableFile::fieldIndex(std::string_view name) const {
    const auto& fs = m_data->header.fields;
    for (size_t i = 0; i < fs.size(); ++i) {
        const std::string& n = fs[i].name;
        if (n.size() == name.size() &&
            std::equal(n.begin(), n.end(), name.begin(), [](char a, char b) {
                return std::tolower(uint8_t(a)) == std::tolower(uint8_t(b));
            }))
            return int(i);
    }
    return -1;
}

std::vector<IndexInfo> TableFile::indexes() const {
    ReadAccess access(*m_data);
    std::vector<IndexInfo> out;
    if (m_data->keyed) {
        IndexInfo primary;
        for (int i = 0; i < m_data->header.keyFields; ++i) {
            if (i)
                primary.fields += ';';
            primary.fields += m_data->header.fields[size_t(i)].name;
        }
        primary.options = ixPrimary | ixUnique;
        primary.fileName = "PX";
        out.push_back(primary);
    }
    for (const SecondaryOrder& o : m_data->secondaries())
        out.push_back(o.info);
    return out;
}

void TableFile::forEachRow(const std::function<bool(const Row&)>& visit) const {
    // One read: a commit of another program waits until the walk is over.
    ReadAccess access(*m_data);
    m_data->streamRows(visit);
}

void TableFile::forEachRow(const std::vector<size_t>& columns,
                           const std::function<bool(const Row&)>& visit) const {
    ReadAccess access(*m_data);
    m_data->streamRows(visit, &columns);
}

void TableFile::checkAppendPoint() const {
    ReadAccess access(*m_data);
    m_data->checkAppendPoint();
}

void TableFile::forEachRowFrom(Resume& at, const std::function<bool(const Row&)>& visit) const {
    if (at.finished)
        return;
    ReadAccess access(*m_data);
    TableData& d = *m_data;
    // A walk read at once from the chain fails where the chain is broken; one read in
    // parts goes through the directory, so its chain is checked first.
    if (at.ordinal == 0 && at.key.empty())
        d.checkChain();
    const uint64_t count = d.rowCount();
    uint64_t p = d.keyed && !at.key.empty() ? d.lowerBound(at.key) : at.ordinal;
    Row row;
    for (; p < count; ++p) {
        d.decodeRow(d.record(d.locate(p)), row);
        if (visit(row))
            continue;
        if (p + 1 >= count)
            break;
        at.ordinal = p + 1;
        if (d.keyed)
            at.key = d.keyOf(d.locate(p + 1));
        return;
    }
    at.finished = true;
}

Row TableFile::emptyRow() const {
    return Row(m_data->header.fields.size());
}

bool TableFile::refresh() {
    const uint64_t before = m_data->generation;
    ReadAccess look(*m_data);
    return m_data->generation != before;
}

void TableFile::flush() {
    m_data->flush();
}

void TableFile::setDurable(bool on) {
    m_data->setDurable(on);
}

void TableFile::beginTransaction() {
    m_data->beginTransaction();
}

void TableFile::commit() {
    m_data->commitTransaction();
}

void TableFile::rollback() {
    m_data->rollbackTransaction();
}

bool TableFile::inTransaction() const {
    return m_data->inTransaction();
}

} // namespace engine
