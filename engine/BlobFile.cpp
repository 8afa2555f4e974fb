#include "engine/BlobFile.h"

#include "engine/BufferedFile.h"
#include "engine/Bytes.h"
#include "engine/EngineError.h"
#include "engine/FileSystem.h"

#include <vector>

namespace engine {

using namespace bytes;

namespace {
constexpr uint32_t kUnit = 4096;
constexpr size_t kSlotTable = 12;
} // namespace

BlobFile::BlobFile(std::filesystem::path mbPath, std::filesystem::path tablePath)
    : m_path(std::move(mbPath)), m_table(std::move(tablePath)) {}

BlobFile::~BlobFile() = default;

BufferedFile* BlobFile::pendingFile() const {
    return m_writable ? static_cast<BufferedFile*>(m_file.get()) : nullptr;
}

std::unique_ptr<File> BlobFile::openFile(bool forWrite) const {
    try {
        // Written only where it is: a link planted in its name is refused, not followed.
        auto f = fileSystem().open(m_path, forWrite ? OpenMode::ReadWriteNoFollow : OpenMode::Read);
        // Written blocks wait for the table's commit, which journals them with the rows.
        if (forWrite)
            return std::make_unique<BufferedFile>(std::move(f));
        return f;
    } catch (const EngineError& e) {
        if (e.code() == ErrorCode::NotFound)
            return nullptr;
        throw;
    }
}

File& BlobFile::file(bool forWrite) const {
    if (!m_file || (forWrite && !m_writable)) {
        m_file.reset();
        m_file = openFile(forWrite);
        if (!m_file)
            throwCorrupt(m_table, "le fichier des BLOB " + quoted(m_path) + " est introuvable");
        m_writable = forWrite;
    }
    return *m_file;
}

void BlobFile::readMissingFileAsEmpty() {
    m_missingReadsEmpty = true;
}

// Once seen missing, the file is taken as missing for good: a reader that lets values
// go must not mix them with values of a file that appeared meanwhile.
bool BlobFile::fileIsMissing() const {
    if (m_knownMissing || m_file)
        return m_knownMissing;
    m_file = openFile(false);
    m_writable = false;
    m_knownMissing = !m_file;
    return m_knownMissing;
}

void BlobFile::refuseWriteWhenTolerant() const {
    if (m_missingReadsEmpty)
        throw EngineError(ErrorCode::ReadOnly,
                          "La table " + quoted(m_table) +
                              " est ouverte en lecture seule, sans son fichier des BLOB");
}

std::string BlobFile::read(uint32_t mbRef, uint32_t length) const {
    if (m_missingReadsEmpty && fileIsMissing()) {
        ++m_valuesLost;
        return {};
    }
    File& f = file(false);
    const uint64_t size = f.size();
    const uint64_t block = mbRef & ~0xFFu;
    const unsigned index = mbRef & 0xFFu;
    auto bad = [&](const std::string& why) {
        throwCorrupt(m_table, "référence de BLOB " + std::to_string(mbRef) + " incorrecte dans " +
                                  quoted(m_path) + " : " + why);
    };
    if (block == 0 || block % kUnit != 0 || block + kUnit > size)
        bad("bloc hors du fichier");
    char head[kSlotTable + 64 * 5];
    if (f.readAt(block, head, sizeof head) != sizeof head)
        bad("bloc tronqué");
    const uint8_t type = u8(head, 0);
    if (type == 2) {
        if (index != 0xFF)
            bad("numéro d'emplacement pour un bloc simple");
        const uint64_t units = u16(head, 1);
        if (u32(head, 3) != length)
            bad("longueur différente de celle du bloc");
        if (9 + uint64_t(length) > units * kUnit || block + 9 + length > size)
            bad("longueur au-delà du bloc");
        std::string out(length, '\0');
        if (f.readAt(block + 9, out.data(), length) != length)
            bad("bloc tronqué");
        return out;
    }
    if (type == 3) {
        if (index >= 64)
            bad("emplacement inexistant");
        const size_t slot = kSlotTable + 5 * index;
        const uint32_t start = uint32_t(u8(head, slot)) * 16;
        const uint32_t chunks = u8(head, slot + 1);
        const uint32_t mod = u8(head, slot + 4);
        if (start == 0 || mod == 0 || mod > 16 || chunks == 0)
            bad("emplacement libre");
        if ((chunks - 1) * 16 + mod != length)
            bad("longueur différente de celle de l'emplacement");
        if (start + length > kUnit)
            bad("données au-delà du bloc");
        std::string out(length, '\0');
        if (f.readAt(block + start, out.data(), length) != length)
            bad("bloc tronqué");
        return out;
    }
    bad("type de bloc " + std::to_string(type));
    return {};
}

void BlobFile::create(const std::filesystem::path& mbPath) {
    std::vector<char> head(kUnit, '\0');
    put8(head.data(), 0x00, 0);
    put16(head.data(), 0x01, 1);
    put16(head.data(), 0x03, 1);
    const uint8_t constants[6] = {0x82, 0x73, 0x02, 0x00, 0x29, 0x00};
    std::memcpy(head.data() + 0x05, constants, sizeof constants);
    put16(head.data(), 0x0B, 0x1000);
    put16(head.data(), 0x0D, 0x1000);
    put8(head.data(), 0x10, 0x10);
    put16(head.data(), 0x11, 0x0040);
    put16(head.data(), 0x13, 0x0800);
    put16(head.data(), 0x29, 0x02A1);
    auto f = fileSystem().open(mbPath, OpenMode::CreateExclusive);
    f->writeAt(0, head.data(), head.size());
    f->sync();
    f->close();
}

uint32_t BlobFile::write(std::string_view data) {
    refuseWriteWhenTolerant();
    if (!fileSystem().exists(m_path))
        create(m_path);
    File& f = file(true);
    uint64_t end = f.size();
    end = (end + kUnit - 1) / kUnit * kUnit;
    const uint64_t units = (9 + data.size() + kUnit - 1) / kUnit;
    if (units > 0xFFFF || end + units * kUnit >= (uint64_t(1) << 32))
        throw EngineError(ErrorCode::InvalidArgument,
                          "BLOB trop grand pour le fichier " + quoted(m_path));
    std::string block(size_t(units * kUnit), '\0');
    put8(block.data(), 0, 2);
    put16(block.data(), 1, uint16_t(units));
    put32(block.data(), 3, uint32_t(data.size()));
    put16(block.data(), 7, 1);
    std::memcpy(block.data() + 9, data.data(), data.size());
    f.writeAt(end, block.data(), block.size());
    return uint32_t(end) | 0xFF;
}

void BlobFile::release(uint32_t mbRef) {
    refuseWriteWhenTolerant();
    if ((mbRef & 0xFF) != 0xFF)
        return;
    File& f = file(true);
    const uint64_t block = mbRef & ~0xFFu;
    char head[3];
    if (block == 0 || f.readAt(block, head, 3) != 3 || u8(head, 0) != 2)
        return;
    head[0] = 4;
    f.writeAt(block, head, 1);
}

} // namespace engine
