#pragma once
// The rollback journal of a table: what a commit is about to overwrite, saved
// beside the table first, so that a commit cut short by a crash or a failed write
// is undone, in this process or at the next open by any process.
//
// The journal of DICO.DB is DICO.DB-journal in the same directory. It is written
// under a hidden name no one can guess (".DICO.DB-journal.XXXXXXXXXXXX.tmp", made
// with O_CREAT|O_EXCL|O_NOFOLLOW and the table's permissions), locked (a shared
// open-file-description lock, on a read-only descriptor held until the journal is
// retired), synced, closed and only then renamed, so that a journal under its final
// name is always complete. Others test it with an exclusive lock. Little-endian:
//
//   Off  Size  Field         Meaning
//   0    8     magic         "KVJRNL\r\n"
//   8    u32   version       2 (version 1 named its files by free names: never applied)
//   12   u32   fileCount     files the commit changes, 1..16; the first is the table,
//                            then its .MB and the index files (.PX, .X*/.Y*) whose
//                            blocks its row operations changed in place (IndexFiles.h)
//   16   u32   recordCount   saved ranges that follow the header
//   20   u32   headerCrc     CRC-32 of bytes 0..19, then of 24 to the end of the images
//   24   16    nonce         random, unique to this journal
//   40   u32   imageSize     L: the table's header size (u16 at 0x02 of the table)
//   44         entries       fileCount x 24 bytes: u16 role, u16 number (JournalFamily.h),
//                            u64 size before the commit, u64 inode, u32 flags (bit 0:
//                            the inode is known; FAT, exFAT and FUSE do not keep them)
//   then  L    before        the table's bytes [0, L) before the commit
//   then  L    after         the same bytes as the commit writes them
//   then       records       per range: u16 file (index in the entries), u64 offset,
//                            u32 length (1..1 MiB), u32 CRC-32 of the 14 bytes before it
//                            and of the bytes, seeded with headerCrc; then the bytes as
//                            they were on disk before the commit
//
// Every commit rewrites the table's change counter (0x2D, 0x30), so the header after
// always differs from the header before: that pair binds the journal to the one
// commit that wrote it. A journal found at open is applied only when it passes, in a
// first pass that writes nothing (JournalReader), every check below; otherwise it is
// "not ours": left where it is, never applied, the user told once (EngineNotice.h)
// why and what to do; reading the table goes on, changing it is refused until the
// file is removed or moved.
//
//   1. It is a regular file, opened without following a link and without blocking
//      (a FIFO, a directory, a device or a link is refused before it is opened).
//   2. Its magic and version are these, its header CRC checks, its counts and L are
//      within the bounds above and its header lies within the file.
//   3. Every file is named by its role in the table's family and found from the
//      table's own name; it exists, is opened without following links, is a regular
//      file, and has the recorded inode where both sides know it (another copy of
//      the table, even under the same name, has another inode).
//   4. Each size before the commit is at most the file's size now (a commit only
//      grows files); for block files (the table, its index files) it lies between
//      headerSize and headerSize + 65536 x blockSize (65535 blocks, and the part of
//      one that tables of other programs may end with: a whole number of blocks is
//      not required); a .MB is at most 4 GiB.
//   5. The table's current header [0, L) holds, at each byte, the byte before or the
//      byte after: the state this commit left, whole or cut short. A journal of
//      another table, another copy or an earlier commit fails here (the change
//      counter has moved on).
//   6. Each record is complete, its CRC checks, its length is 1..1 MiB, it names a
//      listed file and lies inside [0, that file's size before); one in the header
//      holds exactly the saved header bytes. The records are read one at a time:
//      recordCount never sizes anything, memory stays under 1 MiB whatever the file.
//   7. A complete journal ends right after its last record and saves every header
//      byte the commit changes. A journal torn at its end (the first record that is
//      short or fails its CRC) is the commit's own only while the table's header is
//      still the one before: the table was not touched yet.
//
// Limits, by choice: where inodes are not kept (check 3), a journal of an identical
// copy of the table passes, and describes that same state. A journal saved aside
// from a commit that was then rolled back, put back after a later commit that wrote
// exactly the same header bytes, passes check 5; a commit stamp that differs each
// time (the u32 at 0x30 drawn at random rather than counted) would close that too.
//
// A journal shorter than its fixed 44 bytes, starting as ours, died being written:
// it is removed without touching anything. Hidden temporaries of a killed writer
// are removed when no one holds their lock and they start as ours (or are empty).
//
// Rollback (a valid hot journal at open, or a commit that failed after it touched
// the table): the records are written back in order, each file is cut back to its
// size before the commit, the files are synced and the journal is removed.
//
// Protocol of a commit (states of the journal):
//
//   none --write .tmp, lock, sync, rename, sync dir--> live
//   live --apply ranges, sync files, remove journal--> none      (committed)
//   live --failure: roll back, remove journal---------> none      (rolled back)
//   live --crash------------------------------------> hot        (next open rolls back)
//
// A journal whose lock another process holds is live: its table is being changed.

#include "engine/JournalImage.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace engine {

class BufferedFile;
class File;
class JournalReader;

class Journal {
public:
    static std::filesystem::path pathFor(const std::filesystem::path& table);

    // Saves what the pending writes of these files (the table first) will overwrite
    // and makes the journal live. Throws EngineError; a failure leaves no journal behind.
    static std::unique_ptr<Journal> begin(const std::filesystem::path& table,
                                          const std::vector<BufferedFile*>& files, bool durable);
    ~Journal();

    // Puts back every saved range (through the files' disk side) and the sizes.
    void rollback(const std::vector<BufferedFile*>& files, bool durable);
    // Removes the journal: the commit point, or the end of a rollback.
    void retire();

    // At open: rolls a hot journal of this table back. Throws Locked when another
    // process holds the journal (a commit in progress), ReadOnly when the table
    // cannot be written to be restored. A journal that is not this table's own is
    // left in place: told once when `toWrite` is false, refused (ReadOnly) when true.
    static void recover(const std::filesystem::path& table, bool toWrite);
    // Removes the hidden temporaries killed writers left beside the table.
    static void sweepTemporaries(const std::filesystem::path& table);

    // CRC-32 (the reflected 0xEDB88320 polynomial).
    static uint32_t crc32(const void* data, size_t n, uint32_t crc = 0);

private:
    Journal(std::filesystem::path path, std::unique_ptr<File> file);
    static JournalImage imageOf(const std::filesystem::path& table,
                                const std::vector<BufferedFile*>& files);
    static void publish(const std::filesystem::path& table, const std::string& bytes, bool durable,
                        std::unique_ptr<File>& holder);
    static void restore(JournalReader& reader, const std::filesystem::path& table);
    static void refuseForeign(const std::filesystem::path& table, const std::string& why,
                              bool toWrite);

    std::filesystem::path m_path;
    std::unique_ptr<File> m_file; // read-only, locked while the journal is live
    std::vector<uint64_t> m_sizes;
    std::vector<JournalRecord> m_records;
};

} // namespace engine
