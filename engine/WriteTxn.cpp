#include "engine/WriteTxn.h"

#include "engine/TableData.h"

#include <cstring>

namespace engine {

WriteTxn::WriteTxn(TableData& d)
    : m_d(d), m_header{d.header.numRecords,     d.header.usedBlocks,          d.header.totalBlocks,
                       d.header.firstBlock,     d.header.lastBlock,           d.header.autoInc,
                       d.header.firstFreeBlock, d.header.indexUpdateRequired, d.header.updateTime} {
}

size_t WriteTxn::fixedLength() const {
    return m_d.header.extended ? 0x78 : 0x58;
}

void WriteTxn::write(uint64_t off, const std::string& bytes, std::string undo, bool canUndo) {
    m_d.file->writeAt(off, bytes.data(), bytes.size());
    if (canUndo)
        m_undo.push_back({nullptr, off, std::move(undo)});
}

void WriteTxn::writeTo(File& f, uint64_t off, const std::string& bytes) {
    std::string before(bytes.size(), '\0');
    before.resize(f.readAt(off, before.data(), before.size()));
    f.writeAt(off, bytes.data(), bytes.size());
    m_indexWritten = true;
    if (!before.empty())
        m_undo.push_back({&f, off, std::move(before)});
}

void WriteTxn::writeHeader() {
    const std::string before = m_d.header.raw.substr(0, fixedLength());
    m_d.header.storeFixedPart();
    try {
        write(0, m_d.header.raw.substr(0, fixedLength()), before, true);
    } catch (...) {
        std::memcpy(m_d.header.raw.data(), before.data(), before.size());
        throw;
    }
}

void WriteTxn::rollback() noexcept {
    bool clean = true;
    for (auto it = m_undo.rbegin(); it != m_undo.rend(); ++it) {
        try {
            File& f = it->file ? *it->file : *m_d.file;
            f.writeAt(it->offset, it->bytes.data(), it->bytes.size());
        } catch (...) {
            clean = false;
        }
    }
    restoreCounters();
    if (m_indexWritten)
        m_d.reloadIndexFiles();
    if (!clean)
        m_d.resetAfterFailure();
}

void WriteTxn::restoreCounters() noexcept {
    TableHeader& h = m_d.header;
    h.numRecords = m_header.numRecords;
    h.usedBlocks = m_header.usedBlocks;
    h.totalBlocks = m_header.totalBlocks;
    h.firstBlock = m_header.firstBlock;
    h.lastBlock = m_header.lastBlock;
    h.autoInc = m_header.autoInc;
    h.firstFreeBlock = m_header.firstFreeBlock;
    h.indexUpdateRequired = m_header.indexUpdateRequired;
    h.updateTime = m_header.updateTime;
    h.storeFixedPart();
}

} // namespace engine
