#include "engine/BufferedFile.h"

#include "engine/EngineError.h"

#include <algorithm>
#include <cstring>

namespace engine {

BufferedFile::BufferedFile(std::unique_ptr<File> disk)
    : File(disk->path()), m_disk(std::move(disk)) {}

uint64_t BufferedFile::diskSize() {
    if (m_pending.empty() || !m_diskSizeKnown) {
        m_diskSize = m_disk->size();
        m_diskSizeKnown = !m_pending.empty();
    }
    return m_diskSize;
}

uint64_t BufferedFile::size() {
    uint64_t end = diskSize();
    if (!m_pending.empty()) {
        const auto& last = *m_pending.rbegin();
        end = std::max(end, last.first + last.second.size());
    }
    return end;
}

size_t BufferedFile::readAt(uint64_t off, void* buf, size_t n) {
    if (m_pending.empty())
        return m_disk->readAt(off, buf, n);
    const uint64_t end = size();
    if (off >= end)
        return 0;
    const size_t want = size_t(std::min<uint64_t>(n, end - off));
    char* out = static_cast<char*>(buf);
    if (readPending(off, out, want))
        return want;
    const size_t got = m_disk->readAt(off, out, want);
    std::memset(out + got, 0, want - got); // a gap before a pending range past the disk's end
    // Overlay every pending range that meets [off, off + want).
    auto it = m_pending.upper_bound(off);
    if (it != m_pending.begin())
        --it;
    for (; it != m_pending.end() && it->first < off + want; ++it) {
        const uint64_t from = std::max(off, it->first);
        const uint64_t to = std::min(off + want, it->first + it->second.size());
        if (from < to)
            std::memcpy(out + (from - off), it->second.data() + (from - it->first),
                        size_t(to - from));
    }
    return want;
}

// A read that falls wholly within one pending range (a block this transaction already
// wrote) needs no disk read.
bool BufferedFile::readPending(uint64_t off, char* out, size_t n) const {
    auto it = m_pending.upper_bound(off);
    if (it == m_pending.begin())
        return false;
    --it;
    if (off + n > it->first + it->second.size())
        return false;
    std::memcpy(out, it->second.data() + (off - it->first), n);
    return true;
}

void BufferedFile::writeAt(uint64_t off, const void* buf, size_t n) {
    if (n == 0)
        return;
    if (m_pending.empty())
        m_diskSizeKnown = false; // a new transaction: the disk may have changed since
    const uint64_t end = off + n;
    // The first range that overlaps or touches the new one, if any.
    auto host = m_pending.upper_bound(off);
    if (host != m_pending.begin() && std::prev(host)->first + std::prev(host)->second.size() >= off)
        --host;
    if (host == m_pending.end() || host->first > end) {
        m_pending.emplace(off, std::string(static_cast<const char*>(buf), n));
        return;
    }
    if (host->first > off) {
        // The new bytes start before every range they meet: they become the host.
        host = m_pending.emplace_hint(host, off, std::string(static_cast<const char*>(buf), n));
    }
    absorbFollowing(host, end);
    std::string& bytes = host->second;
    std::memcpy(bytes.data() + (off - host->first), buf, n);
}

// Grows the host range to reach `end` and folds into it every later range that the
// grown host overlaps or touches. The host's own bytes are never copied again (the
// string grows geometrically), so writes that extend a range, as appended blocks
// do, cost what they write.
void BufferedFile::absorbFollowing(std::map<uint64_t, std::string>::iterator host, uint64_t end) {
    std::string& bytes = host->second;
    const uint64_t start = host->first;
    auto next = std::next(host);
    while (next != m_pending.end() && next->first <= std::max(end, start + bytes.size())) {
        end = std::max(end, next->first + next->second.size());
        if (start + bytes.size() < end)
            bytes.resize(size_t(end - start));
        std::memcpy(bytes.data() + (next->first - start), next->second.data(), next->second.size());
        next = m_pending.erase(next);
    }
    if (start + bytes.size() < end)
        bytes.resize(size_t(end - start));
}

void BufferedFile::truncate(uint64_t size) {
    // The engine only ever grows its files inside a transaction; shrinking one
    // would need the journal to keep the cut bytes.
    if (size < this->size())
        throw EngineError(ErrorCode::NotSupported,
                          "Réduction de " + quoted(path()) + " dans une transaction");
}

std::string BufferedFile::diskBytes(uint64_t off, size_t n) {
    std::string bytes(n, '\0');
    bytes.resize(m_disk->readAt(off, bytes.data(), n));
    return bytes;
}

void BufferedFile::apply(bool durable) {
    for (const auto& [off, bytes] : m_pending)
        m_disk->writeAt(off, bytes.data(), bytes.size());
    if (durable)
        m_disk->sync();
    m_pending.clear();
}

} // namespace engine
