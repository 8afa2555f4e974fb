#pragma once
// What a rollback journal holds, and its encoding (layout and checks: Journal.h).
// The commit encodes one; tests and the fuzzer encode their own, valid or not.

#include "engine/JournalFamily.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace engine {

struct JournalEntry {
    FamilyMember member;
    uint64_t sizeBefore = 0;       // the file's size before the commit
    std::optional<uint64_t> inode; // where the file system keeps inode numbers
};

struct JournalRecord {
    uint16_t file = 0;   // index in the entries
    uint64_t offset = 0; // where `bytes` were, before the commit
    std::string bytes;
};

class JournalImage {
public:
    static constexpr char kMagic[8] = {'K', 'V', 'J', 'R', 'N', 'L', '\r', '\n'};
    static constexpr uint32_t kVersion = 2;
    static constexpr size_t kFixedSize = 44;
    static constexpr size_t kEntrySize = 24;
    static constexpr size_t kRecordHead = 18;
    static constexpr uint32_t kMaxFiles = 16;
    // A commit saves larger ranges as several records, so that a reader never
    // holds more than this at once.
    static constexpr size_t kMaxRecord = size_t(1) << 20;
    static constexpr size_t kMinTableHeader = 0x58;
    static constexpr size_t kMaxTableHeader = 0xFFFF;

    std::array<uint8_t, 16> nonce{};
    std::vector<JournalEntry> files;
    std::string headerBefore; // the table's bytes [0, headerSize) before the commit
    std::string headerAfter;  // the same bytes as the commit leaves them
    std::vector<JournalRecord> records;

    // Appends `bytes` of file `file` at `offset`, cut in records of kMaxRecord at most.
    void save(uint16_t file, uint64_t offset, const std::string& bytes);
    std::string encode() const;

    // The CRC of the header part: bytes 0..19, then from 24 to the end of the images.
    static uint32_t headerCrc(const char* header, size_t size);
    // The CRC of a record: its head (file, offset, length) and bytes, chained to the
    // journal's header CRC so that a record taken from another journal never checks.
    static uint32_t recordCrc(uint32_t headerCrc, const char* head14, const char* bytes, size_t n);
};

} // namespace engine
