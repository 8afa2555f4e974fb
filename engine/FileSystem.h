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
    virtual size_t readAt(uint64_t off, void *buf, size_t n) = 0;
    // Writes exactly n bytes at off (growing the file if needed). Throws EngineError(Io).
    virtual void writeAt(uint64_t off, const void *buf, size_t n) = 0;
    virtual uint64_t size() = 0;
    virtual void truncate(uint64_t size) = 0;
    virtual void sync() = 0;
    const std::filesystem::path &path() const { return m_path; }

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
    virtual std::unique_ptr<File> open(const std::filesystem::path &p, OpenMode mode) = 0;
    virtual bool exists(const std::filesystem::path &p) = 0;
    virtual void remove(const std::filesystem::path &p) = 0;
    virtual void rename(const std::filesystem::path &from, const std::filesystem::path &to) = 0;
    // Plain files of a directory (full paths); empty when the directory is missing.
    virtual std::vector<std::filesystem::path> list(const std::filesystem::path &dir) = 0;
};

// The POSIX implementation used by default.
class PosixFileSystem : public FileSystem {
public:
    std::unique_ptr<File> open(const std::filesystem::path &p, OpenMode mode) override;
    bool exists(const std::filesystem::path &p) override;
    void remove(const std::filesystem::path &p) override;
    void rename(const std::filesystem::path &from, const std::filesystem::path &to) override;
    std::vector<std::filesystem::path> list(const std::filesystem::path &dir) override;
};

FileSystem &fileSystem();
// Tests only: installs fs for the whole process (not owned); nullptr restores the default.
void setFileSystem(FileSystem *fs);

} // namespace engine
