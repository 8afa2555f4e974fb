#include "engine/KeyList.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace engine {

namespace {

// Keys per chunk aim at a few kilobytes: small enough that an insert moves little,
// large enough that the chunk directory stays short.
constexpr size_t kChunkBytes = 4096;
constexpr size_t kMinChunkKeys = 16;

size_t lowestBit(size_t i) {
    return i & (~i + 1);
}

} // namespace

size_t KeyList::chunkTarget() const {
    return std::max(kMinChunkKeys, kChunkBytes / std::max<size_t>(m_width, 1));
}

void KeyList::reset(size_t width) {
    m_width = width;
    clear();
}

void KeyList::clear() {
    m_chunks.clear();
    m_counts.assign(1, 0);
    m_count = 0;
}

int KeyList::compare(std::string_view stored, std::string_view key) const {
    return std::memcmp(stored.data(), key.data(), std::min(key.size(), m_width));
}

size_t KeyList::keysBefore(size_t chunk) const {
    size_t sum = 0;
    for (size_t i = chunk; i > 0; i -= lowestBit(i))
        sum += m_counts[i];
    return sum;
}

void KeyList::addToCount(size_t chunk, ptrdiff_t delta) {
    for (size_t i = chunk + 1; i < m_counts.size(); i += lowestBit(i))
        m_counts[i] = size_t(ptrdiff_t(m_counts[i]) + delta);
}

void KeyList::recount() {
    m_counts.assign(m_chunks.size() + 1, 0);
    for (size_t i = 1; i < m_counts.size(); ++i) {
        m_counts[i] += keysIn(i - 1);
        const size_t parent = i + lowestBit(i);
        if (parent < m_counts.size())
            m_counts[parent] += m_counts[i];
    }
}

KeyList::Spot KeyList::spotOf(size_t i) const {
    size_t chunk = 0;
    size_t step = 1;
    while (step * 2 < m_counts.size())
        step *= 2;
    for (; step > 0; step /= 2)
        if (chunk + step < m_counts.size() && m_counts[chunk + step] <= i) {
            chunk += step;
            i -= m_counts[chunk];
        }
    return Spot{chunk, i};
}

std::string_view KeyList::operator[](size_t i) const {
    const Spot s = spotOf(i);
    return keyAt(s.chunk, s.offset);
}

void KeyList::append(std::string_view key) {
    if (m_width == 0)
        return;
    if (m_chunks.empty() || keysIn(m_chunks.size() - 1) >= chunkTarget()) {
        m_chunks.emplace_back().reserve(chunkTarget() * m_width);
        // The new Fenwick node covers the chunks below it that its parent range spans.
        const size_t node = m_chunks.size();
        m_counts.push_back(keysBefore(node - 1) - keysBefore(node - lowestBit(node)));
    }
    m_chunks.back().append(key.data(), m_width);
    addToCount(m_chunks.size() - 1, 1);
    ++m_count;
}

bool KeyList::isSorted() const {
    std::string_view previous;
    for (size_t c = 0; c < m_chunks.size(); ++c)
        for (size_t k = 0; k < keysIn(c); ++k) {
            const std::string_view key = keyAt(c, k);
            if (!previous.empty() && previous > key)
                return false;
            previous = key;
        }
    return true;
}

void KeyList::sort() {
    if (isSorted())
        return;
    std::string all;
    all.reserve(m_count * m_width);
    for (const std::string& chunk : m_chunks)
        all += chunk;
    const auto keyOf = [&](size_t i) {
        return std::string_view(all.data() + i * m_width, m_width);
    };
    std::vector<size_t> order(m_count);
    std::iota(order.begin(), order.end(), size_t(0));
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return keyOf(a) < keyOf(b); });
    const size_t width = m_width;
    clear();
    m_width = width;
    for (size_t i : order)
        append(keyOf(i));
}

size_t KeyList::chunkFor(std::string_view key, bool strictly) const {
    size_t lo = 0, hi = m_chunks.size();
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        const int c = compare(keyAt(mid, keysIn(mid) - 1), key);
        if (c < 0 || (strictly && c == 0))
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

size_t KeyList::boundWithin(size_t chunk, std::string_view key, bool strictly) const {
    size_t lo = 0, hi = keysIn(chunk);
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        const int c = compare(keyAt(chunk, mid), key);
        if (c < 0 || (strictly && c == 0))
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

size_t KeyList::bound(std::string_view key, bool strictly) const {
    const size_t chunk = chunkFor(key, strictly);
    if (chunk == m_chunks.size())
        return m_count;
    return keysBefore(chunk) + boundWithin(chunk, key, strictly);
}

size_t KeyList::lowerBound(std::string_view key, size_t lo, size_t hi) const {
    // Sorted keys keep their prefixes sorted, so the bound within [lo, hi) is the whole
    // list's bound brought into that range.
    hi = std::min(hi, size());
    return std::max(lo, std::min(bound(key, false), hi));
}

size_t KeyList::upperBound(std::string_view key) const {
    return bound(key, true);
}

bool KeyList::startsWith(size_t i, std::string_view prefix) const {
    return compare((*this)[i], prefix) == 0;
}

void KeyList::insert(std::string_view key) {
    if (m_width == 0)
        return;
    if (m_chunks.empty()) {
        append(key);
        return;
    }
    size_t chunk = chunkFor(key, false);
    size_t at = 0;
    if (chunk == m_chunks.size()) {
        chunk = m_chunks.size() - 1;
        at = keysIn(chunk);
    } else {
        at = boundWithin(chunk, key, false);
    }
    m_chunks[chunk].insert(at * m_width, key.data(), m_width);
    addToCount(chunk, 1);
    ++m_count;
    splitIfLarge(chunk);
}

bool KeyList::erase(std::string_view key) {
    const size_t chunk = chunkFor(key, false);
    if (chunk == m_chunks.size())
        return false;
    const size_t at = boundWithin(chunk, key, false);
    if (keyAt(chunk, at) != key)
        return false;
    m_chunks[chunk].erase(at * m_width, m_width);
    addToCount(chunk, -1);
    --m_count;
    shrinkIfSmall(chunk);
    return true;
}

void KeyList::splitIfLarge(size_t chunk) {
    const size_t keys = keysIn(chunk);
    if (keys <= 2 * chunkTarget())
        return;
    const size_t keep = keys / 2;
    std::string right = m_chunks[chunk].substr(keep * m_width);
    m_chunks[chunk].resize(keep * m_width);
    m_chunks.insert(m_chunks.begin() + ptrdiff_t(chunk) + 1, std::move(right));
    recount();
}

// A chunk that empties goes; one that shrinks well below its aim joins its successor
// when both fit in one, so that deletions do not leave a long list of tiny chunks.
void KeyList::shrinkIfSmall(size_t chunk) {
    const size_t keys = keysIn(chunk);
    if (keys == 0) {
        m_chunks.erase(m_chunks.begin() + ptrdiff_t(chunk));
        recount();
        return;
    }
    const size_t next = chunk + 1;
    if (keys * 4 >= chunkTarget() || next >= m_chunks.size() || keys + keysIn(next) > chunkTarget())
        return;
    m_chunks[chunk] += m_chunks[next];
    m_chunks.erase(m_chunks.begin() + ptrdiff_t(next));
    recount();
}

} // namespace engine
