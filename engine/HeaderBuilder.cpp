#include "engine/HeaderBuilder.h"

#include "engine/Bytes.h"
#include "engine/CodePage.h"
#include "engine/EngineError.h"

namespace engine {

using namespace bytes;

namespace {

std::string encodeName(const CodePage& cp, const std::string& name) {
    std::string out;
    if (!cp.encode(name, out) || out.find('\0') != std::string::npos)
        throw EngineError(ErrorCode::InvalidArgument,
                          "Le nom « " + name + " » ne peut pas être écrit dans la page de codes " +
                              std::to_string(cp.number()));
    return out;
}

} // namespace

std::string buildHeader(const HeaderSpec& s, const CodePage& cp) {
    const bool dataLike = s.fileType == 0 || s.fileType == 2 || s.fileType == 3 ||
                          s.fileType == 5 || s.fileType == 6 || s.fileType == 8;
    const bool extended = dataLike && s.version >= 5;
    const size_t n = s.fields.size();
    std::string v; // variable part
    for (const FieldInfo& f : s.fields) {
        v += char(f.type);
        v += char(f.size);
    }
    v.append(4, '\0');
    if (dataLike)
        v.append(4 * n, '\0');
    std::string name = s.tableName.substr(0, s.version >= 12 ? 260 : 78);
    name.resize(s.version >= 12 ? 261 : 79, '\0');
    v += name;
    const size_t base = extended ? 0x78 : 0x58;
    size_t numbersAt = 0, sortAt = 0, indexNameAt = 0;
    if (dataLike) {
        for (const FieldInfo& f : s.fields) {
            v += encodeName(cp, f.name);
            v += '\0';
        }
        if (s.version >= 5) {
            numbersAt = base + v.size();
            for (size_t i = 0; i < n; ++i) {
                const uint16_t num =
                    i < s.fieldNumbers.size() ? s.fieldNumbers[i] : uint16_t(i + 1);
                v += char(num & 0xFF);
                v += char(num >> 8);
            }
            sortAt = base + v.size();
            v += s.sortOrderName;
            v += '\0';
            if (!s.indexName.empty()) {
                indexNameAt = base + v.size();
                v += encodeName(cp, s.indexName);
                v += '\0';
            }
        }
    }
    const size_t realSize = base + v.size();
    const size_t headerSize = (realSize + 0x7FF) / 0x800 * 0x800;
    if (headerSize > 0xF800)
        throw EngineError(ErrorCode::InvalidArgument, "Définition de table trop grande");
    std::string h(headerSize, '\0');
    char* p = h.data();
    int recordSize = 0;
    for (const FieldInfo& f : s.fields)
        recordSize += fieldWidth(f.type, f.size);
    if (!dataLike)
        recordSize += 6;
    put16(p, 0x00, uint16_t(recordSize));
    put16(p, 0x02, uint16_t(headerSize));
    put8(p, 0x04, s.fileType);
    put8(p, 0x05, s.blockSizeCode);
    put32(p, 0x06, s.numRecords);
    put16(p, 0x0A, s.blocks);
    put16(p, 0x0C, s.blocks);
    put16(p, 0x0E, s.firstBlock);
    put16(p, 0x10, s.lastBlock);
    put16(p, 0x12, dataLike ? 3 : 4);
    put8(p, 0x15, s.indexFieldNumber);
    put16(p, 0x1E, s.indexRoot);
    put8(p, 0x20, s.indexLevels);
    put16(p, 0x21, uint16_t(n));
    put16(p, 0x23, s.keyFields);
    put32(p, 0x25, extended ? 0xFF00FF00u : 0);
    put8(p, 0x29, s.sortOrderId);
    put8(p, 0x2C,
         (s.fileType == 3 || s.fileType == 5 || s.fileType == 6 || s.fileType == 8) ? 0xFF : 0);
    put8(p, 0x2E, s.familyStamp);
    put8(p, 0x39, s.version);
    put16(p, 0x3A, s.blocks);
    if (dataLike) {
        put8(p, 0x3E, 0x1F);
        put8(p, 0x3F, 0x0F);
    } else {
        put32(p, 0x49, 1);
    }
    put16(p, 0x51, uint16_t(s.version >= 4 ? realSize : 0));
    put8(p, 0x55, s.indexFlags);
    if (dataLike && s.version >= 5)
        put8(p, 0x56, 0x20);
    if (extended) {
        put16(p, 0x58, uint16_t(0x100 + s.version));
        put16(p, 0x5A, uint16_t(0x100 + s.version));
        put32(p, 0x60, s.updateTime);
        uint16_t hi = uint16_t(n + 1);
        for (uint16_t num : s.fieldNumbers)
            hi = std::max<uint16_t>(hi, uint16_t((num & 0x7FFF) + 1));
        put16(p, 0x64, hi);
        put16(p, 0x66, uint16_t(numbersAt - 0x58));
        put16(p, 0x68, uint16_t(indexNameAt ? indexNameAt - 0x58 : 0));
        put16(p, 0x6A, uint16_t(s.codePage));
        put8(p, 0x6C, 1);
        put8(p, 0x6D, 1);
        put16(p, 0x6E, uint16_t(sortAt - 0x58));
    }
    std::memcpy(p + base, v.data(), v.size());
    return h;
}

} // namespace engine
