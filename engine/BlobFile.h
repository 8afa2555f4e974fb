#pragma once
// The BLOB file (.MB) of a table: values of Memo, Binary, Formatted memo, OLE and
// Graphic fields that do not fit in the field's leader.
//
// The file is a sequence of blocks of n x 4096 bytes, each starting with
// u8 type, u16 n. Block offsets are multiples of 4096.
//
//   type 0  header block (the first 4096 bytes)
//   type 2  one BLOB:  +3 u32 length, +7 u16 modification number, +9 the bytes
//   type 3  up to 64 small BLOBs in one 4096-byte block: slot i at 12 + 5i =
//           u8 start / 16, u8 16-byte chunks, u16 modification number,
//           u8 length mod 16 (16 when a multiple; 0 = free)
//   type 4  free block(s)
//
// A field refers to its BLOB with mbRef = block offset | (0xFF for type 2, else slot).
// Invariants kept by the writer:
//   1. the file length is a multiple of 4096;
//   2. a new BLOB is written completely before the row that refers to it, so a
//      crash leaves at worst an unreferenced block;
//   3. a BLOB is never rewritten in place: a changed value gets a new block and the old
//      one becomes a free block.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace engine {

class BufferedFile;
class File;

class BlobFile {
public:
    BlobFile(std::filesystem::path mbPath, std::filesystem::path tablePath);
    ~BlobFile();

    const std::filesystem::path& path() const { return m_path; }

    // The BLOB for a descriptor; throws Corrupt (naming the table) on a bad reference.
    std::string read(uint32_t mbRef, uint32_t length) const;

    // Stores a value and returns its mbRef (modification number 1).
    uint32_t write(std::string_view data);
    // Marks the block of a single BLOB free (small BLOBs are left in place).
    void release(uint32_t mbRef);

    // For a reader that tells its user: while the file is missing, read() gives an empty
    // value (the field reads as NULL) and counts it instead of refusing the row. The
    // table can no longer be written through this object: write() and release() throw
    // ReadOnly, so that no fresh .MB is made under references to the lost one.
    void readMissingFileAsEmpty();
    // Values read as empty so far because the file is missing.
    uint64_t valuesLostToMissingFile() const { return m_valuesLost; }

    // The file holding this table's unwritten BLOB blocks (nullptr until one is written).
    BufferedFile* pendingFile() const;

    // Writes a fresh file holding only the header block.
    static void create(const std::filesystem::path& mbPath);

private:
    File& file(bool forWrite) const;
    std::unique_ptr<File> openFile(bool forWrite) const; // nullptr when the file is missing
    bool fileIsMissing() const;
    void refuseWriteWhenTolerant() const;

    std::filesystem::path m_path;
    std::filesystem::path m_table;
    mutable std::unique_ptr<File> m_file;
    mutable bool m_writable = false;
    bool m_missingReadsEmpty = false;
    mutable bool m_knownMissing = false;
    mutable uint64_t m_valuesLost = 0;
};

} // namespace engine
