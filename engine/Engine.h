#pragma once
// Everything a user of the table engine needs.
#include "engine/Cursor.h"
#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/FieldInfo.h"
#include "engine/FileSystem.h"
#include "engine/IndexInfo.h"
#include "engine/TableDefinition.h"
#include "engine/TableFile.h"
#include "engine/Value.h"
