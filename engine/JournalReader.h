#pragma once
// Reads a rollback journal found beside a table and decides whether it is that
// table's own (the checks are listed in Journal.h). Nothing is written here: the
// first pass validates everything, the second hands the records back one at a
// time; the journal is never held in memory whole.

#include "engine/JournalImage.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace engine {

class File;

class JournalReader {
public:
    enum class Verdict {
        Valid,      // this table's own: roll it back
        Unfinished, // shorter than its fixed part: the commit died writing it
        Foreign,    // not this table's own state: never applied (see reason())
    };

    JournalReader(File& journal, std::filesystem::path table);
    ~JournalReader();

    // The first pass. Opens the family files it names, read-only, without following links.
    Verdict validate();
    // Why the journal is foreign, in a few French words.
    const std::string& reason() const { return m_reason; }

    const std::vector<JournalEntry>& files() const { return m_files; }
    // The family file of each entry (after validate() said Valid).
    const std::filesystem::path& pathOf(size_t i) const { return m_paths[i]; }
    // The inode the validated file had (to tell it was not swapped meanwhile).
    std::optional<uint64_t> validatedInode(size_t i) const;
    // The second pass: the records validate() accepted, in order.
    void forEachRecord(const std::function<void(const JournalRecord&)>& visit);

private:
    enum class Step { Record, Torn, End };

    bool readHeader();
    bool checkFiles();
    bool checkSize(size_t i, File& f);
    bool checkTableHeader();
    bool walkRecords();
    bool checkRecord(const JournalRecord& r);
    Step nextRecord(uint64_t& at, JournalRecord& r);
    bool foreign(std::string why);

    File& m_journal;
    std::filesystem::path m_table;
    uint64_t m_journalSize = 0;
    uint32_t m_headerCrc = 0;
    uint32_t m_recordCount = 0;
    uint64_t m_recordsAt = 0;
    std::vector<JournalEntry> m_files;
    std::vector<std::filesystem::path> m_paths;
    std::vector<std::unique_ptr<File>> m_opened;
    std::string m_before, m_after, m_current;
    std::vector<bool> m_headerSaved; // header bytes a record of the table saves
    size_t m_validRecords = 0;
    std::string m_reason;
};

} // namespace engine
