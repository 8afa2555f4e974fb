// Temporary definitions so that users of the engine link while it is being written.
#include "engine/Cursor.h"
#include "engine/EngineError.h"
#include "engine/TableData.h"
#include "engine/TableDefinition.h"
#include "engine/TableFile.h"

namespace engine {

[[noreturn]] static void notYet()
{
    throw EngineError(ErrorCode::NotSupported, "Fonction non encore disponible dans le moteur");
}

std::shared_ptr<TableFile> TableFile::open(const std::filesystem::path &) { notYet(); }
bool TableFile::isOpen(const std::filesystem::path &) { return false; }
TableFile::~TableFile() = default;
const std::filesystem::path &TableFile::path() const { notYet(); }
int TableFile::versionByte() const { notYet(); }
int TableFile::level() const { notYet(); }
int TableFile::codePage() const { notYet(); }
const std::string &TableFile::sortOrder() const { notYet(); }
int TableFile::sortOrderId() const { notYet(); }
bool TableFile::isKeyed() const { notYet(); }
bool TableFile::isEncrypted() const { notYet(); }
int TableFile::keyFieldCount() const { notYet(); }
int TableFile::blockSize() const { notYet(); }
int TableFile::recordSize() const { notYet(); }
uint32_t TableFile::recordCount() const { notYet(); }
const std::vector<FieldInfo> &TableFile::fields() const { notYet(); }
int TableFile::fieldIndex(std::string_view) const { notYet(); }
std::vector<IndexInfo> TableFile::indexes() const { notYet(); }
uint64_t TableFile::generation() const { notYet(); }
void TableFile::forEachRow(const std::function<bool(const Row &)> &) const { notYet(); }
Row TableFile::emptyRow() const { notYet(); }
void TableFile::flush() { notYet(); }
TableData &TableFile::data() const { notYet(); }

Cursor::Cursor(std::shared_ptr<TableFile>, const std::vector<std::string> &) { notYet(); }
Cursor::~Cursor() = default;
const std::shared_ptr<TableFile> &Cursor::table() const { notYet(); }
const IndexInfo &Cursor::index() const { notYet(); }
void Cursor::setRange(const Value &) { notYet(); }
void Cursor::clearRange() { notYet(); }
bool Cursor::hasRange() const { notYet(); }
bool Cursor::first() { notYet(); }
bool Cursor::last() { notYet(); }
bool Cursor::next() { notYet(); }
bool Cursor::prior() { notYet(); }
bool Cursor::atRow() const { notYet(); }
const Row &Cursor::row() const { notYet(); }
bool Cursor::findKey(const std::vector<Value> &) { notYet(); }
int64_t Cursor::count() const { notYet(); }
void Cursor::insert(const Row &) { notYet(); }
void Cursor::update(const Row &) { notYet(); }
void Cursor::remove() { notYet(); }

void createTable(const std::filesystem::path &, const std::vector<FieldDef> &, const std::vector<IndexDef> &) { notYet(); }
void addIndex(const std::filesystem::path &, const IndexDef &) { notYet(); }
void deleteTable(const std::filesystem::path &) { notYet(); }

} // namespace engine
