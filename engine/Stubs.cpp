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

void createTable(const std::filesystem::path &, const std::vector<FieldDef> &, const std::vector<IndexDef> &) { notYet(); }
void addIndex(const std::filesystem::path &, const IndexDef &) { notYet(); }
void deleteTable(const std::filesystem::path &) { notYet(); }

} // namespace engine
