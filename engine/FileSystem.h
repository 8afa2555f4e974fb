#pragma once
// The engine's only door to the disk. Every read and write of a table file goes
// through a File obtained from the process-wide FileSystem, so that tests can
// install one that fails (disk full, I/O error) or kills the process at a chosen
// operation, and check what is left on disk.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

namespace engine {

enum class OpenMode {
    Read,              // existing file, read only
    ReadWrite,         // existing file, read and write
    CreateTruncate,    // create or empty, read and write
    ReadNoFollow,      // as Read, but a symbolic link is refused, never followed
    ReadWriteNoFollow, // as ReadWrite, but a symbolic link is refused, never followed
    CreateExclusive,   // a new file only: refused when the name exists, even as a link
};

// True for the modes whose File may write.
bool opensForWriting(OpenMode mode);
// True for the modes that may create the file.
bool opensToCreate(OpenMode mode);

// A lock on one byte of a file, shared between programs (see TableLock.h).
enum class LockKind {
    Unlock,
    Shared,
    Exclusive, // needs a file open for writing
};

class File {
public:
    virtual ~File();
    // Reads up to n bytes at off; returns fewer only at end of file. Throws EngineError(Io).
    virtual size_t readAt(uint64_t off, void* buf, size_t n) = 0;
    // Writes exactly n bytes at off (growing the file if needed). Throws EngineError(Io).
    virtual void writeAt(uint64_t off, const void* buf, size_t n) = 0;
    virtual uint64_t size() = 0;
    virtual void truncate(uint64_t size) = 0;
    virtual void sync() = 0;
    // Closes the descriptor and reports a failure (a write the system could only
    // refuse at close). Later calls do nothing; the destructor closes silently.
    virtual void close() {}
    // Gives the file these permission bits exactly, the umask aside.
    virtual void setPermissions(unsigned mode) { (void)mode; }
    // Takes a lock on the whole file for this File's life, without waiting: exclusive
    // when the file is open for writing, shared otherwise; false when another open
    // file description holds a conflicting one. The journal uses it to tell a
    // transaction in progress from one a crash left behind.
    virtual bool tryLockExclusive() { return true; }
    // Sets, converts or drops this File's lock on the byte at `offset` (which may lie
    // past the end of the file), without waiting; false when another open file
    // description holds a conflicting lock. Locks of one File never conflict with
    // each other, and closing another File on the same file does not drop them.
    virtual bool lockByte(uint64_t offset, LockKind kind) {
        (void)offset;
        (void)kind;
        return true;
    }
    // The inode of the open file, when the file system keeps inode numbers across
    // mounts (not FAT, exFAT or FUSE ones, whose numbers are made up at each mount);
    // nullopt when it cannot be told.
    virtual std::optional<uint64_t> persistentInode() { return std::nullopt; }
    const std::filesystem::path& path() const { return m_path; }

protected:
    explicit File(std::filesystem::path p) : m_path(std::move(p)) {}

private:
    std::filesystem::path m_path;
};

// What tells whether a directory changed: any file created, renamed or removed in it
// moves its modification time (or replaces the directory: another inode).
struct DirectoryStamp {
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t modifiedNs = 0; // since the epoch
    bool operator==(const DirectoryStamp&) const = default;
};

// What a name is, seen without following a link: a link is a Link, whatever it
// leads to.
enum class EntryKind { Missing, Regular, Directory, Link, Other };

struct EntryStatus {
    EntryKind kind = EntryKind::Missing;
    bool ownedByUser = false; // owned by the user this program runs as
    unsigned permissions = 0; // rwx for owner, group and others (0777 at most)
};

// An exclusive lock on a directory, held for the object's life.
class DirectoryLock {
public:
    virtual ~DirectoryLock();
};

class FileSystem {
public:
    virtual ~FileSystem();
    // Throws EngineError (NotFound when the file is missing in Read/ReadWrite mode,
    // ReadOnly when write access is refused, Io otherwise).
    // Anything but a regular file (a directory, a FIFO, a device) is refused with
    // NotParadox before it is opened, so that opening never blocks.
    // The NoFollow modes and CreateExclusive refuse a symbolic link (ErrorCode::NotParadox)
    // and CreateExclusive an existing name (ErrorCode::AlreadyExists).
    virtual std::unique_ptr<File> open(const std::filesystem::path& p, OpenMode mode) = 0;
    // A new, empty file beside `target` under a hidden name no one can guess in advance
    // (".NAME.XXXXXXXXXXXX.tmp"), created exclusively: a name planted there beforehand,
    // as a file or as a link, is never opened. The file is made with `mode` (less the
    // umask), the mode its content will have once renamed over the target.
    std::unique_ptr<File> createTemporary(const std::filesystem::path& target,
                                          unsigned mode = 0666);
    // createTemporary() for a file that will be renamed over `target`: it gets the
    // permissions the target has now (a plain file; otherwise 0666 less the umask),
    // so that replacing a file never changes who may read or write it.
    std::unique_ptr<File> createReplacement(const std::filesystem::path& target);
    // open(p, CreateExclusive), the new file made with `mode` less the umask where the
    // file system keeps modes.
    virtual std::unique_ptr<File> openNew(const std::filesystem::path& p, unsigned mode) {
        (void)mode;
        return open(p, OpenMode::CreateExclusive);
    }
    virtual bool exists(const std::filesystem::path& p) = 0;
    virtual void remove(const std::filesystem::path& p) = 0;
    virtual void rename(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    // Plain files of a directory (full paths), links to plain files included; empty
    // when the directory is missing.
    virtual std::vector<std::filesystem::path> list(const std::filesystem::path& dir) = 0;
    // Every name of a directory (full paths) whatever it is: links, folders, devices;
    // none is followed. Empty when the directory is missing.
    // The defaults of status() and listAll() look at the disk itself: every file
    // system but the in-memory one of the fuzz tests wraps it, and that one never
    // creates a table.
    virtual std::vector<std::filesystem::path> listAll(const std::filesystem::path& dir);
    // What p is, without following it when it is a link.
    virtual EntryStatus status(const std::filesystem::path& p);
    // The directory's stamp; nullopt when it cannot be told (then what was listed
    // of it is never reused).
    virtual std::optional<DirectoryStamp> directoryStamp(const std::filesystem::path& dir) {
        (void)dir;
        return std::nullopt;
    }
    // Makes the names created, renamed or removed in dir durable.
    virtual void syncDirectory(const std::filesystem::path& dir) { (void)dir; }
    // Creates a directory (its parent must exist), open to its owner only; an
    // existing name is no error (the caller checks what it is with status()).
    virtual void makeDirectory(const std::filesystem::path& dir) { (void)dir; }
    // Removes an empty directory; a missing one is no error.
    virtual void removeDirectory(const std::filesystem::path& dir) { (void)dir; }
    // True when another program holds a lock on the existing file p (a lock file of
    // another database program). The file is only opened for reading and tested;
    // it is never created, changed or kept locked.
    virtual bool lockedByOther(const std::filesystem::path& p) {
        (void)p;
        return false;
    }
    // Locks the existing directory dir without waiting; nullptr when another holds
    // it, or when dir was removed or replaced meanwhile, or is a link (so that the
    // caller, which makes it again, never holds a lock on a directory that is gone,
    // nor on one a link leads to).
    virtual std::unique_ptr<DirectoryLock> tryLockDirectory(const std::filesystem::path& dir) {
        (void)dir;
        return std::make_unique<DirectoryLock>();
    }
};

// The POSIX implementation used by default.
class PosixFileSystem : public FileSystem {
public:
    std::unique_ptr<File> open(const std::filesystem::path& p, OpenMode mode) override;
    std::unique_ptr<File> openNew(const std::filesystem::path& p, unsigned mode) override;
    bool exists(const std::filesystem::path& p) override;
    void remove(const std::filesystem::path& p) override;
    void rename(const std::filesystem::path& from, const std::filesystem::path& to) override;
    std::vector<std::filesystem::path> list(const std::filesystem::path& dir) override;
    std::optional<DirectoryStamp> directoryStamp(const std::filesystem::path& dir) override;
    void syncDirectory(const std::filesystem::path& dir) override;
    void makeDirectory(const std::filesystem::path& dir) override;
    void removeDirectory(const std::filesystem::path& dir) override;
    bool lockedByOther(const std::filesystem::path& p) override;
    std::unique_ptr<DirectoryLock> tryLockDirectory(const std::filesystem::path& dir) override;
};

FileSystem& fileSystem();
// Tests only: installs fs for the whole process (not owned); nullptr restores the default.
void setFileSystem(FileSystem* fs);

} // namespace engine
