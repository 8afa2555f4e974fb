#pragma once
// Little-endian accessors for the control structures of the table files (headers,
// block headers, BLOB descriptors). Field values inside records use their own
// big-endian, order-preserving encoding (see ValueCodec.h).

#include <cstdint>
#include <cstring>

namespace engine::bytes {

inline uint8_t u8(const void* p, size_t off) {
    return static_cast<const uint8_t*>(p)[off];
}
inline uint16_t u16(const void* p, size_t off) {
    const auto* b = static_cast<const uint8_t*>(p) + off;
    return uint16_t(b[0] | b[1] << 8);
}
inline int16_t s16(const void* p, size_t off) {
    return int16_t(u16(p, off));
}
inline uint32_t u32(const void* p, size_t off) {
    const auto* b = static_cast<const uint8_t*>(p) + off;
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}
inline void put8(void* p, size_t off, uint8_t v) {
    static_cast<uint8_t*>(p)[off] = v;
}
inline void put16(void* p, size_t off, uint16_t v) {
    auto* b = static_cast<uint8_t*>(p) + off;
    b[0] = uint8_t(v);
    b[1] = uint8_t(v >> 8);
}
inline void put32(void* p, size_t off, uint32_t v) {
    auto* b = static_cast<uint8_t*>(p) + off;
    b[0] = uint8_t(v);
    b[1] = uint8_t(v >> 8);
    b[2] = uint8_t(v >> 16);
    b[3] = uint8_t(v >> 24);
}

} // namespace engine::bytes
