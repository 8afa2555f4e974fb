#pragma once
// Where a new table is made before it is moved into place: a hidden folder beside
// it, named after it (".NAME.new"), locked for the whole creation so that two
// programs creating the same table take turns.
//
// That name lies in the table's folder, where others may be able to write. What
// already holds it is used only when it is what an interrupted creation of this
// table leaves: a real folder (not a link) of this user, holding nothing but plain
// files of the table's family. Anything else is refused untouched, with a message
// that names it: nothing is ever listed, emptied or removed through a link.

#include "engine/FileSystem.h"

#include <filesystem>
#include <memory>

namespace engine {

class CreationFolder {
public:
    // Claims the folder of `table` (an absolute name, links resolved) and clears what
    // an interrupted creation left there. Waits up to TableLock::writerWait() while
    // another program creates the same table, then throws Locked.
    explicit CreationFolder(const std::filesystem::path& table);
    // Clears and removes the folder; a failure leaves it for the next creation.
    ~CreationFolder();
    CreationFolder(const CreationFolder&) = delete;
    CreationFolder& operator=(const CreationFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // Where the table file itself is staged.
    std::filesystem::path staged() const { return m_path / m_table.filename(); }

    // Moves the staged family over the table's name: `removeOld` drops the old
    // family, then the companions come in, the table file last. Until that last
    // rename there is no table of this name.
    void moveIntoPlace(void (*removeOld)(const std::filesystem::path& table));

private:
    void claim();
    void refuseUnlessOurFolder() const;
    void refuseForeignEntries() const;
    [[noreturn]] void refuse(const std::string& why) const;
    // The plain files made here, temporary files aside.
    std::vector<std::filesystem::path> stagedFiles() const;

    std::filesystem::path m_table;
    std::filesystem::path m_path;
    std::string m_upperStem;
    std::unique_ptr<DirectoryLock> m_lock;
};

} // namespace engine
