#pragma once
// The rollback journal of a table: what a commit is about to overwrite, saved
// beside the table first, so that a commit cut short by a crash or a failed write
// is undone, in this process or at the next open by any process.
//
// The journal of DICO.DB is DICO.DB-journal in the same directory. It is written
// under the name DICO.DB-journal.tmp, locked (a shared open-file-description lock,
// on a read-only descriptor held until the journal is retired), synced, closed and
// only then renamed, so that a journal under its final name is always complete.
// Others test it with an exclusive lock. Little-endian throughout:
//
//   Off  Size  Field         Meaning
//   0    8     magic         "KVJRNL\r\n"
//   8    u32   version       1
//   12   u32   fileCount     files the transaction changes (the table, its .MB)
//   16   u32   recordCount   saved ranges that follow the file list
//   20   u32   headerCrc     CRC-32 of bytes 0..19 and of the file list
//   24         file list     per file: u64 size before the transaction, u16 name
//                            length, the file name (no directory; same directory
//                            as the journal)
//   then       records       per range: u16 file (index in the list), u64 offset,
//                            u32 length, u32 CRC-32 of the bytes, the bytes as they
//                            were on disk before the transaction
//
// Rollback (hot journal at open, or a commit that failed after it touched the
// table): every record whose CRC matches is written back in order, stopping at the
// first that does not (a journal torn by a power cut before the table was touched),
// each file is cut back to its size before the transaction, the files are synced
// and the journal is removed. A journal whose header does not check is removed
// without touching anything: it was never complete, so the commit had not begun.
//
// Protocol of a commit (states of the journal):
//
//   none --write .tmp, lock, sync, rename, sync dir--> live
//   live --apply ranges, sync files, remove journal--> none      (committed)
//   live --failure: roll back, remove journal---------> none      (rolled back)
//   live --crash------------------------------------> hot        (next open rolls back)
//
// A journal whose lock another process holds is live: its table is being changed.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace engine {

class BufferedFile;
class File;

class Journal {
public:
    static std::filesystem::path pathFor(const std::filesystem::path& table);

    // Saves what the pending writes of these files will overwrite and makes the
    // journal live. Throws EngineError; a failure leaves no journal behind.
    static std::unique_ptr<Journal> begin(const std::filesystem::path& table,
                                          const std::vector<BufferedFile*>& files, bool durable);
    ~Journal();

    // Puts back every saved range (through the files' disk side) and the sizes.
    void rollback(const std::vector<BufferedFile*>& files, bool durable);
    // Removes the journal: the commit point, or the end of a rollback.
    void retire();

    // At open: rolls a hot journal of this table back. Throws Locked when another
    // process holds the journal (a commit in progress), ReadOnly when the table
    // cannot be written to be restored.
    static void recover(const std::filesystem::path& table);

    // CRC-32 (the reflected 0xEDB88320 polynomial).
    static uint32_t crc32(const void* data, size_t n, uint32_t crc = 0);

private:
    struct Record {
        uint16_t file;
        uint64_t offset;
        std::string bytes;
    };
    Journal(std::filesystem::path path, std::unique_ptr<File> file);
    static std::string encode(const std::vector<std::string>& names,
                              const std::vector<uint64_t>& sizes,
                              const std::vector<Record>& records);
    // Parses a journal image; false when its header does not check. Stops at the
    // first torn record.
    static bool decode(const std::string& image, std::vector<std::string>& names,
                       std::vector<uint64_t>& sizes, std::vector<Record>& records);
    static void restore(File& f, uint16_t index, const std::vector<Record>& records, uint64_t size,
                        bool durable);

    std::filesystem::path m_path;
    std::unique_ptr<File> m_file; // read-only, locked while the journal is live
    std::vector<uint64_t> m_sizes;
    std::vector<Record> m_records;
};

} // namespace engine
