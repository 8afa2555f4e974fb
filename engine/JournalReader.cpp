#include "engine/JournalReader.h"

#include "engine/Bytes.h"
#include "engine/EngineError.h"
#include "engine/FileSystem.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace engine {

using namespace bytes;

namespace {

uint64_t u64(const char* p) {
    return uint64_t(u32(p, 0)) | uint64_t(u32(p, 4)) << 32;
}

std::string number(uint64_t n) {
    return std::to_string(n);
}

} // namespace

JournalReader::JournalReader(File& journal, std::filesystem::path table)
    : m_journal(journal), m_table(std::move(table)) {}

JournalReader::~JournalReader() = default;

bool JournalReader::foreign(std::string why) {
    m_reason = std::move(why);
    return false;
}

std::optional<uint64_t> JournalReader::validatedInode(size_t i) const {
    return m_opened[i]->persistentInode();
}

JournalReader::Verdict JournalReader::validate() {
    m_journalSize = m_journal.size();
    if (m_journalSize < JournalImage::kFixedSize) {
        char head[JournalImage::kFixedSize];
        const size_t got = m_journal.readAt(0, head, size_t(m_journalSize));
        if (std::memcmp(head, JournalImage::kMagic, std::min<size_t>(got, 8)) == 0)
            return Verdict::Unfinished;
        foreign("ce n'est pas un journal de cette application");
        return Verdict::Foreign;
    }
    if (readHeader() && checkFiles() && checkTableHeader() && walkRecords())
        return Verdict::Valid;
    return Verdict::Foreign;
}

bool JournalReader::readHeader() {
    char fixed[JournalImage::kFixedSize];
    m_journal.readAt(0, fixed, sizeof fixed);
    if (std::memcmp(fixed, JournalImage::kMagic, 8) != 0)
        return foreign("ce n'est pas un journal de cette application");
    const uint32_t version = u32(fixed, 8);
    if (version == 1)
        return foreign("journal de l'ancien format, qui ne lie pas ses fichiers à la table");
    if (version != JournalImage::kVersion)
        return foreign("version de journal inconnue (" + number(version) + ")");
    const uint32_t fileCount = u32(fixed, 12);
    const uint32_t imageSize = u32(fixed, 40);
    m_recordCount = u32(fixed, 16);
    if (fileCount < 1 || fileCount > JournalImage::kMaxFiles)
        return foreign("nombre de fichiers impossible (" + number(fileCount) + ")");
    if (imageSize < JournalImage::kMinTableHeader || imageSize > JournalImage::kMaxTableHeader)
        return foreign("taille d'en-tête impossible (" + number(imageSize) + ")");
    m_recordsAt = JournalImage::kFixedSize + uint64_t(fileCount) * JournalImage::kEntrySize +
                  2 * uint64_t(imageSize);
    if (m_recordsAt > m_journalSize)
        return foreign("en-tête du journal tronqué");
    std::string header(size_t(m_recordsAt), '\0');
    if (m_journal.readAt(0, header.data(), header.size()) != header.size())
        return foreign("en-tête du journal tronqué");
    m_headerCrc = u32(header.data(), 20);
    if (JournalImage::headerCrc(header.data(), header.size()) != m_headerCrc)
        return foreign("en-tête du journal altéré (CRC)");
    for (uint32_t i = 0; i < fileCount; ++i) {
        const char* e = header.data() + JournalImage::kFixedSize + i * JournalImage::kEntrySize;
        JournalEntry entry;
        entry.member = {FamilyRole(u16(e, 0)), u16(e, 2)};
        entry.sizeBefore = u64(e + 4);
        if (u32(e, 20) & 1)
            entry.inode = u64(e + 12);
        m_files.push_back(entry);
    }
    const size_t images = JournalImage::kFixedSize + fileCount * JournalImage::kEntrySize;
    m_before = header.substr(images, imageSize);
    m_after = header.substr(images + imageSize, imageSize);
    return true;
}

bool JournalReader::checkFiles() {
    if (m_files[0].member.role != FamilyRole::Table)
        return foreign("le premier fichier nommé n'est pas la table");
    std::set<std::pair<uint16_t, uint16_t>> seen;
    for (size_t i = 0; i < m_files.size(); ++i) {
        const FamilyMember m = m_files[i].member;
        if (!seen.insert({uint16_t(m.role), m.number}).second)
            return foreign("un fichier y est nommé deux fois");
        const std::optional<std::filesystem::path> p = JournalFamily::fileOf(m_table, m);
        if (!p)
            return foreign("rôle de fichier inconnu (" + number(uint16_t(m.role)) + "/" +
                           number(m.number) + ")");
        std::unique_ptr<File> f;
        try {
            f = fileSystem().open(*p, OpenMode::ReadNoFollow);
        } catch (const EngineError& e) {
            return foreign(e.what());
        }
        const std::optional<uint64_t> inode = f->persistentInode();
        if (m_files[i].inode && inode && *inode != *m_files[i].inode)
            return foreign(quoted(*p) + " n'est pas le fichier que ce journal protège");
        if (!checkSize(i, *f))
            return false;
        m_paths.push_back(*p);
        m_opened.push_back(std::move(f));
    }
    return true;
}

