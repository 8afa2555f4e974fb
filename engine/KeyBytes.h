#pragma once
// Comparisons of the short sort keys an index walk compares at every step. Keys are
// byte strings ordered as unsigned bytes (memcmp's order); these compare eight bytes at
// a time in registers instead of calling the library for a handful of bytes.

#include <cstdint>
#include <cstring>
#include <string_view>

namespace engine::keybytes {

inline uint64_t word(const char* p) {
    uint64_t w;
    std::memcpy(&w, p, 8);
    return w;
}

inline uint64_t bigEndian(uint64_t w) {
#if defined(__GNUC__)
    return __builtin_bswap64(w);
#else
    uint64_t r = 0;
    for (int i = 0; i < 8; ++i, w >>= 8)
        r = (r << 8) | (w & 0xFF);
    return r;
#endif
}

// memcmp's sign for n bytes.
inline int compare(const char* a, const char* b, size_t n) {
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const uint64_t x = word(a + i), y = word(b + i);
        if (x != y)
            return bigEndian(x) < bigEndian(y) ? -1 : 1;
    }
    for (; i < n; ++i)
        if (a[i] != b[i])
            return uint8_t(a[i]) < uint8_t(b[i]) ? -1 : 1;
    return 0;
}

// std::string_view::compare's sign.
inline int compare(std::string_view a, std::string_view b) {
    const int c = compare(a.data(), b.data(), a.size() < b.size() ? a.size() : b.size());
    if (c != 0 || a.size() == b.size())
        return c;
    return a.size() < b.size() ? -1 : 1;
}

inline bool same(std::string_view a, std::string_view b) {
    return a.size() == b.size() && compare(a.data(), b.data(), a.size()) == 0;
}

// The first eight bytes (zero-padded) as a number in the keys' order.
inline uint64_t prefix(std::string_view k) {
    if (k.size() >= 8)
        return bigEndian(word(k.data()));
    uint64_t r = 0;
    for (size_t i = 0; i < 8; ++i)
        r = (r << 8) | (i < k.size() ? uint8_t(k[i]) : 0);
    return r;
}

} // namespace engine::keybytes
