#pragma once
// The one judge of whether a table family on disk is whole: the invariants of
// TableData.h and IndexWriter.h, read back from the files themselves.
//
//   .DB  the chain from the header (links both ways, no loop, no empty or overfull
//        block, keys ascending without duplicate), the header's counters against it,
//        the file's size against the header, the free list apart from the chain;
//   .MB  every BLOB a row refers to reads back (run with blobs);
//   .PX  and each maintained .X*/.Y*: only while header byte 0x4F is clear (set, the
//        index files may lag and are rebuilt at the next open). Compared by content,
//        not by bytes with a rebuild, so that blocks may sit anywhere: the .X* holds
//        one entry per row (compared by sort key: other writers store the folded text
//        of a case-insensitive index), in the index's order, and each tree's level-1
//        entries name the non-empty blocks of the file below in chain order, with their
//        first keys and counts; upper entries agree with the blocks they name.
//
// Shapes an in-place maintenance may change (every block full but the last, one chain
// of all tree blocks ordered by key, the block-number hint of .X* records) are not
// findings, nor the one empty block other writers chain in an empty table.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/TableHeader.h"

namespace engine {

class File;
class TableData;
struct SecondaryOrder;

struct IntegrityFinding {
    std::string file; // the file's name: "T.DB", "T.PX", "T.XG0"...
    std::string what; // the damage, in words
    bool operator==(const IntegrityFinding&) const = default;
};

class IntegrityCheck {
public:
    explicit IntegrityCheck(TableData& table) : m_table(table) {}

    // Reads the family from disk (not what this process has pending). Throws
    // EngineError when a file cannot be read at all (Io, Encrypted...): trouble, not damage.
    std::vector<IntegrityFinding> run(bool readBlobs);

    // Opens the table and checks it whole, BLOBs included.
    static std::vector<IntegrityFinding> of(const std::filesystem::path& table);

private:
    // A sorted file's chain as walked: every block, and the non-empty ones with their
    // record counts and first keys.
    struct Walked {
        std::vector<uint16_t> chained;
        std::vector<uint16_t> blocks;
        std::vector<uint32_t> counts;
        std::vector<std::string> firstKeys;
        uint64_t records = 0;
        bool whole = true; // the walk reached the end of the chain
    };
    using RecordVisit = std::function<void(const char* records, uint32_t count)>;

    void add(const std::filesystem::path& file, std::string what);
    Walked walkChain(File& f, const TableHeader& h, size_t keyLen, const RecordVisit& visit);
    bool readBlock(File& f, const TableHeader& h, uint16_t number, std::string& image);
    void checkCounters(File& f, const TableHeader& h, const Walked& w);
    void checkFreeList(File& f, const TableHeader& h, const Walked& w);
    void checkRows(const char* records, uint32_t count, bool readBlobs);
    void checkTree(const std::filesystem::path& tree, const Walked& below, size_t keyLen);
    bool descend(File& f, const TableHeader& h, uint16_t block, int level, std::vector<bool>& seen,
                 std::vector<std::string>& level1, std::string& firstKey, uint64_t& sum,
                 uint64_t& entries);
    void checkSecondary(const SecondaryOrder& order, std::vector<std::string> expected);

    TableData& m_table;
    TableHeader m_header; // the .DB header as on disk
    std::vector<IntegrityFinding> m_findings;
    std::vector<std::vector<std::string>> m_expected; // per secondary order: sort keys of the rows
    std::string m_lastKey;
    uint64_t m_rowOrdinal = 0;
};

} // namespace engine