bool JournalReader::checkSize(size_t i, File& f) {
    const JournalEntry& e = m_files[i];
    const std::string name = quoted(f.path());
    const uint64_t now = f.size(), was = e.sizeBefore;
    // A commit only ever grows a file.
    if (was > now)
        return foreign("taille d'origine de " + name + " (" + number(was) +
                       ") au-delà de sa taille actuelle (" + number(now) + ")");
    if (!JournalFamily::isBlockFile(e.member.role)) {
        if (was > JournalFamily::kMaxBlobSize)
            return foreign("taille d'origine de " + name + " impossible (" + number(was) + ")");
        return true;
    }
    char head[6] = {};
    if (e.member.role == FamilyRole::Table)
        std::memcpy(head, m_before.data(), sizeof head);
    else if (f.readAt(0, head, sizeof head) != sizeof head)
        return foreign("en-tête de " + name + " illisible");
    const uint64_t headerSize = u16(head, 2), blockSize = uint64_t(u8(head, 5)) * 1024;
    if (headerSize < JournalImage::kMinTableHeader || blockSize < 1024 || blockSize > 32768)
        return foreign("en-tête de " + name + " invalide");
    // Not a whole number of blocks is no proof of foreignness: tables of other
    // programs may end with part of a block, and a commit journals them as they are.
    if (was < headerSize || was > headerSize + 0x10000 * blockSize)
        return foreign("taille d'origine de " + name + " impossible (" + number(was) + ")");
    return true;
}

// The table's header now must be the one before the commit, the one after, or a mix
// of both that a commit cut short leaves: any other byte means another state.
bool JournalReader::checkTableHeader() {
    if (u16(m_before.data(), 2) != m_before.size())
        return foreign("l'en-tête sauvé ne correspond pas à sa taille");
    m_current.assign(m_before.size(), '\0');
    if (m_opened[0]->readAt(0, m_current.data(), m_current.size()) != m_current.size())
        return foreign("la table est plus courte que son en-tête");
    for (size_t i = 0; i < m_current.size(); ++i)
        if (m_current[i] != m_before[i] && m_current[i] != m_after[i])
            return foreign("l'en-tête de la table n'est ni celui d'avant ni celui d'après "
                           "la modification journalisée (journal d'une autre table, d'une "
                           "autre copie ou d'une modification plus ancienne)");
    return true;
}

JournalReader::Step JournalReader::nextRecord(uint64_t& at, JournalRecord& r) {
    char head[JournalImage::kRecordHead];
    if (m_journalSize - at < sizeof head || m_journal.readAt(at, head, sizeof head) != sizeof head)
        return Step::Torn;
    const uint32_t length = u32(head, 10);
    if (length > JournalImage::kMaxRecord)
        return Step::End; // never written so by a commit
    if (m_journalSize - at - sizeof head < length)
        return Step::Torn;
    r.bytes.resize(length);
    if (m_journal.readAt(at + sizeof head, r.bytes.data(), length) != length ||
        JournalImage::recordCrc(m_headerCrc, head, r.bytes.data(), length) != u32(head, 14))
        return Step::Torn;
    r.file = u16(head, 0);
    r.offset = u64(head + 2);
    at += sizeof head + length;
    return Step::Record;
}

bool JournalReader::checkRecord(const JournalRecord& r) {
    if (r.file >= m_files.size())
        return foreign("un enregistrement désigne un fichier absent de la liste");
    const uint64_t size = m_files[r.file].sizeBefore;
    if (r.bytes.empty() || r.offset >= size || r.bytes.size() > size - r.offset)
        return foreign("un enregistrement (position " + number(r.offset) + ", " +
                       number(r.bytes.size()) + " octets) sort de la taille d'origine de " +
                       quoted(m_paths[r.file]));
    if (r.file != 0 || r.offset >= m_before.size())
        return true;
    const size_t end = size_t(std::min<uint64_t>(m_before.size(), r.offset + r.bytes.size()));
    for (size_t i = size_t(r.offset); i < end; ++i) {
        if (r.bytes[i - r.offset] != m_before[i])
            return foreign("un enregistrement de l'en-tête diffère de l'en-tête sauvé");
        m_headerSaved[i] = true;
    }
    return true;
}

bool JournalReader::walkRecords() {
    m_headerSaved.assign(m_before.size(), false);
    uint64_t at = m_recordsAt;
    JournalRecord r;
    Step step = Step::Record;
    while (m_validRecords < m_recordCount && (step = nextRecord(at, r)) == Step::Record) {
        if (!checkRecord(r))
            return false;
        ++m_validRecords;
    }
    if (step == Step::End)
        return foreign("un enregistrement dépasse la taille maximale d'un enregistrement");
    if (m_validRecords < m_recordCount) {
        // Torn at its end: the commit died writing it, before touching the table.
        if (m_current != m_before)
            return foreign("journal incomplet alors que la table a déjà été modifiée");
        return true;
    }
    if (at != m_journalSize)
        return foreign("octets en trop après le dernier enregistrement");
    for (size_t i = 0; i < m_before.size(); ++i)
        if (m_before[i] != m_after[i] && !m_headerSaved[i])
            return foreign("une partie modifiée de l'en-tête n'y est pas sauvée");
    return true;
}

void JournalReader::forEachRecord(const std::function<void(const JournalRecord&)>& visit) {
    uint64_t at = m_recordsAt;
    JournalRecord r;
    for (size_t i = 0; i < m_validRecords; ++i) {
        if (nextRecord(at, r) != Step::Record || !checkRecord(r))
            throw EngineError(ErrorCode::Corrupt,
                              "Le journal de " + quoted(m_table) + " a changé pendant sa lecture");
        visit(r);
    }
}

} // namespace engine
