#pragma once
// A sorted list of fixed-width byte keys: the entries of an in-memory secondary order.
// The keys live in chunks of a few kilobytes, each one buffer, so that inserting or
// removing a key moves bytes within one chunk rather than through the whole list: a bulk
// load of n rows in one transaction costs O(n log n), not O(n²). Positions stay global
// (cursors keep them): a Fenwick tree over the chunk sizes maps a position to its chunk
// in O(log chunks).

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

class KeyList {
public:
    void reset(size_t width);
    size_t width() const { return m_width; }
    size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }
    void reserve(size_t n) { m_chunks.reserve(n / chunkTarget() + 1); }
    void clear();

    std::string_view operator[](size_t i) const;

    // Appends without keeping order (call sort() afterwards).
    void append(std::string_view key);
    bool isSorted() const;
    void sort();

    // First key not below key, comparing only key.size() bytes (a prefix), within [lo, hi).
    size_t lowerBound(std::string_view key, size_t lo = 0, size_t hi = npos) const;
    // First key above key, comparing only key.size() bytes.
    size_t upperBound(std::string_view key) const;
    bool startsWith(size_t i, std::string_view prefix) const;

    void insert(std::string_view key);
    // Removes one key equal to key; false when there is none.
    bool erase(std::string_view key);

    static constexpr size_t npos = size_t(-1);

private:
    struct Spot {
        size_t chunk;
        size_t offset; // key index within the chunk
    };
    size_t chunkTarget() const;
    size_t keysIn(size_t chunk) const { return m_chunks[chunk].size() / m_width; }
    std::string_view keyAt(size_t chunk, size_t k) const {
        return std::string_view(m_chunks[chunk].data() + k * m_width, m_width);
    }
    int compare(std::string_view stored, std::string_view key) const;
    // First chunk whose last key is not below (or, `strictly`, is above) key; chunks
    // count when none is.
    size_t chunkFor(std::string_view key, bool strictly) const;
    size_t boundWithin(size_t chunk, std::string_view key, bool strictly) const;
    size_t bound(std::string_view key, bool strictly) const;
    Spot spotOf(size_t i) const;
    size_t keysBefore(size_t chunk) const;
    void addToCount(size_t chunk, ptrdiff_t delta);
    void recount();
    void splitIfLarge(size_t chunk);
    void shrinkIfSmall(size_t chunk);

    size_t m_width = 0;
    size_t m_count = 0;
    std::vector<std::string> m_chunks; // each sorted, non-empty, in order
    std::vector<size_t> m_counts;      // Fenwick tree (1-based) of keys per chunk
};

} // namespace engine
