#pragma once
// How several programs share one table.
//
// Every program that has a table open takes open-file-description locks on three
// bytes of its .DB file, far past any data (a lock does not need the byte to exist):
//
//   byte     held                                 by
//   OPEN     shared, from open to close           every program that has the table open
//            exclusive, for a moment              one that deletes or replaces the table
//   WRITER   exclusive, from the start of a       the one program changing the table
//            change to its commit or rollback
//   READ     shared, for one read operation       readers (a cursor move, a lookup, a scan)
//            exclusive, while a commit writes     the writer, only while it applies its
//            the table file                       journalled writes (see Journal.h)
//
// So there is one writer at a time per table; a second one waits up to
// writerWait() for the first to commit, then gets Locked with a message naming the
// table. A reader never sees a commit half applied: its read waits (up to
// readerWait()) while a commit is being applied, and otherwise reads the last
// committed state. A commit waits the same way for the reads in progress to end.
//
// Each commit bumps a change counter in the header (byte 0x2D, and the 32-bit
// run-time pointer slot at 0x30 that every reader ignores), and the header is the
// first range a commit writes. Before each read operation (under READ) and at the
// start of each change (under WRITER), a program compares the header on disk with
// the one it last saw; when they differ, another program has committed (or crashed
// while committing: its journal is then rolled back first), and everything cached
// is dropped and read again. Cursors find their row again by key, as after a write
// through another cursor. A read that what is cached can answer skips READ: when the
// header read without the lock is the one last seen (a commit writes the header first,
// so nothing else changed before that read), or, for the steps of a walk, for a batch
// of steps within a few milliseconds of the last comparison (TableData::mayReadFromMemory).
// Index files that lag behind the rows (header byte 0x4F) are ignored by readers and
// rewritten by whichever writer closes the table next.
//
// The window keeps its dictionary open and only ever holds OPEN between commands,
// so a korvanta-cli capture into that dictionary runs while the window is open; the
// window's next read shows the captured tables. The CLI holds WRITER for one table's
// capture at a time, so the window's own changes interleave with it table by table.
//
// Other database programs do not take part in this protocol. Their lock files
// (PDOXUSRS.LCK, PARADOX.LCK) are never created or changed; a change is refused
// while another program holds a lock on one of them in the table's directory.

#include <chrono>
#include <cstdint>
#include <filesystem>

namespace engine {

class File;
enum class LockKind;

class TableLock {
public:
    explicit TableLock(std::filesystem::path table);

    // The descriptor that carries the locks. Switching to another descriptor on the
    // same file (to write) takes the shared locks held on the new one first.
    void attach(File& file);

    // Shared OPEN for as long as the table is open. Waits while another program
    // deletes or replaces the table.
    void holdOpen();
    // Exclusive OPEN, for deleting or replacing the table: false when another
    // program has it open. Only on a descriptor open for writing.
    bool tryExclusiveOpen();

    void lockWriter(); // waits up to writerWait(); throws Locked
    void unlockWriter();
    bool writerHeld() const { return m_writer; }
    // True when another program holds WRITER (tested without keeping any lock).
    bool writerActive();

    enum class Read { None, Shared, Exclusive };
    // Waits up to readerWait() for the wanted level; throws Locked.
    void setRead(Read level);
    Read read() const { return m_read; }

    // Tests only: shorter waits.
    static void setWaits(std::chrono::milliseconds writer, std::chrono::milliseconds reader);
    static std::chrono::milliseconds writerWait();
    static std::chrono::milliseconds readerWait();

private:
    bool waitFor(uint64_t byte, LockKind kind, std::chrono::milliseconds limit);

    std::filesystem::path m_table;
    File* m_file = nullptr;
    bool m_open = false;
    bool m_writer = false;
    Read m_read = Read::None;
};

} // namespace engine
