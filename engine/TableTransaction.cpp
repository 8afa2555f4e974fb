// Transactions of a table: the pending writes of its row operations are committed
// through the rollback journal, or dropped. See the states in TableData.h and the
// journal's protocol in Journal.h.

#include "engine/TableData.h"

#include "engine/CommitVerifier.h"
#include "engine/EngineError.h"
#include "engine/IndexFiles.h"
#include "engine/Journal.h"

namespace engine {

std::vector<BufferedFile*> TableData::pendingFiles() const {
    std::vector<BufferedFile*> out;
    if (file->dirty())
        out.push_back(file.get());
    if (blobs && blobs->pendingFile() && blobs->pendingFile()->dirty())
        out.push_back(blobs->pendingFile());
    // Index blocks kept in place are written, journalled and rolled back with the rows.
    if (m_indexFiles)
        for (IndexBlockFile* f : m_indexFiles->files())
            if (f->file().dirty())
                out.push_back(&f->file());
    return out;
}

// The transaction holds the table's writer lock from here to its end, so that
// what it reads before writing (a free number, a name not taken) stays true.
void TableData::beginTransaction() {
    settle();
    if (m_explicitTxn)
        throw EngineError(ErrorCode::InvalidArgument,
                          "Une transaction est déjà ouverte sur " + quoted(path));
    beginWrite();
    try {
        ensureWritable();
    } catch (...) {
        endWrite();
        throw;
    }
    m_explicitTxn = true;
    m_modifiedAtBegin = m_modified;
}

void TableData::commitTransaction() {
    if (!m_explicitTxn)
        throw EngineError(ErrorCode::InvalidArgument,
                          "Aucune transaction ouverte sur " + quoted(path));
    m_explicitTxn = false;
    try {
        commitPending();
    } catch (...) {
        dropPending();
        endWrite();
        throw;
    }
    endWrite();
}

void TableData::rollbackTransaction() {
    if (!m_explicitTxn)
        return;
    m_explicitTxn = false;
    dropPending();
    endWrite();
}

// The commit: journal what the pending writes replace, write them, retire the
// journal. A failure after the journal is live puts the old bytes back; if even
// that fails, the journal stays hot and settle() finishes the rollback later.
//
// Others see the commit through the change counter, and never half of it: the
// journalled writes are applied under the exclusive read lock.
void TableData::commitPending() {
    if (indexUpkeep())
        m_indexFiles->writePrimary(); // throws before anything is journalled
    if (pendingFiles().empty())
        return;
    CommitVerifier verifier(*this); // Debug and sanitizer builds: the commit breaks nothing
    bumpChangeCounter();
    const std::vector<BufferedFile*> files = pendingFiles();
    // The index files' buffers are among `files`, and ending the upkeep below lets them
    // go: they must outlive a rollback that a later step's failure starts.
    const std::shared_ptr<IndexFiles> indexFilesInCommit = m_indexFiles;
    std::unique_ptr<Journal> journal = Journal::begin(path, files, m_durable);
    const TableLock::Read after = m_readers > 0 ? TableLock::Read::Shared : TableLock::Read::None;
    try {
        m_lock.setRead(TableLock::Read::Exclusive);
    } catch (...) {
        try {
            journal->retire(); // nothing was applied
        } catch (...) {
        }
        throw;
    }
    try {
        for (BufferedFile* f : files)
            f->apply(m_durable);
        journal->retire();
        endIndexUpkeep();
        m_lock.setRead(after);
        noteDiskHeader();
        verifier.committed();
    } catch (...) {
        try {
            journal->rollback(files, m_durable);
        } catch (...) {
            m_needsRecovery = true;
        }
        // Some pending writes may have been applied (and forgotten): what is in
        // memory is no longer what the disk holds after the rollback.
        for (BufferedFile* f : files)
            f->discard();
        resetAfterFailure();
        try {
            m_lock.setRead(after);
        } catch (...) {
        }
        throw;
    }
}

// Forgets the pending writes and everything read through them: the table is again
// what the disk holds.
void TableData::dropPending() noexcept {
    m_modified = m_modifiedAtBegin;
    const bool wrote = !pendingFiles().empty();
    if (m_indexFiles)
        m_indexFiles->discard();
    endIndexUpkeep();
    if (!wrote)
        return; // refused before writing anything (a key violation): nothing to forget
    file->discard();
    if (blobs && blobs->pendingFile())
        blobs->pendingFile()->discard();
    resetAfterFailure();
}

void TableData::settle() {
    if (!m_needsRecovery)
        return;
    recoverHotJournal();
    m_needsRecovery = false;
    resetAfterFailure();
}

} // namespace engine
