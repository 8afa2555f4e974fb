#pragma once
// The engine's only door to the disk. Every read and write of a table file goes
// through a File obtained from the process-wide FileSystem, so that tests can
// install one that fails (disk full, I/O error) or kills the process at a chosen
// operation, and check what is left on disk.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

namespace engine {

enum class OpenMode {
    Read,           // existing file, read only
    ReadWrite,      // existing file, read and write
    CreateTruncate, // create or empty, read and write
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
    // Takes a lock on the whole file for this File's life, without waiting: exclusive
    // when the file is open for writing, shared otherwise; false when another open
    // file description holds a conflicting one. The journal uses it to tell a
    // transaction in progress from one a crash left behind.
    virtual bool tryLockExclusive() { return true; }
    const std::filesystem::path& path() const { return m_path; }

protected:
    explicit File(std::filesystem::path p) : m_path(std::move(p)) {}

private:
    std::filesystem::path m_path;
};

class FileSystem {
public:
    virtual ~FileSystem();
    // Throws EngineError (NotFound when the file is missing in Read/ReadWrite mode,
    // ReadOnly when write access is refused, Io otherwise).
    virtual std::unique_ptr<File> open(const std::filesystem::path& p, OpenMode mode) = 0;
    virtual bool exists(const std::filesystem::path& p) = 0;
    virtual void remove(const std::filesystem::path& p) = 0;
    virtual void rename(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    // Plain files of a directory (full paths); empty when the directory is missing.
    virtual std::vector<std::filesystem::path> list(const std::filesystem::path& dir) = 0;
    // Makes the names created, renamed or removed in dir durable.
    virtual void syncDirectory(const std::filesystem::path& dir) { (void)dir; }
    // Creates a directory (its parent must exist); an existing one is no error.
    virtual void makeDirectory(const std::filesystem::path& dir) { (void)dir; }
    // Removes an empty directory; a missing one is no error.
    virtual void removeDirectory(const std::filesystem::path& dir) { (void)dir; }
};

// The POSIX implementation used by default.
class PosixFileSystem : public FileSystem {
public:
    std::unique_ptr<File> open(const std::filesystem::path& p, OpenMode mode) override;
    bool exists(const std::filesystem::path& p) override;
    void remove(const std::filesystem::path& p) override;
    void rename(const std::filesystem::path& from, const std::filesystem::path& to) override;
    std::vector<std::filesystem::path> list(const std::filesystem::path& dir) override;
    void syncDirectory(const std::filesystem::path& dir) override;
    void makeDirectory(const std::filesystem::path& dir) override;
    void removeDirectory(const std::filesystem::path& dir) override;
};

FileSystem& fileSystem();
// Tests only: installs fs for the whole process (not owned); nullptr restores the default.
void setFileSystem(FileSystem* fs);

} // namespace engine
