#include "engine/CreationFolder.h"

#include "engine/EngineError.h"
#include "engine/TableFamily.h"
#include "engine/TableLock.h"

#include <chrono>
#include <thread>

namespace engine {

CreationFolder::CreationFolder(const std::filesystem::path& table)
    : m_table(table), m_path(table.parent_path() / ("." + table.filename().string() + ".new")),
      m_upperStem(upperAscii(table.stem().string())) {
    claim();
    refuseForeignEntries();
    for (const auto& p : fileSystem().listAll(m_path))
        fileSystem().remove(p);
}

CreationFolder::~CreationFolder() {
    try {
        for (const auto& p : fileSystem().listAll(m_path))
            if (fileSystem().status(p).kind != EntryKind::Directory)
                fileSystem().remove(p); // a link goes, never what it leads to
        fileSystem().removeDirectory(m_path);
    } catch (...) {
        // A leftover folder is cleared by the next creation of the same table.
    }
}

void CreationFolder::claim() {
    const auto deadline = std::chrono::steady_clock::now() + TableLock::writerWait();
    for (;;) {
        fileSystem().makeDirectory(m_path);
        // Checked after making it: a name planted meanwhile is seen here.
        refuseUnlessOurFolder();
        m_lock = fileSystem().tryLockDirectory(m_path);
        if (m_lock)
            return;
        if (std::chrono::steady_clock::now() >= deadline)
            throw EngineError(ErrorCode::Locked, "La table " + quoted(m_table) +
                                                     " est en cours de création par un autre "
                                                     "programme");
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void CreationFolder::refuseUnlessOurFolder() const {
    const EntryStatus folder = fileSystem().status(m_path);
    switch (folder.kind) {
    case EntryKind::Missing: // removed by the creation that held it: made again
    case EntryKind::Directory:
        break;
    case EntryKind::Link:
        refuse("c'est un lien symbolique");
    default:
        refuse("ce n'est pas un dossier");
    }
    if (folder.kind == EntryKind::Directory && !folder.ownedByUser)
        refuse("il appartient à un autre utilisateur");
}

void CreationFolder::refuseForeignEntries() const {
    for (const auto& p : fileSystem().listAll(m_path)) {
        const EntryStatus entry = fileSystem().status(p);
        const std::string named = "il contient " + quoted(p.filename());
        if (entry.kind != EntryKind::Regular)
            refuse(named + (entry.kind == EntryKind::Link ? ", un lien symbolique"
                                                          : ", qui n'est pas un fichier"));
        if (!entry.ownedByUser)
            refuse(named + ", qui appartient à un autre utilisateur");
        if (!isFamilyFile(p, m_upperStem))
            refuse(named + ", qui n'est pas un fichier de cette table");
    }
}

void CreationFolder::refuse(const std::string& why) const {
    throw EngineError(ErrorCode::NotParadox,
                      "Le dossier de création " + quoted(m_path) + " de la table " +
                          quoted(m_table) +
                          " n'a pas été laissé par une création de cette table (" + why +
                          ") : il n'est pas utilisé. Supprimez-le, puis recommencez.");
}

std::vector<std::filesystem::path> CreationFolder::stagedFiles() const {
    std::vector<std::filesystem::path> out;
    for (const auto& p : fileSystem().listAll(m_path))
        if (!isHiddenTemporary(p.filename().string()) &&
            fileSystem().status(p).kind == EntryKind::Regular)
            out.push_back(p);
    return out;
}

void CreationFolder::moveIntoPlace(void (*removeOld)(const std::filesystem::path& table)) {
    const std::filesystem::path table = staged();
    const std::vector<std::filesystem::path> files = stagedFiles();
    removeOld(m_table);
    for (const auto& p : files)
        if (p.filename() != table.filename())
            fileSystem().rename(p, m_table.parent_path() / p.filename());
    fileSystem().rename(table, m_table);
    fileSystem().syncDirectory(m_table.parent_path());
}

} // namespace engine
