#include "engine/TableData.h"

#include "engine/EngineError.h"

namespace engine {

[[noreturn]] static void notYet()
{
    throw EngineError(ErrorCode::NotSupported, "Écriture non encore disponible dans le moteur");
}

uint64_t TableData::insertRow(const Row &) { notYet(); }
uint64_t TableData::updateRow(uint64_t, const Row &) { notYet(); }
void TableData::removeRow(uint64_t) { notYet(); }
void TableData::flush() {}
void TableData::recoverIfNeeded() {}

} // namespace engine
