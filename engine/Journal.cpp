#include "engine/Journal.h"

#include "engine/BufferedFile.h"
#include "engine/Bytes.h"
#include "engine/EngineError.h"
#include "engine/FileSystem.h"

#include <array>
#include <cstring>

namespace engine {

using namespace bytes;

namespace {

constexpr char kMagic[8] = {'K', 'V', 'J', 'R', 'N', 'L', '\r', '\n'};
constexpr uint32_t kVersion = 1;
constexpr size_t kFixedHeader = 24;
constexpr size_t kRecordHead = 18; // file, offset, length, crc

std::filesystem::path tmpPathFor(const std::filesystem::path& journal) {
    return std::filesystem::path(journal.string() + ".tmp");
}

void put64(char* p, uint64_t v) {
    put32(p, 0, uint32_t(v));
    put32(p, 4, uint32_t(v >> 32));
}

uint64_t u64(const char* p) {
    return uint64_t(u32(p, 0)) | uint64_t(u32(p, 4)) << 32;
}

// Removes a file the journal work leaves behind; a failure here is second to the
// error being reported.
void removeQuietly(const std::filesystem::path& p) noexcept {
    try {
        fileSystem().remove(p);
    } catch (...) {
    }
}

// A file the rollback must write; a read-only one makes the table unusable until
// someone who may write it opens it, and the message says why.
std::unique_ptr<File> openToRestore(const std::filesystem::path& p,
                                    const std::filesystem::path& table) {
    try {
        return fileSystem().open(p, OpenMode::ReadWrite);
    } catch (const EngineError& e) {
        if (e.code() != ErrorCode::ReadOnly)
            throw;
        throw EngineError(ErrorCode::ReadOnly,
                          "La table " + quoted(table) +
                              " doit être restaurée après une modification interrompue, "
                              "mais elle ne peut pas être écrite : " +
                              e.what());
    }
}

} // namespace

uint32_t Journal::crc32(const void* data, size_t n, uint32_t crc) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    crc = ~crc;
    const auto* p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < n; ++i)
        crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::filesystem::path Journal::pathFor(const std::filesystem::path& table) {
    return std::filesystem::path(table.string() + "-journal");
}

Journal::Journal(std::filesystem::path path, std::unique_ptr<File> file)
    : m_path(std::move(path)), m_file(std::move(file)) {}

Journal::~Journal() = default;

std::string Journal::encode(const std::vector<std::string>& names,
                            const std::vector<uint64_t>& sizes,
                            const std::vector<Record>& records) {
    std::string out(kFixedHeader, '\0');
    std::memcpy(out.data(), kMagic, 8);
    put32(out.data(), 8, kVersion);
    put32(out.data(), 12, uint32_t(names.size()));
    put32(out.data(), 16, uint32_t(records.size()));
    for (size_t i = 0; i < names.size(); ++i) {
        char head[10];
        put64(head, sizes[i]);
        put16(head, 8, uint16_t(names[i].size()));
        out.append(head, sizeof head);
        out += names[i];
    }
    uint32_t crc = crc32(out.data(), 20);
    crc = crc32(out.data() + kFixedHeader, out.size() - kFixedHeader, crc);
    put32(out.data(), 20, crc);
    for (const Record& r : records) {
        char head[kRecordHead];
        put16(head, 0, r.file);
        put64(head + 2, r.offset);
        put32(head, 10, uint32_t(r.bytes.size()));
        put32(head, 14, crc32(r.bytes.data(), r.bytes.size()));
        out.append(head, sizeof head);
        out += r.bytes;
    }
    return out;
}

bool Journal::decode(const std::string& image, std::vector<std::string>& names,
                     std::vector<uint64_t>& sizes, std::vector<Record>& records) {
    if (image.size() < kFixedHeader || std::memcmp(image.data(), kMagic, 8) != 0 ||
        u32(image.data(), 8) != kVersion)
        return false;
    const uint32_t fileCount = u32(image.data(), 12), recordCount = u32(image.data(), 16);
    size_t at = kFixedHeader;
    for (uint32_t i = 0; i < fileCount; ++i) {
        if (image.size() - at < 10)
            return false;
        sizes.push_back(u64(image.data() + at));
        const size_t len = u16(image.data(), at + 8);
        at += 10;
        if (image.size() - at < len)
            return false;
        names.push_back(image.substr(at, len));
        at += len;
    }
    uint32_t crc = crc32(image.data(), 20);
    crc = crc32(image.data() + kFixedHeader, at - kFixedHeader, crc);
    if (crc != u32(image.data(), 20))
        return false;
    for (uint32_t i = 0; i < recordCount && image.size() - at >= kRecordHead; ++i) {
        Record r;
        r.file = u16(image.data(), at);
        r.offset = u64(image.data() + at + 2);
        const size_t len = u32(image.data(), at + 10);
        const uint32_t want = u32(image.data(), at + 14);
        at += kRecordHead;
        if (image.size() - at < len || r.file >= fileCount || crc32(image.data() + at, len) != want)
            break; // torn: what follows was never relied on
        r.bytes = image.substr(at, len);
        at += len;
        records.push_back(std::move(r));
    }
    return true;
}

