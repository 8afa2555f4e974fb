#pragma once
// The names of the files that make up a table (.DB .PX .MB .VAL .TV .Xnn .Ynn .XGn
// .YGn) and of those the engine leaves beside it while writing: the journal, and
// the hidden temporary files (".NAME.XXXXXXXXXXXX.tmp") that replace one of them.

#include <filesystem>
#include <string>

namespace engine {

std::string upperAscii(std::string s);

// True when p's name belongs to the table whose file name's stem, in capitals,
// is upperStem: one of its files, its journal, or a temporary file of either.
bool isFamilyFile(const std::filesystem::path& p, const std::string& upperStem);

// True for the names FileSystem::createTemporary gives.
bool isHiddenTemporary(const std::string& name);

} // namespace engine
