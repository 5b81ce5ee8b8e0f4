#pragma once
// Little-endian (and a few big-endian) reads and writes on raw byte buffers.
#include <cstdint>
#include <cstring>
#include <string>

namespace qv {

inline void PutU8(uint8_t* p, uint8_t v) { p[0] = v; }
inline void PutLE16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
inline void PutLE32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}
inline void PutLE64(uint8_t* p, uint64_t v) {
  PutLE32(p, uint32_t(v));
  PutLE32(p + 4, uint32_t(v >> 32));
}
inline void PutF64(uint8_t* p, double v) {
  uint64_t u;
  std::memcpy(&u, &v, 8);
  PutLE64(p, u);
}

inline uint16_t GetLE16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t GetLE32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline int32_t GetLE32s(const uint8_t* p) { return int32_t(GetLE32(p)); }
inline uint64_t GetLE64(const uint8_t* p) { return uint64_t(GetLE32(p)) | (uint64_t(GetLE32(p + 4)) << 32); }
inline double GetF64(const uint8_t* p) {
  uint64_t u = GetLE64(p);
  double v;
  std::memcpy(&v, &u, 8);
  return v;
}

inline uint16_t GetBE16(const uint8_t* p) { return uint16_t((p[0] << 8) | p[1]); }
inline void PutBE16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v >> 8);
  p[1] = uint8_t(v);
}

// Appends to a std::string used as a byte buffer.
inline void AppendLE16(std::string& s, uint16_t v) {
  uint8_t b[2];
  PutLE16(b, v);
  s.append(reinterpret_cast<char*>(b), 2);
}
inline void AppendLE32(std::string& s, uint32_t v) {
  uint8_t b[4];
  PutLE32(b, v);
  s.append(reinterpret_cast<char*>(b), 4);
}

}  // namespace qv
