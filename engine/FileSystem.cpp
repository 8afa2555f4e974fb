#include "engine/FileSystem.h"

#include "engine/DiskBarrier.h"
#include "engine/EngineError.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace engine {

bool opensForWriting(OpenMode mode) {
    return mode != OpenMode::Read && mode != OpenMode::ReadNoFollow;
}

bool opensToCreate(OpenMode mode) {
    return mode == OpenMode::CreateTruncate || mode == OpenMode::CreateExclusive;
}

File::~File() = default;
DirectoryLock::~DirectoryLock() = default;
FileSystem::~FileSystem() = default;

namespace {

class PosixFile : public File {
public:
    PosixFile(std::filesystem::path p, int fd, bool writable)
        : File(std::move(p)), m_fd(fd), m_writable(writable) {}
    ~PosixFile() override {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    void close() override {
        if (m_fd < 0)
            return;
        const int fd = m_fd;
        m_fd = -1;
        // The descriptor is gone whatever close answers (even EINTR): never retry.
        if (::close(fd) != 0 && errno != EINTR)
            throwIo(path(), "fermeture", errno);
    }

    bool tryLockExclusive() override {
        // An open-file-description lock belongs to this descriptor only: closing
        // another descriptor on the same file in this process does not drop it.
        // A read-only descriptor can only take a shared lock; it still fails while
        // another description holds the exclusive one, which is what callers ask.
        struct flock lock = {};
        lock.l_type = m_writable ? F_WRLCK : F_RDLCK;
        lock.l_whence = SEEK_SET;
        if (::fcntl(m_fd, F_OFD_SETLK, &lock) == 0)
            return true;
        if (errno == EAGAIN || errno == EACCES)
            return false;
        throwIo(path(), "verrouillage", errno);
    }

    bool lockByte(uint64_t offset, LockKind kind) override {
        struct flock lock = {};
        lock.l_type = kind == LockKind::Unlock   ? F_UNLCK
                      : kind == LockKind::Shared ? F_RDLCK
                                                 : F_WRLCK;
        lock.l_whence = SEEK_SET;
        lock.l_start = off_t(offset);
        lock.l_len = 1;
        if (::fcntl(m_fd, F_OFD_SETLK, &lock) == 0)
            return true;
        if (errno == EAGAIN || errno == EACCES)
            return false;
        throwIo(path(), "verrouillage", errno);
    }

    size_t readAt(uint64_t off, void* buf, size_t n) override {
        DiskBarrier::check();
        size_t done = 0;
        while (done < n) {
            ssize_t r = ::pread(m_fd, static_cast<char*>(buf) + done, n - done, off_t(off + done));
            if (r < 0) {
                if (errno == EINTR)
                    continue;
                throwIo(path(), "lecture", errno);
            }
            if (r == 0)
                break;
            done += size_t(r);
        }
        return done;
    }

    void writeAt(uint64_t off, const void* buf, size_t n) override {
        DiskBarrier::check();
        size_t done = 0;
        while (done < n) {
            ssize_t r =
                ::pwrite(m_fd, static_cast<const char*>(buf) + done, n - done, off_t(off + done));
            if (r < 0) {
                if (errno == EINTR)
                    continue;
                throwIo(path(), "écriture", errno);
            }
            done += size_t(r);
        }
    }

    uint64_t size() override {
        struct stat st;
        if (::fstat(m_fd, &st) != 0)
            throwIo(path(), "taille", errno);
        return uint64_t(st.st_size);
    }

    void truncate(uint64_t size) override {
        if (::ftruncate(m_fd, off_t(size)) != 0)
            throwIo(path(), "troncature", errno);
    }

    void setPermissions(unsigned mode) override {
        if (::fchmod(m_fd, mode_t(mode & 0777)) != 0)
            throwIo(path(), "changement des droits", errno);
    }

    void sync() override {
        if (::fdatasync(m_fd) != 0 && errno != EINVAL)
            throwIo(path(), "synchronisation", errno);
    }

    std::optional<uint64_t> persistentInode() override {
        // File systems that number inodes afresh at each mount.
        constexpr long kMsdos = 0x4d44, kExfat = 0x2011BAB0, kFuse = 0x65735546;
        struct statfs fs;
        struct stat st;
        if (::fstatfs(m_fd, &fs) != 0 || ::fstat(m_fd, &st) != 0)
            return std::nullopt;
        if (fs.f_type == kMsdos || fs.f_type == kExfat || fs.f_type == kFuse)
            return std::nullopt;
        return uint64_t(st.st_ino);
    }

private:
    int m_fd;
    bool m_writable;
};

PosixFileSystem g_posix;
FileSystem* g_current = nullptr;

} // namespace

namespace {

[[noreturn]] void refuseOpen(const std::filesystem::path& p, int err) {
    if (err == ENOENT || err == ENOTDIR)
        throw EngineError(ErrorCode::NotFound, "Table ou fichier introuvable : " + quoted(p), err);
    if (err == EACCES || err == EROFS || err == EPERM)
        throw EngineError(ErrorCode::ReadOnly,
                          "Accès refusé à " + quoted(p) + " : " + std::strerror(err), err);
    throwIo(p, "ouverture", err);
}

// Only regular files are tables. A FIFO or a device would block the open (or
// worse, react to it), so the kind is checked first, and again on the descriptor
// in case the name changed in between.
void refuseIfNotRegular(const std::filesystem::path& p, mode_t mode) {
    if (S_ISREG(mode))
        return;
    if (S_ISDIR(mode))
        throw EngineError(ErrorCode::NotParadox, quoted(p) + " est un dossier, pas une table");
    throw EngineError(ErrorCode::NotParadox,
                      quoted(p) + " n'est pas un fichier ordinaire (tube, périphérique...) : "
                                  "ce n'est pas une table");
}

} // namespace

namespace {

bool followsLinks(OpenMode mode) {
    return mode == OpenMode::Read || mode == OpenMode::ReadWrite ||
           mode == OpenMode::CreateTruncate;
}

int openFlags(OpenMode mode) {
    int flags = O_CLOEXEC | O_NONBLOCK;
    switch (mode) {
    case OpenMode::Read:
    case OpenMode::ReadNoFollow:
        flags |= O_RDONLY;
        break;
    case OpenMode::ReadWrite:
    case OpenMode::ReadWriteNoFollow:
        flags |= O_RDWR;
        break;
    case OpenMode::CreateTruncate:
        flags |= O_RDWR | O_CREAT | O_TRUNC;
        break;
    case OpenMode::CreateExclusive:
        flags |= O_RDWR | O_CREAT | O_EXCL;
        break;
    }
    if (!followsLinks(mode))
        flags |= O_NOFOLLOW;
    return flags;
}

[[noreturn]] void refuseLink(const std::filesystem::path& p) {
    throw EngineError(ErrorCode::NotParadox,
                      quoted(p) + " est un lien symbolique : il n'est pas suivi");
}

std::unique_ptr<File> openPosix(const std::filesystem::path& p, OpenMode mode,
                                unsigned permissions) {
    struct stat st;
    const bool follow = followsLinks(mode);
    if ((follow ? ::stat(p.c_str(), &st) : ::lstat(p.c_str(), &st)) == 0) {
        if (S_ISLNK(st.st_mode))
            refuseLink(p);
        if (mode == OpenMode::CreateExclusive)
            throw EngineError(ErrorCode::AlreadyExists, quoted(p) + " existe déjà", EEXIST);
        refuseIfNotRegular(p, st.st_mode);
    }
    const int fd = ::open(p.c_str(), openFlags(mode), permissions);
    if (fd < 0) {
        if (errno == ELOOP && !follow)
            refuseLink(p);
        if (errno == EEXIST)
            throw EngineError(ErrorCode::AlreadyExists, quoted(p) + " existe déjà", EEXIST);
        refuseOpen(p, errno);
    }
    try {
        if (::fstat(fd, &st) != 0)
            throwIo(p, "ouverture", errno);
        refuseIfNotRegular(p, st.st_mode);
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return std::make_unique<PosixFile>(p, fd, opensForWriting(mode));
}

} // namespace

std::unique_ptr<File> PosixFileSystem::open(const std::filesystem::path& p, OpenMode mode) {
    return openPosix(p, mode, 0666);
}

std::unique_ptr<File> PosixFileSystem::openNew(const std::filesystem::path& p, unsigned mode) {
    return openPosix(p, OpenMode::CreateExclusive, mode);
}

bool PosixFileSystem::exists(const std::filesystem::path& p) {
    struct stat st;
    return ::stat(p.c_str(), &st) == 0;
}

void PosixFileSystem::remove(const std::filesystem::path& p) {
    if (::unlink(p.c_str()) != 0 && errno != ENOENT)
        throwIo(p, "suppression", errno);
}

void PosixFileSystem::rename(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::rename(from.c_str(), to.c_str()) != 0)
        throwIo(from, "renommage", errno);
}

std::vector<std::filesystem::path> PosixFileSystem::list(const std::filesystem::path& dir) {
    std::vector<std::filesystem::path> out;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file(ec))
            out.push_back(it->path());
    }
    return out;
}

