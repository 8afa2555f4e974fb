#pragma once
// The 22 type names by type code, spelled as the dictionary records them
// ("ftUnknow", "ftSmallInt", "ftBLOB" are the system's own spellings).

#include <string>

namespace cli {

// The name of a type code 0..21; codes outside that range give "ftUnknow".
std::string fieldTypeName(int typeCode);

} // namespace cli
