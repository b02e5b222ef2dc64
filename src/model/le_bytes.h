#pragma once
// Little-endian fields of the binary files, whatever the machine's byte order.
#include <bit>
#include <cstdint>
#include <string>

inline void PutLe32(std::string& out, uint32_t v) {
    const char bytes[4] = {static_cast<char>(v), static_cast<char>(v >> 8),
                           static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
    out.append(bytes, 4);
}
inline void PutLe16(std::string& out, uint16_t v) {
    const char bytes[2] = {static_cast<char>(v), static_cast<char>(v >> 8)};
    out.append(bytes, 2);
}
inline void PutLeI32(std::string& out, int32_t v) { PutLe32(out, static_cast<uint32_t>(v)); }
inline void PutLeF64(std::string& out, double v) {
    const uint64_t bits = std::bit_cast<uint64_t>(v);
    PutLe32(out, static_cast<uint32_t>(bits));
    PutLe32(out, static_cast<uint32_t>(bits >> 32));
}

inline uint32_t GetLe32(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
}
inline int32_t GetLeI32(const char* p) { return static_cast<int32_t>(GetLe32(p)); }
inline int16_t GetLeI16(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<int16_t>(b[0] | (b[1] << 8));
}
inline double GetLeF64(const char* p) {
    return std::bit_cast<double>(GetLe32(p) | (static_cast<uint64_t>(GetLe32(p + 4)) << 32));
}