std::optional<DirectoryStamp> PosixFileSystem::directoryStamp(const std::filesystem::path& dir) {
    struct stat st;
    if (::stat(dir.empty() ? "." : dir.c_str(), &st) != 0)
        return std::nullopt;
    return DirectoryStamp{uint64_t(st.st_dev), uint64_t(st.st_ino),
                          int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

void PosixFileSystem::syncDirectory(const std::filesystem::path& dir) {
    const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        throwIo(dir, "ouverture du dossier", errno);
    const int failed = ::fsync(fd) != 0 && errno != EINVAL ? errno : 0;
    ::close(fd);
    if (failed)
        throwIo(dir, "synchronisation du dossier", failed);
}

void PosixFileSystem::makeDirectory(const std::filesystem::path& dir) {
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
        throwIo(dir, "création du dossier", errno);
}

void PosixFileSystem::removeDirectory(const std::filesystem::path& dir) {
    if (::rmdir(dir.c_str()) != 0 && errno != ENOENT)
        throwIo(dir, "suppression du dossier", errno);
}

bool PosixFileSystem::lockedByOther(const std::filesystem::path& p) {
    struct stat st;
    if (::stat(p.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    const int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false; // unreadable: nothing can be told, and nothing is taken
    // Record locks of any kind (open-file-description or per-process) show through
    // F_OFD_GETLK; whole-file locks taken with flock() only through flock itself.
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    bool held = ::fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    if (!held) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::flock(fd, LOCK_UN);
        else
            held = errno == EWOULDBLOCK;
    }
    ::close(fd);
    return held;
}

namespace {

class PosixDirectoryLock : public DirectoryLock {
public:
    explicit PosixDirectoryLock(int fd) : m_fd(fd) {}
    ~PosixDirectoryLock() override { ::close(m_fd); }

private:
    int m_fd;
};

} // namespace

std::unique_ptr<DirectoryLock> PosixFileSystem::tryLockDirectory(const std::filesystem::path& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        // A link (ELOOP) or anything but a folder (ENOTDIR) is not locked: the
        // caller looks at what the name is before trying again.
        if (errno == ENOENT || errno == ELOOP || errno == ENOTDIR)
            return nullptr;
        throwIo(dir, "ouverture du dossier", errno);
    }
    struct stat held, now;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &held) != 0 ||
        ::lstat(dir.c_str(), &now) != 0 || held.st_ino != now.st_ino || held.st_dev != now.st_dev) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PosixDirectoryLock>(fd);
}

