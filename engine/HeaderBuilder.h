#pragma once
// Builds the header of a file this engine writes from scratch: a new table (.DB), its
// primary index (.PX) and its secondary index files (.Xnn/.XGn, .Ynn/.YGn).
//
// What is written follows the layout of TableHeader.h. Bytes whose meaning is not
// known are zero, except the constants every known writer sets (0x3E/0x3F = 0x1F/0x0F
// and 0x56 = 0x20 in data-like files, 0x6C = 0x6D = 1, 0x2C = 0xFF in .X* files).
// The header is padded with zeros to a multiple of 0x800 bytes.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/FieldInfo.h"

namespace engine {

class CodePage;

struct HeaderSpec {
    uint8_t fileType = 0;
    uint8_t version = 0x0C;
    uint8_t blockSizeCode = 2;
    uint8_t sortOrderId = 0x4C;
    int codePage = 1252;
    std::string sortOrderName = "DBWINUS0";
    std::vector<FieldInfo> fields;      // type, size and (data-like files) name
    std::vector<uint16_t> fieldNumbers; // data-like files of version >= 5
    uint16_t keyFields = 0;
    std::string tableName;        // the file name, stored in the name area
    std::string indexName;        // .XGn
    uint8_t indexFieldNumber = 0; // .X*
    uint8_t indexFlags = 0;       // .X*: 0x01 case-insensitive, 0x10 descending, 0x20 unique
    uint8_t familyStamp = 0;
    uint32_t updateTime = 0;
    // Counters
    uint32_t numRecords = 0;
    uint16_t blocks = 0; // blocks in use = total blocks; chained 1..blocks unless set below
    uint16_t firstBlock = 0;
    uint16_t lastBlock = 0;
    uint16_t indexRoot = 0;
    uint8_t indexLevels = 0;
};

// Throws InvalidArgument when a name cannot be written in the code page.
std::string buildHeader(const HeaderSpec& spec, const CodePage& cp);

} // namespace engine