std::unique_ptr<Journal> Journal::begin(const std::filesystem::path& table,
                                        const std::vector<BufferedFile*>& files, bool durable) {
    std::vector<std::string> names;
    std::vector<uint64_t> sizes;
    std::vector<Record> records;
    for (BufferedFile* f : files) {
        const uint16_t index = uint16_t(names.size());
        names.push_back(f->path().filename().string());
        sizes.push_back(f->diskSize());
        for (const auto& [off, bytes] : f->pending()) {
            // Bytes past the old end need no saving: the rollback cuts the file back.
            if (off >= sizes.back())
                continue;
            records.push_back(
                {index, off,
                 f->diskBytes(off, size_t(std::min<uint64_t>(bytes.size(), sizes.back() - off)))});
        }
    }
    const std::string image = encode(names, sizes, records);
    const std::filesystem::path final = pathFor(table), tmp = tmpPathFor(final);
    // Two descriptors: one writes the journal and is closed (and its close checked)
    // before the table is touched; the other, read-only, holds the lock that tells
    // other programs the journal is live, until the journal is removed.
    std::unique_ptr<File> writer = fileSystem().open(tmp, OpenMode::CreateTruncate);
    std::unique_ptr<File> holder;
    bool named = false;
    try {
        holder = fileSystem().open(tmp, OpenMode::Read);
        if (!holder->tryLockExclusive())
            throw EngineError(ErrorCode::Locked,
                              "La table " + quoted(table) +
                                  " est en cours de modification par un autre programme");
        writer->writeAt(0, image.data(), image.size());
        if (durable)
            writer->sync();
        writer->close();
        fileSystem().rename(tmp, final);
        named = true;
        if (durable)
            fileSystem().syncDirectory(final.parent_path());
    } catch (...) {
        writer.reset();
        holder.reset();
        removeQuietly(named ? final : tmp);
        throw;
    }
    auto journal = std::unique_ptr<Journal>(new Journal(final, std::move(holder)));
    journal->m_sizes = std::move(sizes);
    journal->m_records = std::move(records);
    return journal;
}

void Journal::restore(File& f, uint16_t index, const std::vector<Record>& records, uint64_t size,
                      bool durable) {
    for (const Record& r : records)
        if (r.file == index)
            f.writeAt(r.offset, r.bytes.data(), r.bytes.size());
    if (f.size() > size)
        f.truncate(size);
    if (durable)
        f.sync();
}

void Journal::rollback(const std::vector<BufferedFile*>& files, bool durable) {
    for (size_t i = 0; i < files.size() && i < m_sizes.size(); ++i)
        restore(files[i]->disk(), uint16_t(i), m_records, m_sizes[i], durable);
    retire();
}

void Journal::retire() {
    if (!m_file)
        return;
    fileSystem().remove(m_path); // the commit point
    // The lock goes with the read-only descriptor, only now: no other program ever
    // sees this journal unlocked. Nothing was written through it, so its close
    // cannot lose anything.
    std::unique_ptr<File> holder = std::move(m_file);
    try {
        holder->close();
    } catch (const EngineError&) {
    }
}

void Journal::recover(const std::filesystem::path& table) {
    const std::filesystem::path final = pathFor(table), tmp = tmpPathFor(final);
    const auto busy = [&] {
        return EngineError(ErrorCode::Locked,
                           "La table " + quoted(table) +
                               " est en cours de modification par un autre programme");
    };
    if (fileSystem().exists(tmp)) {
        // A journal that never got its name: the commit had not touched the table.
        // Its writer holds a shared lock; an exclusive one tells whether it is alive.
        std::unique_ptr<File> f;
        try {
            f = fileSystem().open(tmp, OpenMode::ReadWrite);
        } catch (const EngineError& e) {
            if (e.code() != ErrorCode::ReadOnly)
                throw;
            f = fileSystem().open(tmp, OpenMode::Read); // cannot remove it anyway
        }
        if (!f->tryLockExclusive())
            throw busy();
        f.reset();
        removeQuietly(tmp); // on a read-only medium it stays, harmless
    }
    if (!fileSystem().exists(final))
        return;
    std::unique_ptr<File> f = openToRestore(final, table);
    if (!f->tryLockExclusive())
        throw busy();
    std::string image(size_t(f->size()), '\0');
    image.resize(f->readAt(0, image.data(), image.size()));
    std::vector<std::string> names;
    std::vector<uint64_t> sizes;
    std::vector<Record> records;
    if (decode(image, names, sizes, records)) {
        for (size_t i = 0; i < names.size(); ++i) {
            const std::filesystem::path target = final.parent_path() / names[i];
            if (names[i].empty() || names[i].find('/') != std::string::npos ||
                !fileSystem().exists(target))
                continue;
            std::unique_ptr<File> t = openToRestore(target, table);
            restore(*t, uint16_t(i), records, sizes[i], true);
            t->close();
        }
    }
    fileSystem().remove(final);
    f->close();
}

} // namespace engine
