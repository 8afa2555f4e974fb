#include "engine/JournalImage.h"

#include "engine/Bytes.h"
#include "engine/Journal.h"

#include <cstring>

namespace engine {

using namespace bytes;

namespace {

void put64(char* p, uint64_t v) {
    put32(p, 0, uint32_t(v));
    put32(p, 4, uint32_t(v >> 32));
}

} // namespace

void JournalImage::save(uint16_t file, uint64_t offset, const std::string& bytes) {
    for (size_t at = 0; at < bytes.size(); at += kMaxRecord)
        records.push_back({file, offset + at, bytes.substr(at, kMaxRecord)});
}

uint32_t JournalImage::headerCrc(const char* header, size_t size) {
    const uint32_t crc = Journal::crc32(header, 20);
    return Journal::crc32(header + 24, size - 24, crc);
}

uint32_t JournalImage::recordCrc(uint32_t headerCrc, const char* head14, const char* bytes,
                                 size_t n) {
    return Journal::crc32(bytes, n, Journal::crc32(head14, 14, headerCrc));
}

std::string JournalImage::encode() const {
    std::string out(kFixedSize, '\0');
    std::memcpy(out.data(), kMagic, 8);
    put32(out.data(), 8, kVersion);
    put32(out.data(), 12, uint32_t(files.size()));
    put32(out.data(), 16, uint32_t(records.size()));
    std::memcpy(out.data() + 24, nonce.data(), nonce.size());
    put32(out.data(), 40, uint32_t(headerBefore.size()));
    for (const JournalEntry& e : files) {
        char entry[kEntrySize] = {};
        put16(entry, 0, uint16_t(e.member.role));
        put16(entry, 2, e.member.number);
        put64(entry + 4, e.sizeBefore);
        put64(entry + 12, e.inode.value_or(0));
        put32(entry, 20, e.inode ? 1 : 0);
        out.append(entry, sizeof entry);
    }
    out += headerBefore;
    out += headerAfter;
    const uint32_t crc = headerCrc(out.data(), out.size());
    put32(out.data(), 20, crc);
    for (const JournalRecord& r : records) {
        char head[kRecordHead];
        put16(head, 0, r.file);
        put64(head + 2, r.offset);
        put32(head, 10, uint32_t(r.bytes.size()));
        put32(head, 14, recordCrc(crc, head, r.bytes.data(), r.bytes.size()));
        out.append(head, sizeof head);
        out += r.bytes;
    }
    return out;
}

} // namespace engine