namespace {

// Twelve letters and digits from the kernel's random source: 62^12 names, so that
// nobody can plant the name before it is made.
std::string unpredictableSuffix() {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char raw[12];
    size_t got = 0;
    while (got < sizeof raw) {
        const ssize_t n = ::getrandom(raw + got, sizeof raw - got, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw EngineError(ErrorCode::Io, "Source d'aléa indisponible", errno);
        got += size_t(n);
    }
    std::string out;
    for (unsigned char c : raw)
        out += kAlphabet[c % (sizeof kAlphabet - 1)];
    return out;
}

} // namespace

std::unique_ptr<File> FileSystem::createTemporary(const std::filesystem::path& target,
                                                  unsigned mode) {
    for (int attempt = 0;; ++attempt) {
        const std::filesystem::path name =
            target.parent_path() /
            ("." + target.filename().string() + "." + unpredictableSuffix() + ".tmp");
        try {
            return openNew(name, mode);
        } catch (const EngineError& e) {
            // Someone made that very name first: try another; never take theirs.
            if (e.code() != ErrorCode::AlreadyExists || attempt >= 16)
                throw;
        }
    }
}

std::unique_ptr<File> FileSystem::createReplacement(const std::filesystem::path& target) {
    const EntryStatus now = status(target);
    if (now.kind != EntryKind::Regular)
        return createTemporary(target, 0666);
    auto made = createTemporary(target, now.permissions);
    made->setPermissions(now.permissions);
    return made;
}

std::vector<std::filesystem::path> FileSystem::listAll(const std::filesystem::path& dir) {
    std::vector<std::filesystem::path> out;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        out.push_back(it->path());
    return out;
}

EntryStatus FileSystem::status(const std::filesystem::path& p) {
    struct stat st;
    if (::lstat(p.c_str(), &st) != 0)
        return {};
    EntryStatus out;
    out.kind = S_ISREG(st.st_mode)   ? EntryKind::Regular
               : S_ISDIR(st.st_mode) ? EntryKind::Directory
               : S_ISLNK(st.st_mode) ? EntryKind::Link
                                     : EntryKind::Other;
    out.ownedByUser = st.st_uid == ::geteuid();
    out.permissions = unsigned(st.st_mode & 0777);
    return out;
}

FileSystem& fileSystem() {
    return g_current ? *g_current : g_posix;
}

void setFileSystem(FileSystem* fs) {
    g_current = fs;
}

} // namespace engine
