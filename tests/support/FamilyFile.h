#pragma once
// One file of a table family held in memory: its extension ("DB", "PX", "XG0",
// "MB", ...) and its bytes. The family's files share the stem "T".

#include <string>
#include <vector>

namespace testsupport {

struct FamilyFile {
    std::string ext;
    std::vector<unsigned char> bytes;
};

} // namespace testsupport
