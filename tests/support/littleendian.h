#pragma once
// Little-endian 32-bit words in byte strings, for tests that build or patch files by hand.
#include <cstdint>
#include <cstring>
#include <string>

namespace varnel::test {

inline std::string le32(uint32_t v) {
    return {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)};
}
inline uint32_t u32At(const std::string& bytes, size_t at) {
    uint32_t v;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
}
inline void putU32(std::string& bytes, size_t at, uint32_t v) {
    std::memcpy(bytes.data() + at, &v, 4);
}

}  // namespace varnel::test
