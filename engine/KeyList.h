#pragma once
// A sorted list of fixed-width byte keys kept in one buffer: the entries of an
// in-memory secondary order. One allocation for the whole list (not one per key), so
// building an order of many rows and inserting into it stay cheap.

#include <algorithm>
#include <cstring>
#include <numeric>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

class KeyList {
public:
    void reset(size_t width) {
        m_width = width;
        m_buf.clear();
    }
    size_t width() const { return m_width; }
    size_t size() const { return m_width ? m_buf.size() / m_width : 0; }
    bool empty() const { return m_buf.empty(); }
    void reserve(size_t n) { m_buf.reserve(n * m_width); }
    void clear() { m_buf.clear(); }

    std::string_view operator[](size_t i) const {
        return std::string_view(m_buf.data() + i * m_width, m_width);
    }

    // Appends without keeping order (call sort() afterwards).
    void append(std::string_view key) { m_buf.append(key.data(), m_width); }

    bool isSorted() const {
        for (size_t i = 1; i < size(); ++i)
            if ((*this)[i - 1] > (*this)[i])
                return false;
        return true;
    }

    void sort() {
        if (isSorted())
            return;
        std::vector<size_t> order(size());
        std::iota(order.begin(), order.end(), size_t(0));
        std::sort(order.begin(), order.end(),
                  [&](size_t a, size_t b) { return (*this)[a] < (*this)[b]; });
        std::string sorted;
        sorted.reserve(m_buf.size());
        for (size_t i : order)
            sorted.append((*this)[i]);
        m_buf.swap(sorted);
    }

    // First key not below key, comparing only key.size() bytes (a prefix).
    size_t lowerBound(std::string_view key, size_t lo = 0, size_t hi = npos) const {
        hi = std::min(hi, size());
        while (lo < hi) {
            const size_t mid = lo + (hi - lo) / 2;
            if (compare(mid, key) < 0)
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo;
    }
    // First key above key, comparing only key.size() bytes.
    size_t upperBound(std::string_view key) const {
        size_t lo = 0, hi = size();
        while (lo < hi) {
            const size_t mid = lo + (hi - lo) / 2;
            if (compare(mid, key) <= 0)
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo;
    }
    bool startsWith(size_t i, std::string_view prefix) const { return compare(i, prefix) == 0; }

    void insert(std::string_view key) {
        const size_t at = lowerBound(key);
        m_buf.insert(at * m_width, key.data(), m_width);
    }
    // Removes one key equal to key; false when there is none.
    bool erase(std::string_view key) {
        const size_t at = lowerBound(key);
        if (at >= size() || (*this)[at] != key)
            return false;
        m_buf.erase(at * m_width, m_width);
        return true;
    }

    static constexpr size_t npos = size_t(-1);

private:
    int compare(size_t i, std::string_view key) const {
        return std::memcmp(m_buf.data() + i * m_width, key.data(), std::min(key.size(), m_width));
    }

    size_t m_width = 0;
    std::string m_buf;
};

} // namespace engine
