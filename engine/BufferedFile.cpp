#include "engine/BufferedFile.h"

#include "engine/EngineError.h"

#include <algorithm>
#include <cstring>

namespace engine {

BufferedFile::BufferedFile(std::unique_ptr<File> disk)
    : File(disk->path()), m_disk(std::move(disk)) {}

uint64_t BufferedFile::size() {
    uint64_t end = m_disk->size();
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

void BufferedFile::writeAt(uint64_t off, const void* buf, size_t n) {
    if (n == 0)
        return;
    uint64_t start = off, end = off + n;
    // Ranges that overlap or touch the new one are merged with it.
    auto first = m_pending.upper_bound(off);
    if (first != m_pending.begin() &&
        std::prev(first)->first + std::prev(first)->second.size() >= off)
        --first;
    auto last = first;
    while (last != m_pending.end() && last->first <= end) {
        start = std::min(start, last->first);
        end = std::max(end, last->first + last->second.size());
        ++last;
    }
    std::string merged(size_t(end - start), '\0');
    for (auto it = first; it != last; ++it)
        std::memcpy(merged.data() + (it->first - start), it->second.data(), it->second.size());
    std::memcpy(merged.data() + (off - start), buf, n);
    m_pending.erase(first, last);
    m_pending.emplace(start, std::move(merged));
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
