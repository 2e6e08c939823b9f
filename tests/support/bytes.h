// Reading values back out of the bytes a file writer produced.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vtest {

// The little-endian 32-bit integer at `off`.
inline int32_t IntAt(const std::vector<uint8_t>& b, size_t off) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(b[off + i]) << (8 * i);
  return static_cast<int32_t>(v);
}

}  // namespace vtest
