#include "engine/Journal.h"

#include "engine/BufferedFile.h"
#include "engine/Bytes.h"
#include "engine/EngineError.h"
#include "engine/EngineNotice.h"
#include "engine/FileSystem.h"
#include "engine/JournalReader.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <sys/random.h>

namespace engine {

using namespace bytes;

namespace {

// Removes a file the journal work leaves behind; a failure here is second to the
// error being reported.
void removeQuietly(const std::filesystem::path& p) noexcept {
    try {
        fileSystem().remove(p);
    } catch (...) {
    }
}

EngineError busy(const std::filesystem::path& table) {
    return EngineError(ErrorCode::Locked, "La table " + quoted(table) +
                                              " est en cours de modification par un autre "
                                              "programme");
}

// A file the rollback must write; a read-only one makes the table unusable until
// someone who may write it opens it, and the message says why.
std::unique_ptr<File> openToRestore(const std::filesystem::path& p,
                                    const std::filesystem::path& table) {
    try {
        return fileSystem().open(p, OpenMode::ReadWriteNoFollow);
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

std::array<uint8_t, 16> randomNonce() {
    std::array<uint8_t, 16> nonce{};
    size_t got = 0;
    while (got < nonce.size()) {
        const ssize_t n = ::getrandom(nonce.data() + got, nonce.size() - got, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw EngineError(ErrorCode::Io, "Source d'aléa indisponible", errno);
        got += size_t(n);
    }
    return nonce;
}

// Whoever may read the table may read (and so roll back) its journal.
unsigned permissionsOf(const std::filesystem::path& table) {
    std::error_code ec;
    const auto perms = std::filesystem::status(table, ec).permissions();
    return ec ? 0600u : unsigned(perms) & 0666u;
}

bool isOurTemporary(const std::string& name, const std::string& prefix) {
    constexpr size_t kSuffix = 12 + 4; // random letters, ".tmp"
    return name.size() == prefix.size() + kSuffix && name.compare(0, prefix.size(), prefix) == 0 &&
           name.compare(name.size() - 4, 4, ".tmp") == 0;
}

} // namespace

// Eight bytes a step (slicing by 8): the header images make every commit's journal
// a few KiB, and a byte at a time cost more than the rest of the commit.
uint32_t Journal::crc32(const void* data, size_t n, uint32_t crc) {
    using Tables = std::array<std::array<uint32_t, 256>, 8>;
    static const Tables t = [] {
        Tables t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[0][i] = c;
        }
        for (size_t k = 1; k < 8; ++k)
            for (uint32_t i = 0; i < 256; ++i)
                t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
        return t;
    }();
    crc = ~crc;
    const auto* p = static_cast<const uint8_t*>(data);
    for (; n >= 8; n -= 8, p += 8) {
        const uint32_t lo = u32(p, 0) ^ crc, hi = u32(p, 4);
        crc = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
              t[3][hi & 0xFF] ^ t[2][(hi >> 8) & 0xFF] ^ t[1][(hi >> 16) & 0xFF] ^ t[0][hi >> 24];
    }
    for (; n > 0; --n, ++p)
        crc = t[0][(crc ^ *p) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::filesystem::path Journal::pathFor(const std::filesystem::path& table) {
    return std::filesystem::path(table.string() + "-journal");
}

Journal::Journal(std::filesystem::path path, std::unique_ptr<File> file)
    : m_path(std::move(path)), m_file(std::move(file)) {}

Journal::~Journal() = default;

JournalImage Journal::imageOf(const std::filesystem::path& table,
                              const std::vector<BufferedFile*>& files) {
    JournalImage image;
    image.nonce = randomNonce();
    for (BufferedFile* f : files) {
        const std::optional<FamilyMember> member = JournalFamily::roleOf(table, f->path());
        if (!member || (image.files.empty() != (member->role == FamilyRole::Table)))
            throw EngineError(ErrorCode::NotSupported,
                              quoted(f->path()) + " ne peut pas être journalisé avec la table " +
                                  quoted(table));
        const uint16_t index = uint16_t(image.files.size());
        const uint64_t size = f->diskSize();
        image.files.push_back({*member, size, f->disk().persistentInode()});
        for (const auto& [off, bytes] : f->pending()) {
            // Bytes past the old end need no saving: the rollback cuts the file back.
            if (off < size)
                image.save(index, off,
                           f->diskBytes(off, size_t(std::min<uint64_t>(bytes.size(), size - off))));
        }
    }
    if (files.empty())
        throw EngineError(ErrorCode::InvalidArgument, "Rien à journaliser pour " + quoted(table));
    BufferedFile& t = *files.front();
    const std::string fixed = t.diskBytes(0, 4);
    const size_t headerSize = fixed.size() == 4 ? u16(fixed.data(), 2) : 0;
    image.headerBefore = t.diskBytes(0, headerSize);
    image.headerAfter.assign(headerSize, '\0');
    if (headerSize < JournalImage::kMinTableHeader || image.headerBefore.size() != headerSize ||
        t.readAt(0, image.headerAfter.data(), headerSize) != headerSize)
        throwCorrupt(table, "en-tête trop court pour être journalisé");
    return image;
}

// Writes the journal under a hidden name, locks it, syncs it and gives it its name.
void Journal::publish(const std::filesystem::path& table, const std::string& bytes, bool durable,
                      std::unique_ptr<File>& holder) {
    const std::filesystem::path final = pathFor(table);
    // Two descriptors: one writes the journal and is closed (and its close checked)
    // before the table is touched; the other, read-only, holds the lock that tells
    // other programs the journal is live, until the journal is removed.
    std::unique_ptr<File> writer = fileSystem().createTemporary(final, permissionsOf(table));
    const std::filesystem::path tmp = writer->path();
    bool named = false;
    try {
        holder = fileSystem().open(tmp, OpenMode::ReadNoFollow);
        if (!holder->tryLockExclusive())
            throw busy(table);
        writer->writeAt(0, bytes.data(), bytes.size());
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
}

std::unique_ptr<Journal> Journal::begin(const std::filesystem::path& table,
                                        const std::vector<BufferedFile*>& files, bool durable) {
    JournalImage image = imageOf(table, files);
    std::unique_ptr<File> holder;
    publish(table, image.encode(), durable, holder);
    auto journal = std::unique_ptr<Journal>(new Journal(pathFor(table), std::move(holder)));
    for (const JournalEntry& e : image.files)
        journal->m_sizes.push_back(e.sizeBefore);
    journal->m_records = std::move(image.records);
    return journal;
}

void Journal::rollback(const std::vector<BufferedFile*>& files, bool durable) {
    for (size_t i = 0; i < files.size() && i < m_sizes.size(); ++i) {
        File& f = files[i]->disk();
        for (const JournalRecord& r : m_records)
            if (r.file == i)
                f.writeAt(r.offset, r.bytes.data(), r.bytes.size());
        if (f.size() > m_sizes[i])
            f.truncate(m_sizes[i]);
        if (durable)
            f.sync();
    }
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

void Journal::sweepTemporaries(const std::filesystem::path& table) {
    const std::string prefix = "." + pathFor(table).filename().string() + ".";
    for (const std::filesystem::path& p : fileSystem().list(table.parent_path())) {
        if (!isOurTemporary(p.filename().string(), prefix))
            continue;
        std::unique_ptr<File> f;
        try {
            f = fileSystem().open(p, OpenMode::ReadWriteNoFollow);
        } catch (const EngineError&) {
            continue; // a link, or not ours to remove
        }
        char head[8];
        const size_t got = f->readAt(0, head, sizeof head);
        // Locked: a commit is writing it now.
        if (!f->tryLockExclusive() || std::memcmp(head, JournalImage::kMagic, got) != 0)
            continue;
        f.reset();
        removeQuietly(p);
    }
}

void Journal::refuseForeign(const std::filesystem::path& table, const std::string& why,
                            bool toWrite) {
    const std::filesystem::path journal = pathFor(table);
    const std::string message =
        "Le journal " + quoted(journal) + " n'est pas celui de la table " + quoted(table) + " (" +
        why +
        ") : il est laissé en place sans être appliqué. La table peut être lue ; pour la "
        "modifier, supprimez ce fichier ou déplacez-le.";
    if (toWrite)
        throw EngineError(ErrorCode::ReadOnly, message);
    noticeOnce("journal:" + journal.string(), message);
}

void Journal::restore(JournalReader& reader, const std::filesystem::path& table) {
    std::vector<std::unique_ptr<File>> targets;
    for (size_t i = 0; i < reader.files().size(); ++i) {
        targets.push_back(openToRestore(reader.pathOf(i), table));
        const std::optional<uint64_t> was = reader.validatedInode(i),
                                      now = targets.back()->persistentInode();
        if (was && now && *was != *now)
            throw busy(table); // replaced since it was checked
    }
    reader.forEachRecord([&](const JournalRecord& r) {
        targets[r.file]->writeAt(r.offset, r.bytes.data(), r.bytes.size());
    });
    for (size_t i = 0; i < targets.size(); ++i) {
        File& t = *targets[i];
        if (t.size() > reader.files()[i].sizeBefore)
            t.truncate(reader.files()[i].sizeBefore);
        t.sync();
        t.close();
    }
}

void Journal::recover(const std::filesystem::path& table, bool toWrite) {
    sweepTemporaries(table);
    const std::filesystem::path final = pathFor(table);
    if (!fileSystem().exists(final))
        return;
    std::unique_ptr<File> f;
    try {
        try {
            f = fileSystem().open(final, OpenMode::ReadWriteNoFollow);
        } catch (const EngineError& e) {
            if (e.code() != ErrorCode::ReadOnly)
                throw;
            f = fileSystem().open(final, OpenMode::ReadNoFollow); // cannot remove it anyway
        }
    } catch (const EngineError& e) {
        if (e.code() == ErrorCode::NotFound)
            return; // retired meanwhile
        if (e.code() != ErrorCode::NotParadox)
            throw;
        return refuseForeign(table,
                             "ce n'est pas un fichier ordinaire mais un lien, un dossier, "
                             "un tube ou un périphérique",
                             toWrite);
    }
    if (!f->tryLockExclusive())
        throw busy(table);
    JournalReader reader(*f, table);
    switch (reader.validate()) {
    case JournalReader::Verdict::Unfinished:
        f.reset();
        removeQuietly(final); // on a read-only medium it stays, harmless
        return;
    case JournalReader::Verdict::Foreign:
        return refuseForeign(table, reader.reason(), toWrite);
    case JournalReader::Verdict::Valid:
        restore(reader, table);
        fileSystem().remove(final);
        f->close();
        return;
    }
}

} // namespace engine
