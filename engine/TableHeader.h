#pragma once
// The header of every table and index file (.DB, .PX, .Xnn/.Ynn, .XGn/.YGn).
//
// A file is a header of headerSize bytes followed by blocks of blockSizeCode KiB,
// numbered from 1 (block b starts at headerSize + (b - 1) * blockSize).
//
// Fixed part (all kinds), little-endian:
//
//   Off  Size  Field               Meaning
//   0x00 u16   recordSize          bytes per record (index files: key width + 6)
//   0x02 u16   headerSize          offset of block 1
//   0x04 u8    fileType            0 keyed .DB, 1 .PX, 2 unkeyed .DB, 3/5 .Xnn (5 =
//                                  maintained), 4 .Ynn, 6/8 .XGn (8 = maintained), 7 .YGn
//   0x05 u8    blockSizeCode       block size in KiB (1..32)
//   0x06 u32   numRecords          rows (.DB/.X*) or entries (.PX/.Y*)
//   0x0A u16   usedBlocks          blocks in the chain
//   0x0C u16   totalBlocks         blocks present after the header
//   0x0E u16   firstBlock          first block of the chain (0: none)
//   0x10 u16   lastBlock           last block of the chain (0: none)
//   0x15 u8    indexFieldNumber    .X*: table field number of the first index field
//   0x1E u16   indexRoot           .PX/.Y*: root block of the index tree
//   0x20 u8    indexLevels         .PX/.Y*: levels of the tree (0: empty)
//   0x21 u16   numFields           fields described in this file
//   0x23 u16   keyFields           .DB: primary-key fields; .X*: fields of its sort key
//   0x25 u32   encryption1         level 3: password checksum; data-like level 4+: 0xFF00FF00
//   0x29 u8    sortOrderId         language driver id
//   0x2C u8    (0xFF in .X*)
//   0x2E u8    familyStamp         ties companion files to this version of the table
//   0x38 u8    writeProtected
//   0x39 u8    version             3..12 (table level: 3-4 -> 3, 5-9 -> 4, 10-11 -> 5, 12 -> 7)
//   0x3A u16   maxBlocks           = totalBlocks
//   0x3E u8    0x1F, 0x3F u8 0x0F  constants of unencrypted data-like files
//   0x49 u32   autoInc             last number handed out to the + field
//   0x4D u16   firstFreeBlock      head of the free-block list (0: none)
//   0x4F u8    indexUpdateRequired this engine sets it while the index files lag behind
//                                  the data (written lazily) and clears it once they are
//                                  rewritten; a set flag makes every index file stale
//   0x51 u16   realHeaderSize      end of the used header bytes (level 4+)
//   0x55 u8    indexFlags          .X*: 0x01 case-insensitive, 0x10 descending, 0x20 unique
//   0x56 u8    0x20 in level 4+ data-like files
//
// Extended part (data-like files of version >= 5), 0x58..0x77:
//
//   0x58 u16   0x0100 + version (twice, 0x58 and 0x5A)
//   0x5C u32   encryption2         password checksum, 0 = not encrypted
//   0x60 u32   fileUpdateTime      Unix time of the last update
//   0x64 u16   hiFieldID           next field id (numFields + 1 for a new table)
//   0x66 u16   field-number array offset - 0x58
//   0x68 u16   index name offset - 0x58 (.XGn with a name)
//   0x6A u16   codePage
//   0x6C u8    1, 0x6D u8 1
//   0x6E u16   sort-order name offset - 0x58
//
// Variable part, from p = 0x78 (extended) or 0x58, in this order:
//   1. numFields x (u8 type, u8 size) descriptors;
//   2. a 4-byte pointer slot (garbage);
//   3. data-like files only: numFields x 4-byte pointer slots;
//   4. the table name area: 79 bytes (version < 12) or 261 bytes, NUL-terminated;
//   index files end here; data-like files go on with
//   5. numFields NUL-terminated field names (in the table's code page);
//   6. level 4+: numFields x u16 field numbers (.X*: table field numbers of the index
//      fields, bit 15 = descending), then the NUL-terminated sort-order name, then
//      (.XGn) the NUL-terminated index name.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/FieldInfo.h"

namespace engine {

class File;

enum FileType : uint8_t {
    ftKeyedTable = 0,
    ftPrimaryIndex = 1,
    ftTable = 2,
    ftXnnPlain = 3,
    ftYnn = 4,
    ftXnnMaintained = 5,
    ftXGnPlain = 6,
    ftYGn = 7,
    ftXGnMaintained = 8,
};

struct TableHeader {
    std::filesystem::path file;
    std::string raw; // the header bytes as read; rewritten with unknown bytes unchanged

    uint16_t recordSize = 0;
    uint16_t headerSize = 0;
    uint8_t fileType = 0;
    uint8_t blockSizeCode = 0;
    uint32_t numRecords = 0;
    uint16_t usedBlocks = 0;
    uint16_t totalBlocks = 0;
    uint16_t firstBlock = 0;
    uint16_t lastBlock = 0;
    uint8_t indexFieldNumber = 0;
    uint16_t indexRoot = 0;
    uint8_t indexLevels = 0;
    uint16_t numFields = 0;
    uint16_t keyFields = 0;
    uint32_t encryption = 0; // the effective password checksum (0: not encrypted)
    uint8_t sortOrderId = 0;
    uint8_t familyStamp = 0;
    uint8_t version = 0;
    uint32_t autoInc = 0;
    uint16_t firstFreeBlock = 0;
    uint8_t indexUpdateRequired = 0;
    uint8_t indexFlags = 0;
    bool extended = false;
    int codePage = 0;
    uint32_t updateTime = 0;

    std::vector<FieldInfo> fields;
    std::vector<uint16_t> fieldNumbers; // level 4+ data-like files
    std::string sortOrderName;
    std::string indexName; // .XGn
    std::string tableName; // name area (raw bytes up to the NUL)

    bool isDataLike() const;
    bool writeProtected() const { return raw.size() > 0x38 && raw[0x38] != 0; }
    bool isIndexFile() const { return !isDataLike(); }
    int blockSize() const { return blockSizeCode * 1024; }
    int level() const;
    // Blocks that really exist in a file of fileSize bytes (at most totalBlocks).
    uint32_t availableBlocks(uint64_t fileSize) const;

    // Reads and checks the header of an open file. level3CodePage decodes the names of
    // files that do not record a code page. Throws NotParadox or Corrupt.
    static TableHeader read(File& f, int level3CodePage);

    // Copies the counters and flags of the fixed part back into raw (the variable part
    // is never changed once a file exists).
    void storeFixedPart();
};

int levelOfVersion(int version);

} // namespace engine
